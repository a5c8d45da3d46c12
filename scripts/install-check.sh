#!/usr/bin/env bash
# Checks the packages in dist/ (made by scripts/package.sh) as a user meets them: installs
# both with apt-get, which pulls in what they depend on; runs the programs and finds their
# manual pages; checks the keyboard-controller helper: its owner, group, mode and right, and
# that an account outside its group (nobody) is refused with the group named; then purges
# both and checks that none of their files or folders is left behind.
# Meant for a fresh Debian 12 machine, for example:
#   fresh-debian-check ./scripts/package.sh ./scripts/install-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
packages=(tessaron tessaron-config)
helper=/usr/libexec/tessaron/tessaron-kbc
group=tessaron

step() { echo "== $*"; }

step "install"
./scripts/install-packages.sh man-db ./dist/tessaron_*.deb ./dist/tessaron-config_*.deb

step "run"
tessaron --version
for page in tessaron tessaron-sim tessaron-config; do man -w "$page"; done
tessaron report --simulate
# The simulated keyboard line goes through the installed helper.
tessaron report --simulate=ps2 --reader ps2:0 >/dev/null
QT_QPA_PLATFORM=offscreen tessaron-config --help >/dev/null

step "keyboard-controller helper"
# Root's, of the package's group, 0750: the members of the group may run it, no one else.
# (Shown through a variable: "tee /dev/stderr" would truncate a log that stderr goes to.)
owner=$(stat -c '%U:%G %a' "$helper")
right=$(getcap "$helper")
echo "$owner; $right" >&2
[ "$owner" = "root:$group 750" ] || { echo "$helper is not root:$group 750" >&2; exit 1; }
grep -q "cap_sys_rawio[=+]ep" <<<"$right" || { echo "$helper lacks cap_sys_rawio+ep" >&2; exit 1; }
if refusal=$("${as_root[@]}" runuser -u nobody -- \
  tessaron report --simulate=ps2 --reader ps2:0 2>&1); then
  echo "nobody, outside the group $group, used the keyboard line" >&2
  exit 1
fi
echo "$refusal" >&2
grep -q "Please make sure current user account is Administrator." <<<"$refusal" &&
  grep -q "group $group" <<<"$refusal" && grep -q "sudo usermod -aG $group" <<<"$refusal" ||
  { echo "nobody's refusal does not name the group $group" >&2; exit 1; }

step "purge"
mapfile -t files < <(dpkg-query -L "${packages[@]}" | grep -vx '/\.')
"${as_root[@]}" apt-get purge -y -q "${packages[@]}"
left=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ -z "$status" ] || [ "$status" = "unknown ok not-installed" ] || left+=("$package: $status")
done
# A file of ours that is still there is left behind, and so is a folder that no other
# package owns.
for path in "${files[@]}"; do
  if [ -L "$path" ] || [ -f "$path" ] || { [ -d "$path" ] && ! dpkg-query -S "$path" >/dev/null 2>&1; }; then
    left+=("$path")
  fi
done
if [ "${#left[@]}" -gt 0 ]; then
  printf 'Left behind: %s\n' "${left[@]}" >&2
  exit 1
fi
echo "Installed, ran and purged; nothing of ${packages[*]} is left."
