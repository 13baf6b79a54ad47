#!/usr/bin/env bash
# Runs the shipped 32-bit DLL: the client of tests/x86 (a 32-bit program)
# loads dist/x86/LumoraUI.dll under Wine and prints "N passed, N failed".
#
# How 32-bit Windows code runs here: this kernel runs no 32-bit Linux
# programs, so Wine's classic 32-bit loader is out. Debian's wine64 has the
# WoW64 mode instead, in which the 64-bit loader runs 32-bit Windows code in a
# 64-bit process, natively; it only lacks the 32-bit Windows DLLs. They come
# from the i386 libwine package of the installed version, fetched through a
# private apt state and unpacked into build/wine-i386: nothing is installed
# system-wide, and the 64-bit tests keep /usr/lib/wine/wine64 unchanged.
# A second run reuses the DLLs, the prefix and the build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$SECONDS

wine_dir=/usr/lib/x86_64-linux-gnu/wine   # Debian's wine64 DLL folders
version=$(dpkg-query -W -f='${Version}' libwine 2>/dev/null) || { echo "wine64 is missing: run tools/install-deps.sh" >&2; exit 1; }
dlls=$root/build/wine-i386

# The 32-bit Windows DLLs of libwine:i386 $version, beside links to the
# 64-bit Unix libraries that serve them in WoW64 mode.
fetch_i386_dlls() {
    if [ "$(cat "$dlls/.version" 2>/dev/null)" = "$version" ]; then return 0; fi
    rm -rf "$dlls"
    mkdir -p "$dlls/apt/lists/partial"
    : >"$dlls/apt/status"
    # The archive and suite that hold the installed version, for i386 alone.
    local origin site dist
    origin=$(apt-cache madison libwine | awk -F' [|] ' -v v="$version" '$2 == v && / Packages$/ {print $3; exit}')
    [ -n "$origin" ] || { echo "no archive offers libwine $version (apt-get update?)" >&2; return 1; }
    read -r site dist _ <<<"$origin"
    echo "deb [arch=i386] $site ${dist%%/*} ${dist#*/}" >"$dlls/apt/sources.list"
    local apt=(apt-get -q -o APT::Architecture=i386 -o APT::Architectures::=i386 -o Debug::NoLocking=1
        -o APT::Sandbox::User=root -o Dir::Etc::SourceList="$dlls/apt/sources.list"
        -o Dir::Etc::SourceParts="$dlls/apt/none" -o Dir::State::Lists="$dlls/apt/lists"
        -o Dir::State::status="$dlls/apt/status" -o Dir::Cache="$dlls/apt")
    "${apt[@]}" update >/dev/null
    (cd "$dlls/apt" && "${apt[@]}" download "libwine:i386=$version" >/dev/null)
    dpkg-deb --fsys-tarfile "$dlls"/apt/libwine_*_i386.deb |
        tar -x -C "$dlls" --strip-components=5 ./usr/lib/i386-linux-gnu/wine/i386-windows
    cp -n "$wine_dir"/i386-windows/* "$dlls/i386-windows/" 2>/dev/null || true   # zlib1.dll
    ln -sfn "$wine_dir/x86_64-unix" "$dlls/x86_64-unix"
    rm -rf "$dlls/apt"
    [ -f "$dlls/i386-windows/ntdll.dll" ] || { echo "libwine:i386 held no i386-windows/ntdll.dll" >&2; return 1; }
    echo "$version" >"$dlls/.version"
}
fetch_i386_dlls

# The shipped DLL (as tools/build.sh lays it out) and the client.
[ -f build/x86/CMakeCache.txt ] ||
    cmake -S . -B build/x86 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DLUMUI_BUILD_TESTS=OFF >/dev/null
cmake --build build/x86 -j"$(nproc)" --target LumoraUI lumclient32 >/dev/null
cmp -s build/x86/bin/LumoraUI.dll dist/x86/LumoraUI.dll || cmake --install build/x86 --prefix dist >/dev/null

# A prefix of its own, booted with the 32-bit DLLs in reach so that syswow64
# and the 32-bit registry view are filled.
export WINEDLLPATH=$dlls
source tools/wine-env.sh build/wineprefix-x86
if [ "$(cat "$WINEPREFIX/.lumui-i386" 2>/dev/null)" != "$version" ]; then
    rm -rf "$WINEPREFIX"
fi
trap lumui_stop_display EXIT
lumui_start_display
lumui_prepare_prefix
echo "$version" >"$WINEPREFIX/.lumui-i386"
echo "32-bit stage: environment ready after $((SECONDS - start)) s, running the client"

log=build/x86/client32.log
status=0
timeout 600 "$LUMUI_WINE" build/x86/bin/lumclient32.exe "Z:${root//\//\\}\\dist\\x86\\LumoraUI.dll" |
    tr -d '\r' | tee "$log" || status=$?
if ! tail -n 1 "$log" | grep -qE '^[0-9]+ passed, 0 failed$'; then [ "$status" != 0 ] || status=1; fi
[ "$status" = 0 ] || echo "32-bit stage failed (exit $status) after $((SECONDS - start)) s" >&2
exit "$status"
