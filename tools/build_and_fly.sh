#!/usr/bin/env bash
# Builds the library, the stand-in cockpit library, the rig and the tests
# (release preset), then flies the demonstration scenario from a cold
# cockpit to level cruise and prints its summary.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2> /dev/null || echo 2)
cmake --preset release > /dev/null
cmake --build --preset release -j "$jobs"
exec build/release/rig/quillon-rig fly a_cold_start_climb --plot build/release/demo-plots
