#!/usr/bin/env bash
# End-to-end run of the reference setup host (lumora_setup.exe) on the current
# X display under Wine, driven by real pointer clicks (xdotool):
#   install:   welcome → Customize → options, a relative folder typed → Start →
#              the folder error → the real folder typed → Start; a stand-in for
#              Lumora runs from the install folder, so "Close and continue" →
#              copying → Later
#   uninstall: started again through /LUMLOGFILE= (LumUI_RunLogged) → existing
#              installation → uninstall link → remove data → Uninstall → Clear and
#              uninstall → uninstalling with the data-cleanup stage → Finish
# Then checks the transcripts call by call, the files, that the stand-in was
# closed, and that the host's log files hold the native lines in order, once.
#   tools/setup-e2e.sh <bin dir> [screenshot dir]
# <bin dir> holds lumora_setup.exe, LumoraUI.dll and lumfixture_app.exe. With a
# screenshot dir, three screens of each flow are saved there as PNG
# (docs/screenshots/ holds the ones the README shows).
# Needs WINEPREFIX and DISPLAY (tools/wine-env.sh; ctest runs it under tools/test.sh).
set -euo pipefail
bin=$(realpath "${1:?bin dir}")
shots=${2:+$(realpath -m "$2")}
wine=${LUMUI_WINE:-/usr/lib/wine/wine64}
work=$(mktemp -d /tmp/lumora-e2e.XXXXXX)
pids=()
cleanup() {
    # The started programs, and the relaunched host, whose command line names $work.
    for p in "${pids[@]}" $(pgrep -f "${work##*/}" || true); do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

win() { local p=${1//\//\\}; echo "Z:$p"; }
fail() {
    echo "FAIL: $*"
    for f in "$work"/*.txt "$work"/*.log; do [ -f "$f" ] && { echo "--- $f"; grep -v '^LumUI_SetProgress(' "$f"; }; done
    exit 1
}
# poll <seconds> <what> <command...>: runs the command until it succeeds.
poll() {
    local deadline=$((SECONDS + $1)) what=$2; shift 2
    until "$@"; do
        [ $SECONDS -lt "$deadline" ] || fail "timed out waiting for $what"
        sleep 0.1
    done
}
has() { grep -qF -- "$2" "$1" 2>/dev/null; }
# click <x> <y> <log> <line>: clicks the layout point (x, y) of the window
# until the host's log file shows the action line.
click() {
    local attempt
    for attempt in 1 2 3; do
        xdotool mousemove $((ox + $1)) $((oy + $2)) click 1
        local deadline=$((SECONDS + 5))
        while [ $SECONDS -lt $deadline ]; do has "$3" "$4" && return 0; sleep 0.1; done
    done
    fail "no \"$4\" after clicking ($1, $2)"
}
# origin: the top-left corner of the Lumora window on the screen.
find_window() { wid=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1); [ -n "$wid" ]; }
origin() {
    poll 20 "the window \"$1\"" find_window "$1"
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    ox=$X oy=$Y
}
# shot <name> [changed]: saves the window once four captures in a row agree
# (animations done; with "changed", and differ from the previous shot), or
# after 5 s.
shot() {
    [ -n "$shots" ] || return 0
    local deadline=$((SECONDS + 5)) last= same=0 sum
    while [ $SECONDS -lt "$deadline" ]; do
        import -window root -crop "720x480+$ox+$oy" +repage "$work/shot.ppm"
        sum=$(md5sum <"$work/shot.ppm")
        [ "$sum" = "$last" ] && same=$((same + 1)) || same=0
        last=$sum
        [ "${2:-}" = changed ] && [ "$sum" = "$(cat "$work/shot.sum" 2>/dev/null)" ] && continue
        [ $same -ge 3 ] && break
    done
    echo "$sum" >"$work/shot.sum"
    convert "$work/shot.ppm" -colors 255 "$shots/$1.png"
}
calls() { grep -v '^LumUI_SetProgress(' "$1"; }

dir="$work/Lumora Test"
data="$work/data"
mkdir -p "$dir/bin" ${shots:+"$shots"}
common=("/DIR=$(win "$dir")" "/DATA=$(win "$data")" "/DPI=96" "/APP=$(win "$bin/lumfixture_app.exe")")

# A stand-in for Lumora, running from inside the install folder.
cp "$bin/lumfixture_app.exe" "$dir/bin/helper.exe"
"$wine" "$dir/bin/helper.exe" window &
pids+=($!)
probe() {
    local code=0
    "$wine" "$bin/lumfixture_app.exe" probe "$(win "$bin/LumoraUI.dll")" "$(win "$dir/Lumora.exe")" "$(win "$work/probe.out")" || code=$?
    [ "$code" = "$1" ]
}
poll 30 "the stand-in to run" probe 101

# Install.
t1=$work/install.txt log1=$work/install.log
start=$SECONDS
"$wine" "$bin/lumora_setup.exe" "${common[@]}" "/LOG=$(win "$log1")" "/TRANSCRIPT=$(win "$t1")" >/dev/null &
pids+=($!)
poll 30 "the welcome page" has "$t1" "LumUI_Show()"
origin "Welcome to Lumora"
click 178 391 "$log1" "UI action=2 page=0 dialog=0"          # Customize
poll 10 "the options page" has "$t1" "LumUI_SetPage(1)"
shot install-1-options
type_folder() {
    xdotool mousemove $((ox + 300)) $((oy + 198)) click 1 key End shift+Home
    xdotool type --delay 10 "$1"
}
type_folder 'relative\folder'
click 578 444 "$log1" "UI action=3 page=1 dialog=0"          # Start installation
poll 10 "the folder error" has "$t1" "LumUI_SetPage(10)"
type_folder "$(win "$dir")"
click 578 444 "$log1" "UI action=3 page=10 dialog=0"         # Start installation
poll 20 "the app-running dialog" has "$t1" "LumUI_ProcessRunning(\"$(win "$dir")\\Lumora.exe\") = 1"
shot install-2-app-running changed
click 484 350 "$log1" "UI action=202 page=1 dialog=2"        # Close and continue
# Each of the 300 files moves the bar, and under Wine's software renderer every
# repaint of the bar takes tens of milliseconds.
poll 120 "the installed page" has "$t1" "LumUI_SetPage(3)"
shot install-3-installed
click 178 392 "$log1" "UI action=7 page=3 dialog=0"          # Later
poll 20 "the host to end" has "$t1" "LumUI_Destroy()"
echo "install flow: $((SECONDS - start)) s"

d=$(win "$dir")
diff <(calls "$t1") - <<EOF || fail "install transcript"
LumUI_ConfigureLog("$(win "$log1")", callback) = 0
LumUI_LoadLanguage("", "english")
LumUI_SetPath("$d")
LumUI_Create(0, 96) = 1
LumUI_Show()
LumUI_Poll() = 2
LumUI_SetPage(1)
LumUI_Poll() = 3
LumUI_GetPath() = "relative\\folder"
LumUI_ValidatePath("relative\\folder", 64) = 1
LumUI_SetText("Error", "Choose a valid absolute installation path.")
LumUI_SetPage(10)
LumUI_Poll() = 3
LumUI_GetPath() = "$d"
LumUI_ValidatePath("$d", 64) = 0
LumUI_SetPage(1)
LumUI_ProcessRunning("$d\\Lumora.exe") = 1
LumUI_Confirm(2) = 1
LumUI_CloseApplication("$d\\Lumora.exe") = 1
LumUI_SetPage(2)
LumUI_SetPage(3)
LumUI_Poll() = 7
LumUI_Destroy()
EOF
[ "$(grep -c '^LumUI_SetProgress(' "$t1")" = 300 ] || fail "300 progress steps"
has "$t1" 'LumUI_SetProgress(300, 300, "plugins\part0299.dat")' || fail "last progress step"
[ "$(find "$dir" -type f | wc -l)" = 302 ] || fail "300 files, the file list and the stand-in in $dir"
cmp -s "$bin/lumfixture_app.exe" "$dir/Lumora.exe" || fail "Lumora.exe installed"
[ -f "$data/settings.ini" ] || fail "settings written"
poll 10 "the stand-in to end" eval '! kill -0 "${pids[0]}" 2>/dev/null'
has "$log1" 'path="'"$d"'\bin\helper.exe" exitCode=0 gracefulRequested=1' || fail "stand-in closed by WM_CLOSE"

# Uninstall, through the logged relaunch.
t2=$work/uninstall.txt log2=$work/uninstall.log
start=$SECONDS
"$wine" "$bin/lumora_setup.exe" "${common[@]}" "/TRANSCRIPT=$(win "$t2")" "/LUMLOGFILE=$(win "$log2")" >/dev/null &
pids+=($!)
poll 30 "the existing-installation page" has "$t2" "LumUI_Show()"
origin "Welcome to Lumora"
click 70 359 "$log2" "UI action=13 page=4 dialog=0"          # uninstall link
poll 10 "the uninstall page" has "$t2" "LumUI_SetPage(5)"
click 64 269 "$log2" "UI action=101 page=5 dialog=0"         # remove data
shot uninstall-1-confirm
click 590 444 "$log2" "UI action=3 page=5 dialog=0"          # Uninstall
shot uninstall-2-clear-data changed
click 482 336 "$log2" "UI action=202 page=5 dialog=3"        # Clear and uninstall
poll 120 "the uninstalled page" has "$t2" "LumUI_SetPage(7)"
shot uninstall-3-uninstalled
click 590 444 "$log2" "UI action=7 page=7 dialog=0"          # Finish
poll 20 "the relaunch to end" grep -q '^LumUI_RunLogged(.*) = 0$' "$t2"
echo "uninstall flow: $((SECONDS - start)) s"

diff <(calls "$t2" | sed 's/^\(LumUI_RunLogged(\).*\(, 0) = 0\)$/\1…\2/') - <<EOF || fail "uninstall transcript"
LumUI_ConfigureLog("$(win "$log2")", callback) = 0
LumUI_LoadLanguage("", "english")
LumUI_SetPath("$d")
LumUI_Create(4, 96) = 1
LumUI_Show()
LumUI_Poll() = 13
LumUI_SetPage(5)
LumUI_RunModal() = 3
LumUI_ProcessRunning("$d\\Lumora.exe") = 0
LumUI_SetPage(6)
LumUI_GetFlags() = 3
LumUI_SetFlags(11)
LumUI_SetPage(7)
LumUI_RunModal() = 1
LumUI_Destroy()
LumUI_RunLogged(…, 0) = 0
EOF
has "$t2" "LumUI_SetProgress(1, 1, \"$(win "$data")\\settings.ini\")" || fail "data-cleanup progress"
[ "$(find "$dir" -type f)" = "$dir/bin/helper.exe" ] || fail "only the stand-in left in $dir"
[ ! -e "$data" ] || fail "data folder removed"

# The log files: every native line, in order, once: no line twice, and the
# start, action, scan and shutdown lines in the order they happened.
check_log() {
    local log=$1; shift
    grep -q '^\[native [0-9:.]*\] Native UI initialized; PID=' <(head -1 "$log") || fail "$log: first line"
    [ -z "$(grep '^\[native ' "$log" | sort | uniq -d)" ] || fail "$log: a line twice"
    diff <(grep -oE 'Native UI initialized|UI action=[0-9]+ page=[0-9]+ dialog=[0-9]+|Snapshot result: running=[0-9]+|Shutdown (started|succeeded)' "$log") \
        <(printf '%s\n' "Native UI initialized" "$@") || fail "$log: lines out of order"
}
check_log "$log1" "UI action=2 page=0 dialog=0" "UI action=3 page=1 dialog=0" "UI action=3 page=10 dialog=0" \
    "Snapshot result: running=1" "UI action=202 page=1 dialog=2" "Shutdown started" "Snapshot result: running=0" \
    "Shutdown succeeded" "UI action=7 page=3 dialog=0"
check_log "$log2" "UI action=13 page=4 dialog=0" "UI action=101 page=5 dialog=0" "UI action=3 page=5 dialog=0" \
    "UI action=202 page=5 dialog=3" "Snapshot result: running=0" "UI action=7 page=7 dialog=0"
echo PASS
