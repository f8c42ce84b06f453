#!/usr/bin/env bash
# Installs the Debian packages a command of this project needs.
#
#   bash tools/install_deps.sh fly     what building the library, the stand-in
#                                      and the rig, and flying, need
#   bash tools/install_deps.sh test    all of that, and what every test needs
#                                      (test framework, sanitizers, the Windows
#                                      cross-build and Wine, the browser that
#                                      checks the report)
#
# As root it runs apt-get update once and installs what is missing. As
# another user it installs nothing: it names what is missing and the command
# that installs it, and fails.
set -euo pipefail

fly_packages=(cmake ninja-build g++ libcli11-dev libeigen3-dev nlohmann-json3-dev)
test_packages=(clang libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev python3
               g++-mingw-w64-x86-64 wine64 valgrind chromium clang-format-14)

case "${1:-}" in
    fly) wanted=("${fly_packages[@]}") ;;
    test) wanted=("${fly_packages[@]}" "${test_packages[@]}") ;;
    *)
        echo "usage: bash tools/install_deps.sh fly|test" >&2
        exit 2
        ;;
esac

if ! command -v dpkg > /dev/null; then
    echo "install_deps: not a Debian system; install the equivalents of: ${wanted[*]}" >&2
    exit 1
fi

missing=()
for p in "${wanted[@]}"; do
    dpkg -s "$p" > /dev/null 2>&1 || missing+=("$p")
done
[ "${#missing[@]}" -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "install_deps: missing Debian packages: ${missing[*]}" >&2
    echo "install them as root with:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
fi

echo "== installing: ${missing[*]}"
apt-get update -qq
# With recommended packages: Wine's check was proven with them installed.
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" > /dev/null
