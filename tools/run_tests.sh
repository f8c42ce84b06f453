#!/usr/bin/env bash
# Installs what the build and the tests need (Debian, as root), then builds
# and tests every configuration: the README's main command works with no test
# package in sight, an installed rig runs its verification on its own, the
# generated data is current, the sanitizer build passes its tests, and the
# release build passes its tests, the Windows cross-build under Wine and the
# rig's scenarios among them; then every release test binary runs whole, in
# its own order and shuffled.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh test

# The Windows check must not be skipped quietly for want of its tools.
for tool in x86_64-w64-mingw32-g++ /usr/lib/wine/wine64; do
    command -v "$tool" > /dev/null || { echo "missing $tool: install g++-mingw-w64-x86-64 and wine64"; exit 1; }
done

jobs=$(nproc 2> /dev/null || echo 2)

echo "== the main command: build the library, the stand-in and the rig, and fly"
mkdir -p build
bash tools/build_and_fly.sh > build/build-and-fly.log 2>&1 || { cat build/build-and-fly.log; exit 1; }
tail -n 3 build/build-and-fly.log

echo "== an installed rig verifies with the build and source trees gone"
bash tools/check_install.sh

echo "== the tree is formatted"
bash tools/check_format.sh

echo "== generated aerodynamic data is current"
python3 tools/gen_aero_data.py --check
python3 tools/gen_f16_data.py --check

echo "== sanitizer build (address, undefined behaviour)"
cmake --preset sanitize > /dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs" --timeout 600

echo "== release build"
cmake --preset release > /dev/null
cmake --build --preset release -j "$jobs"
ctest --preset release -j "$jobs" --timeout 900

# ctest runs every case in a process of its own; a test must also hold when
# its binary runs whole, in its own order and shuffled.
echo "== every test binary whole, in its own order and shuffled"
binaries=$(find build/release -type f -executable -name 'test_*' | sort)
for binary in $binaries; do
    for order in "" --gtest_random_seed=1 --gtest_random_seed=2 --gtest_random_seed=3; do
        shuffle=${order:+--gtest_shuffle}
        "$binary" $shuffle $order > build/whole-run.log 2>&1 || {
            tail -n 30 build/whole-run.log
            echo "failed: $binary $shuffle $order"
            exit 1
        }
    done
    echo "ok: $binary"
done
echo "whole and shuffled runs: $(wc -w <<< "$binaries") passed, 0 failed"
