#!/usr/bin/env bash
# Opens the reference setup host (lumora_setup.exe) on the current display so
# that the installer and the uninstaller can be clicked through by hand. On
# Linux it runs under Wine with the build's prefix (build/wineprefix); on
# Windows (Git Bash, MSYS2, Cygwin) the .exe runs as it is.
#   tools/demo.sh                  installer (the existing-installation page once
#                                  Lumora is installed, with the uninstall link)
#   tools/demo.sh /UNINSTALL       uninstaller
#   tools/demo.sh /LANG=german     any other switch of lumora_setup.exe
#   tools/demo.sh /LUMLOGFILE=C:\setup.log   relaunched with logging
# The transcript of export calls goes to this terminal. "Open Lumora" starts
# the installed stand-in (a hidden window), so running the demo again shows
# the update page and closes it before copying.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=
for d in dist/x64 build/x64/bin dist/x86 build/x86/bin; do
    if [ -f "$d/lumora_setup.exe" ] && [ -f "$d/LumoraUI.dll" ]; then bin=$d; break; fi
done
[ -n "$bin" ] || { echo "lumora_setup.exe not built: run tools/build.sh first" >&2; exit 1; }
app=build/x64/bin/lumfixture_app.exe
app_switches=()

case "$(uname -s)" in
MINGW* | MSYS* | CYGWIN*)
    [ -f "$app" ] && app_switches=("/APP=$(cygpath -w "$app")" "/APPARGS=window")
    exec "$bin/lumora_setup.exe" "${app_switches[@]}" "$@"
    ;;
esac

[ -n "${DISPLAY:-}" ] || { echo "no X display: set DISPLAY" >&2; exit 1; }
display=$DISPLAY
source tools/wine-env.sh build/wineprefix
export DISPLAY=$display
lumui_prepare_prefix
[ -f "$app" ] && app_switches=("/APP=Z:$(realpath "$app" | tr / '\\')" "/APPARGS=window")
exec "$LUMUI_WINE" "$bin/lumora_setup.exe" "${app_switches[@]}" "$@"
