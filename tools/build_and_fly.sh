#!/usr/bin/env bash
# The newcomer's command: installs what building and flying need, builds the
# library, the stand-in cockpit library and the rig (no tests, no test
# framework: the `fly` preset hides them), then flies the demonstration
# scenario from a cold cockpit to level cruise and prints its summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install_deps.sh fly
jobs=$(nproc 2> /dev/null || echo 2)
cmake --preset fly > /dev/null
cmake --build --preset fly -j "$jobs"
exec build/fly/rig/quillon-rig fly a_cold_start_climb --plot build/fly/demo-plots
