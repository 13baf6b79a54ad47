# Sourced by the build and test scripts: a private Wine prefix and a headless
# X display, so that windows, Direct2D and DirectWrite work under Wine.
#   source tools/wine-env.sh <prefix-dir>
# Exports WINEPREFIX, WINEDEBUG, DISPLAY and LUMUI_WINE (the wine64 loader).

LUMUI_WINE=/usr/lib/wine/wine64   # by path: /usr/bin/wine picks the 32-bit loader once wine32 exists
export LUMUI_WINE
export WINEPREFIX="$(realpath -m "${1:?wine prefix folder}")"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko installers in a headless prefix

lumui_start_display() {
    if [ -n "${LUMUI_XVFB_PID:-}" ] && kill -0 "$LUMUI_XVFB_PID" 2>/dev/null; then return 0; fi
    local n
    for n in $(seq 91 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
        LUMUI_XVFB_PID=$!
        for _ in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        if kill -0 "$LUMUI_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            export LUMUI_XVFB_PID
            return 0
        fi
    done
    echo "could not start Xvfb" >&2
    return 1
}

lumui_stop_display() {
    "${LUMUI_WINE%/*}/wineserver" -k >/dev/null 2>&1 || wineserver -k >/dev/null 2>&1 || true
    if [ -n "${LUMUI_XVFB_PID:-}" ]; then kill "$LUMUI_XVFB_PID" 2>/dev/null || true; fi
    unset LUMUI_XVFB_PID
}

# Creates the prefix once: boots it and maps the UI font family to the
# packaged CJK font, without which DirectWrite lays out nothing at all.
lumui_prepare_prefix() {
    if [ -f "$WINEPREFIX/.lumui-ready" ]; then lumui_unmanaged_windows; return; fi
    mkdir -p "$WINEPREFIX"
    "$LUMUI_WINE" wineboot -i >/dev/null 2>&1 || true
    "$LUMUI_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' /t REG_SZ \
        /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    "$LUMUI_WINE" reg query 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' 2>/dev/null \
        | grep -q 'WenQuanYi' || { echo "font replacement not set in $WINEPREFIX" >&2; return 1; }
    "${LUMUI_WINE%/*}/wineserver" -w 2>/dev/null || true
    touch "$WINEPREFIX/.lumui-ready"
    lumui_unmanaged_windows
}

# Without a window manager, Wine waits 2 s for one on every hide or destroy
# of a shown top-level window, unless its windows are unmanaged.
lumui_unmanaged_windows() {
    if [ -f "$WINEPREFIX/.lumui-unmanaged" ]; then return 0; fi
    mkdir -p "$WINEPREFIX"
    "$LUMUI_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || return 1
    "${LUMUI_WINE%/*}/wineserver" -w 2>/dev/null || true
    touch "$WINEPREFIX/.lumui-unmanaged"
}
