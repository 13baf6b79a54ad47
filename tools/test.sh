#!/usr/bin/env bash
# Builds everything and runs the test programs under wine64 with Xvfb.
# Extra arguments go to ctest (for example -R log_test).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/check-layers.sh
bash tools/build.sh
source tools/wine-env.sh build/wineprefix
trap lumui_stop_display EXIT
lumui_start_display
lumui_prepare_prefix
cd build/x64
ctest --output-on-failure --timeout 900 "$@"
