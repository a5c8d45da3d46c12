#!/usr/bin/env bash
# The project's own mutation check: does the test suite notice a plausible fault?
# Each mutant of the list (tests/mutants.txt) is one small change of the code - a bound moved
# by one, a check or a call removed, a condition inverted - that a person could make. The
# script copies the tree to a scratch folder, builds it once, then for each mutant: writes the
# change into the copy, rebuilds incrementally, runs the whole suite, and puts the file back.
# A mutant is killed when a test fails (or the suite times out) and fails again when the
# failed tests run alone (else the suite runs once more, one test per core); it survives when
# every test passes. The score is killed / all mutants that are not marked equivalent.
#   scripts/mutation.sh [--list FILE] [--only TEXT] [--build DIR] [--no-gui]
#     --list FILE   the list of mutants (default tests/mutants.txt)
#     --only TEXT   only the mutants whose name or file contains TEXT (may be given more
#                   than once: the mutants that match any of them)
#     --build DIR   the scratch folder (default build-mutation); kept between runs, so a
#                   second run rebuilds little
#     --no-gui      leave the window program and its tests out (faster; mutants of the
#                   window program then count as not run)
# Prints its progress and time; exits 1 when a mutant survives or the list is wrong.
# Not part of .ci/run: a run with --no-gui takes about half an hour for the list (5 to 90 s
# a mutant, most of it the suite) on two cores shared with other work.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - "$@" <<'PY'
import argparse, os, re, shutil, signal, subprocess, sys, time

parser = argparse.ArgumentParser(prog="scripts/mutation.sh")
parser.add_argument("--list", default="tests/mutants.txt")
parser.add_argument("--only", action="append", default=[])
parser.add_argument("--build", default="build-mutation")
parser.add_argument("--no-gui", action="store_true")
args = parser.parse_args()

def ParseList(path):
    """Blocks separated by blank lines: '[name]' then 'file:', 'from:', 'to:' and optionally
    'kind:' and 'equivalent:' lines. '\\n' in from/to stands for a line break, '\\\\' for a
    backslash. Lines starting with '#' are comments."""
    mutants, current = [], None
    def Finish():
        if current is not None:
            for key in ("file", "from", "to"):
                if key not in current:
                    sys.exit(f"{path}: mutant '{current['name']}' has no '{key}:' line")
            mutants.append(current)
    with open(path, encoding="utf-8") as text:
        for number, line in enumerate(text, 1):
            line = line.rstrip("\n")
            if line.startswith("#"):
                continue
            if not line.strip():
                continue
            if line.startswith("["):
                Finish()
                current = {"name": line.strip().strip("[]"), "line": number}
                continue
            key, sep, value = line.partition(":")
            if not sep or current is None or key.strip() not in (
                    "file", "from", "to", "kind", "equivalent"):
                sys.exit(f"{path}:{number}: expected '[name]' or 'file/from/to/kind/equivalent:'")
            value = value[1:] if value.startswith(" ") else value
            if key.strip() in ("from", "to"):
                value = Unescape(value)
            current[key.strip()] = value
    Finish()
    return mutants

def Unescape(value):
    out, i = [], 0
    while i < len(value):
        if value[i] == "\\" and i + 1 < len(value) and value[i + 1] in "n\\":
            out.append("\n" if value[i + 1] == "n" else "\\")
            i += 2
        else:
            out.append(value[i])
            i += 1
    return "".join(out)

def Run(command, cwd, log, timeout=None):
    """The exit status of command, or "timeout"; its whole process group is ended on a
    timeout, so that no test program of a hung suite is left running."""
    with open(log, "a") as out:
        process = subprocess.Popen(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            return "timeout"

def FirstFailure(log):
    """The first test that failed in a suite's log (or how the suite ended)."""
    for line in open(log, errors="replace"):
        failed = re.search(r"Test +#\d+: (\S+) .*\*\*\*", line)
        if failed:
            return failed.group(1)
    return "the suite's time limit" if not open(log, errors="replace").read() else "the suite"

def SurvivesAgain(log):
    """Whether a failure was the load's rather than the mutant's: the failed tests pass when
    they run again alone, and then the whole suite passes one at a time."""
    rerun = ["ctest", "--rerun-failed", "--timeout", "120"]
    if Run(rerun, build, log, timeout=900) != 0:
        return False
    print(f"[{Elapsed()}]   a failure did not come again alone; the suite runs once more",
          flush=True)
    return Run(["ctest", "-j", jobs, "--stop-on-failure", "--timeout", "120"], build, log,
               timeout=900) == 0

mutants = [m for m in ParseList(args.list)
           if not args.only or any(text in m["name"] or text in m["file"] for text in args.only)]
if not mutants:
    sys.exit("mutation.sh: no mutant matches")
root = os.path.abspath(args.build)
tree, build, logs = (os.path.join(root, part) for part in ("tree", "build", "logs"))
os.makedirs(logs, exist_ok=True)
started = time.monotonic()
# A stop signal ends the run through the same way out as Ctrl-C, which puts the mutated file
# back first.
signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(128 + number))

def Elapsed():
    seconds = int(time.monotonic() - started)
    return f"{seconds // 60}:{seconds % 60:02d}"

