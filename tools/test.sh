#!/usr/bin/env bash
# Builds everything and runs the test programs under wine64 with Xvfb, then prints the size of the
# suite against the code (tools/test-budget.sh), whether the run passed or not.
# Extra arguments go to ctest (for example -R pages_test).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/check-layers.sh
bash tools/build.sh
source tools/wine-env.sh build/wineprefix
trap 'lumui_stop_display; bash tools/test-budget.sh' EXIT
lumui_start_display
lumui_prepare_prefix
(cd build/x64 && ctest --output-on-failure --timeout 900 "$@")
