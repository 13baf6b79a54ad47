#!/usr/bin/env bash
# Builds both DLLs from the same sources: build/x86 (the shipped 32-bit DLL)
# and build/x64 (64-bit DLL, tests and tools), checks the 32-bit export and
# import tables, and lays both DLLs out in dist/x86 and dist/x64 (stripped),
# their symbols in dist-symbols/.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake -S . -B build/x86 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DLUMUI_BUILD_TESTS=OFF >/dev/null
cmake --build build/x86 -j"$jobs"
cmake -S . -B build/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake >/dev/null
cmake --build build/x64 -j"$jobs"
bash tools/check-dll.sh build/x86/bin/LumoraUI.dll
rm -rf dist dist-symbols
cmake --install build/x86 --prefix dist >/dev/null
cmake --install build/x64 --prefix dist >/dev/null
# The symbols of the shipped DLLs, for crash analysis, beside dist/.
for arch in x86 x64; do
    mkdir -p "dist-symbols/$arch"
    cp "build/$arch/bin/LumoraUI.dll.debug" "dist-symbols/$arch/"
done
echo "dist: $(cd dist && find . -name '*.dll' -printf '%p (%s bytes) ' | sort)"
