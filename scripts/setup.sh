#!/usr/bin/env bash
# Sets up everything on a Debian 12 machine and builds: installs the Debian packages that
# are missing (with apt-get, as root or through sudo), configures with CMake and builds.
# Nothing else is assumed: no make, no sudo when run as root.
#   scripts/setup.sh [BUILD_DIR [CMAKE_OPTION ...]]     (default BUILD_DIR: build)
# Extra packages for one purpose can be asked for with TESSARON_EXTRA_PACKAGES.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
[ "$#" -gt 0 ] && shift

packages=(build-essential cmake ninja-build pkg-config git
  qt6-base-dev libgl-dev libudev-dev libcap-ng-dev libcli11-dev nlohmann-json3-dev libgtest-dev
  libgmock-dev libbenchmark-dev bash-completion
  ${TESSARON_EXTRA_PACKAGES:-})

./scripts/install-packages.sh "${packages[@]}"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARON_WERROR=ON "$@"
cmake --build "$build" -j "$(nproc)"
