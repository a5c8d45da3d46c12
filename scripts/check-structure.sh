#!/usr/bin/env bash
# Checks the shape of src/: no include from a lower layer to a higher one
# (core <- transport <- sim <- flows <- cli | controls <- dataedit <- app, and the
# keyboard-controller helper kbc beside flows, on sim), no loop of
# headers, and no loop between files where a header and its .cpp count as one file: any loop
# fails.
#   scripts/check-structure.sh [SRC_DIR]      (default: src beside this script)
# Prints each problem and exits 1 when there is one.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"
exec python3 - "$src" <<'PY'
import os, re, sys

src = sys.argv[1]
# What each folder may include besides itself.
allowed = {
    "core": set(),
    "transport": {"core"},
    "sim": {"core", "transport"},
    "kbc": {"core", "transport", "sim"},
    "flows": {"core", "transport", "sim"},
    "cli": {"core", "transport", "sim", "flows"},
    "controls": {"core", "transport", "sim", "flows"},
    "dataedit": {"core", "transport", "sim", "flows", "controls"},
    "app": {"core", "transport", "sim", "flows", "controls", "dataedit"},
}
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
edges, headers, problems = {}, {}, []
for folder, _, files in os.walk(src):
    for name in files:
        if not name.endswith((".h", ".cpp")):
            continue
        path = os.path.join(folder, name)
        rel = os.path.relpath(path, src)
        layer = rel.split(os.sep)[0]
        unit = os.path.splitext(rel)[0]  # foo.h and foo.cpp are one unit
        with open(path, encoding="utf-8", errors="replace") as text:
            for target in include.findall(text.read()):
                top = target.split("/")[0]
                if top not in allowed:
                    continue  # generated or outside src
                if top != layer and top not in allowed.get(layer, set()):
                    problems.append(f"{rel}: includes {target} (a higher layer)")
                other = os.path.splitext(target)[0]
                if other != unit:
                    edges.setdefault(unit, set()).add(other)
                if rel.endswith(".h"):
                    headers.setdefault(rel, set()).add(target)

# Loops: the strongly connected components with more than one member (Tarjan).
def Loops(edges):
  index, low, stack, on_stack, loops, counter = {}, {}, [], set(), [], [0]
  def visit(unit):
      index[unit] = low[unit] = counter[0]
      counter[0] += 1
      stack.append(unit)
      on_stack.add(unit)
      for other in sorted(edges.get(unit, ())):
          if other not in index:
              visit(other)
              low[unit] = min(low[unit], low[other])
          elif other in on_stack:
              low[unit] = min(low[unit], index[other])
      if low[unit] == index[unit]:
          component = []
          while True:
              member = stack.pop()
              on_stack.discard(member)
              component.append(member)
              if member == unit:
                  break
          if len(component) > 1:
              loops.append(sorted(component))
  for unit in sorted(edges):
    if unit not in index:
      visit(unit)
  return loops

sys.setrecursionlimit(10000)
for loop in Loops(headers):
    problems.append("header loop: " + " <-> ".join(loop))
for loop in Loops(edges):
    problems.append("include loop: " + " <-> ".join(loop))
for problem in problems:
    print(problem)
units = len(set(edges) | {o for e in edges.values() for o in e})
print(f"{units} files checked: {len(problems)} problems")
sys.exit(1 if problems else 0)
PY
