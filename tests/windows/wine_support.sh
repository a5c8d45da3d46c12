# Sourced by the end-to-end tests under Wine once they have read their arguments: it makes a
# scratch folder and goes into it, counts checks, starts simulated readers (tessaron-sim) in
# the calling shell, so that its clean-up ends them (a command substitution would start them
# in a subshell and leave them running), and maps COM ports of Wine to their pseudo-terminals.
# On exit it ends Wine's processes (of WINEPREFIX) and the readers, unmaps the ports and
# removes the folder.

work=$(mktemp -d)
sims=()
mapped_ports=()
passed=0
failures=0

cleanup() {
  # Wine first: its server may still hold a simulated reader's terminal, which the reader's
  # end would hang up (the server then dumps all its objects into the log).
  wineserver -k 2>/dev/null || true
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
  for port in "${mapped_ports[@]}"; do
    wine reg delete 'HKLM\Software\Wine\Ports' /v "$port" /f >/dev/null 2>&1 || true
  done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

# check WHAT COMMAND...: runs the command and counts it as passed or failed.
check() {
  if "${@:2}"; then
    passed=$((passed + 1))
    echo "ok: $1"
  else
    failures=$((failures + 1))
    echo "FAILED: $1"
  fi
}

# start_sim LINUX_BIN_DIR NAME: a simulated reader whose output goes to sim-NAME.out.
start_sim() {
  "$1/tessaron-sim" >"sim-$2.out" 2>&1 &
  sims+=($!)
}

# sim_path NAME: the terminal's path of a simulated reader, once it has said it.
sim_path() {
  for _ in $(seq 100); do
    if [ -s "sim-$1.out" ]; then head -n 1 "sim-$1.out"; return; fi
    sleep 0.1
  done
  echo "$0: tessaron-sim did not start" >&2
  exit 1
}

# map_com_port PORT PATH: Wine's PORT is the terminal at PATH (Wine makes its COM ports from
# this key when it starts).
map_com_port() {
  wineserver -k 2>/dev/null || true
  wine reg add 'HKLM\Software\Wine\Ports' /v "$1" /t REG_SZ /d "$2" /f >/dev/null
  wineserver -k 2>/dev/null || true
  mapped_ports+=("$1")
}
