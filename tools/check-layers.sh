#!/usr/bin/env bash
# Fails when a folder includes a folder above it. The layers and what each may
# use are read from the top-level CMakeLists.txt (the lum_<folder>_deps lists),
# the same lists the build links by; exports/ and the tests and tools may
# include anything.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A allowed
while read -r layer deps; do
    allowed[$layer]="$layer $deps"
done < <(sed -n 's/^set(lum_\([a-z]*\)_deps \(.*\))$/\1 \2/p' CMakeLists.txt | tr -d '"')
[ "${#allowed[@]}" -gt 0 ] || { echo "layers: no lum_*_deps lists in CMakeLists.txt" >&2; exit 2; }
status=0
for layer in "${!allowed[@]}"; do
    for file in "$layer"/*.cpp "$layer"/*.h; do
        [ -e "$file" ] || continue
        while IFS=: read -r line folder; do
            if [[ " ${allowed[$layer]} " != *" $folder "* ]]; then
                echo "layers: $file:$line includes $folder/, which $layer/ may not use" >&2
                status=1
            fi
        done < <(grep -n -o '^#include "[a-z]*/' "$file" | sed 's/#include "\(.*\)\/$/\1/')
    done
done
[ "$status" = 0 ] && echo "layers: every include points down (${#allowed[@]} layers checked)"
exit "$status"