# The scratch copy: the files git knows, as they stand in the work tree. Unchanged files keep
# their times, so that a second run rebuilds only what changed.
files = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                       capture_output=True, check=True).stdout.decode().split("\0")
files = {name for name in files if name and os.path.isfile(name)}
for name in files:
    target = os.path.join(tree, name)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    # Copied with a new time, so that a copy left mutated by a run that was cut off is
    # rebuilt, whatever the time of the original.
    if (not os.path.exists(target) or open(name, "rb").read() != open(target, "rb").read()):
        shutil.copyfile(name, target)
        shutil.copymode(name, target)
# A file removed from the work tree goes from the copy too (a stale source could still build).
for folder, _, names in os.walk(tree):
    for name in names:
        path = os.path.join(folder, name)
        if os.path.relpath(path, tree) not in files:
            os.remove(path)
# A run that was cut off names the file it had mutated: touched, it is rebuilt.
dirty = os.path.join(root, "mutated-file")
if os.path.exists(dirty):
    named = os.path.join(tree, open(dirty).read())
    if os.path.exists(named):
        os.utime(named)
    os.remove(dirty)
print(f"[{Elapsed()}] scratch copy in {tree}", flush=True)

# Each mutant costs a compile and the links of every program above it: optimised lightly and
# without debug information, with lld where it is there, both take a fraction of the time.
configure = ["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
             "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG", "-DTESSARON_BUILD_BENCH=OFF",
             f"-DTESSARON_BUILD_GUI={'OFF' if args.no_gui else 'ON'}"]
if shutil.which("ccache"):
    configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
if shutil.which("ld.lld"):
    configure.append("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld")
jobs = str(os.cpu_count() or 2)
# The tests mostly wait (on timers, pipes and child programs), so twice as many run at once
# as there are cores; a mutant is killed at its first failing test.
suite = ["ctest", "-j", str(2 * int(jobs)), "--stop-on-failure", "--timeout", "120"]
env_log = os.path.join(logs, "baseline.log")
open(env_log, "w").close()
if Run(configure, tree, env_log) != 0 or Run(["cmake", "--build", build, "-j", jobs], tree,
                                             env_log) != 0:
    sys.exit(f"mutation.sh: the unchanged tree does not build; see {env_log}")
os.environ["QT_QPA_PLATFORM"] = "offscreen"
if Run(suite, build, env_log) != 0:
    sys.exit(f"mutation.sh: the suite fails on the unchanged tree; see {env_log}")
print(f"[{Elapsed()}] unchanged tree built and tested", flush=True)

# The window program's folders, which --no-gui leaves out of the build.
GUI_FOLDERS = ("src/app/", "src/controls/", "src/dataedit/")
killed, survivors, equivalent, broken, skipped = [], [], [], [], []
for number, mutant in enumerate(mutants, 1):
    label = f"{number}/{len(mutants)} {mutant['name']}"
    path = os.path.join(tree, mutant["file"])
    if not os.path.isfile(path):
        broken.append((mutant, "no such file"))
        print(f"[{Elapsed()}] {label}: LIST ERROR, no such file {mutant['file']}", flush=True)
        continue
    original = open(path, encoding="utf-8").read()
    count = original.count(mutant["from"])
    if count != 1:
        broken.append((mutant, f"the text is found {count} times"))
        print(f"[{Elapsed()}] {label}: LIST ERROR, text found {count} times in {mutant['file']}",
              flush=True)
        continue
    if args.no_gui and mutant["file"].startswith(GUI_FOLDERS):
        skipped.append(mutant)
        print(f"[{Elapsed()}] {label}: not run (window program left out)", flush=True)
        continue
    if "equivalent" in mutant:
        equivalent.append(mutant)
        print(f"[{Elapsed()}] {label}: equivalent ({mutant['equivalent']})", flush=True)
        continue
    log = os.path.join(logs, f"{number:03d}.log")
    open(log, "w").close()
    try:
        with open(dirty, "w") as out:
            out.write(mutant["file"])
        with open(path, "w", encoding="utf-8") as out:
            out.write(original.replace(mutant["from"], mutant["to"]))
        if Run(["cmake", "--build", build, "-j", jobs], tree, log) != 0:
            broken.append((mutant, "does not build"))
            outcome = "LIST ERROR, does not build"
        elif Run(suite, build, log, timeout=900) == 0 or SurvivesAgain(log):
            survivors.append(mutant)
            outcome = "SURVIVED"
        else:
            killed.append(mutant)
            outcome = f"killed by {FirstFailure(log)}"
    finally:
        with open(path, "w", encoding="utf-8") as out:
            out.write(original)
        os.remove(dirty)
    print(f"[{Elapsed()}] {label}: {outcome}", flush=True)

# Leave the scratch build matching the tree again, so that the next run starts clean.
Run(["cmake", "--build", build, "-j", jobs], tree, os.path.join(logs, "restore.log"))

counted = len(killed) + len(survivors)
print()
for mutant in survivors:
    print(f"survivor: {mutant['name']} ({mutant['file']}: {mutant['from'].strip()!r} -> "
          f"{mutant['to'].strip()!r})")
for mutant, why in broken:
    print(f"list error: {mutant['name']} ({mutant['file']}): {why}")
score = 100.0 * len(killed) / counted if counted else 0.0
print(f"mutation score: {len(killed)} of {counted} killed ({score:.1f} %); "
      f"{len(equivalent)} equivalent, {len(broken)} list errors, {len(skipped)} not run; "
      f"time {Elapsed()}")
sys.exit(1 if survivors or broken else 0)
PY
