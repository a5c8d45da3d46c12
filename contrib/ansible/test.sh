#!/usr/bin/env bash
# Runs the Ansible module's test: ansible-playbook (Debian's ansible-core, installed when
# missing) on this machine against a simulated reader that tessaron-sim serves.
#   contrib/ansible/test.sh [BIN_DIR]   (tessaron and tessaron-sim; default: build/bin, built
#                                        by scripts/setup.sh when missing)
set -euo pipefail
cd "$(dirname "$0")/../.."
bin="${1:-build/bin}"
./scripts/install-packages.sh ansible-core
[ -n "${1:-}" ] || [ -x build/bin/tessaron-sim ] || ./scripts/setup.sh build
bin=$(realpath "$bin")

scratch=$(mktemp -d)
"$bin/tessaron-sim" >"$scratch/sim.out" &
sim=$!
trap 'kill "$sim"; wait "$sim" 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 50); do
  [ -s "$scratch/sim.out" ] && break
  sleep 0.1
done
reader=$(head -n 1 "$scratch/sim.out")
[ -c "$reader" ] || { echo "tessaron-sim gave no terminal" >&2; exit 1; }

ANSIBLE_LIBRARY=contrib/ansible/library ANSIBLE_HOME="$scratch/ansible" \
  ANSIBLE_PYTHON_INTERPRETER=auto_silent ANSIBLE_NOCOLOR=1 \
  ansible-playbook -i localhost, --diff contrib/ansible/tests/reader.yml \
  -e "tessaron=$bin/tessaron reader=$reader scratch=$scratch"
