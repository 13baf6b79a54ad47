#!/usr/bin/env bash
# Prints the benchmark table: frame costs as multiples of the empty frame,
# process snapshots against the bare process list, and the shipped DLL sizes.
# Figures from one run on one machine; compare ratios, not milliseconds.
#   bash tools/bench.sh          (after tools/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
for f in build/x64/bin/frame_bench.exe build/x64/bin/lumora_bench.exe dist/x86/LumoraUI.dll; do
    [ -f "$f" ] || { echo "bench: $f is missing; run tools/build.sh first" >&2; exit 2; }
done
source tools/wine-env.sh build/wineprefix
trap lumui_stop_display EXIT
lumui_start_display
lumui_prepare_prefix
cd build/x64/bin
"$LUMUI_WINE" frame_bench.exe | tr -d '\r'
"$LUMUI_WINE" lumora_bench.exe | tr -d '\r'
cd ../../..
for arch in x86 x64; do
    printf 'shipped %s DLL: %s bytes (symbols %s bytes in dist-symbols/)\n' "$arch" \
        "$(stat -c %s dist/$arch/LumoraUI.dll)" "$(stat -c %s dist-symbols/$arch/LumoraUI.dll.debug)"
done
