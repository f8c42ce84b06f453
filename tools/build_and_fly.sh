#!/usr/bin/env bash
# The newcomer's command: installs what building and flying need, builds the
# library, the stand-in cockpit library and the rig (no tests, no test
# framework: the `fly` preset hides them), flies the demonstration scenario
# from a cold cockpit to level cruise and prints its summary, then writes the
# flight-test report of the built model. The last line printed is the path
# of the report's page.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install_deps.sh fly
jobs=$(nproc 2> /dev/null || echo 2)
cmake --preset fly --no-warn-unused-cli > /dev/null
cmake --build --preset fly -j "$jobs"
rig=build/fly/rig/quillon-rig
"$rig" fly a_cold_start_climb --plot build/fly/demo-plots
echo
echo "== the flight-test report (about half a minute)"
"$rig" report --out build/fly/report > build/fly/report.log
echo "report: $(pwd)/build/fly/report/index.html"
