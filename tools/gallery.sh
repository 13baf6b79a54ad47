#!/usr/bin/env bash
# Renders the gallery: every scenario (0-19) in all nine languages at 96 DPI and
# the English scenarios at 144 and 192 DPI, through LumoraUI.dll's LumUI_Render,
# into one folder with an index.html that shows them side by side and lists the
# overflow report of every render; beside the English renders, screenshots of
# the real window of each page and dialog (window_gallery.exe); and the
# window's motions as filmstrips (bin/filmstrips.exe: a cross-fade, a hover, a
# dialog appearing, the progress glide), each frame labelled with its time.
#
#   bash tools/gallery.sh [build folder (build/x64)] [output folder (gallery)]
#
# Needs a built 64-bit tree (tools/build.sh makes build/x64 with
# bin/LumoraUI.dll and bin/render_gallery.exe). Exit status 0 only when every
# render succeeded and no text overflowed its box.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/x64}"
out="${2:-gallery}"
prefix="${LUMUI_GALLERY_PREFIX:-build/wineprefix-gallery}"

exe="$build/bin/render_gallery.exe"
dll="$build/bin/LumoraUI.dll"
for f in "$exe" "$dll" "$build/bin/window_gallery.exe"; do
    [ -f "$f" ] || { echo "gallery: $f is missing; build the x64 tree first (bash tools/build.sh)" >&2; exit 2; }
done

rm -rf "$out"
mkdir -p "$out"
out_abs="$(realpath "$out")"
# Wine maps the Unix root to drive Z:.
out_win="Z:${out_abs//\//\\}"

# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh "$prefix"
trap lumui_stop_display EXIT
lumui_start_display
lumui_prepare_prefix

render_status=0
timeout 1800 "$LUMUI_WINE" "$exe" "$out_win" >"$out/render.log" 2>"$out/render-errors.log" || render_status=$?
# The real window of each page and dialog beside the renders (screenshots of the X screen).
window_status=0
timeout 600 "$LUMUI_WINE" "$build/bin/window_gallery.exe" "$out_abs" >"$out/window.log" 2>>"$out/render-errors.log" ||
    window_status=$?
timeout 300 "$LUMUI_WINE" "$build/bin/filmstrips.exe" "$out_win" >"$out/filmstrips.log" 2>&1 || render_status=$?
lumui_stop_display
trap - EXIT
for log in render window; do
    tr -d '\r' <"$out/$log.log" >"$out/$log.log.tmp" && mv "$out/$log.log.tmp" "$out/$log.log"
done

python3 - "$out" "$render_status" "$window_status" <<'PY'
import html
import os
import sys

out, render_status, window_status = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
languages = ["english", "chinesesimplified", "chinesetraditional", "japanese", "korean",
             "french", "german", "spanish", "portuguese"]
scenarios = ["Welcome", "Options", "Installing", "Installed", "Existing installation",
             "Uninstall", "Uninstalling", "Uninstalled", "Install failed", "Uninstall failed",
             "Options, path error", "Cancel-install dialog", "App-running dialog",
             "Clear-data dialog", "Language menu", "Uninstall, remove data",
             "Uninstalling, cleanup stage", "Closing dialog", "Close-failed dialog", "Title menu"]

reported = {}
for line in open(os.path.join(out, "render.log"), encoding="utf-8", errors="replace"):
    parts = line.split()
    if len(parts) == 2:
        reported[parts[1]] = parts[0] == "ok"

def read_dump(name):
    path = os.path.join(out, name + ".layout.txt")
    try:
        with open(path, "rb") as f:
            text = f.read().decode("utf-8", errors="replace")
    except OSError:
        return None, []
    lines = text.split("\n")
    if not lines or not lines[0].startswith("overflow_count="):
        return None, []
    count = int(lines[0][len("overflow_count="):] or 0)
    # Texts may contain line breaks of their own; the count says how many entries there are.
    return count, [l for l in lines[1:] if l != ""]

renders = []  # (language, scenario, dpi, file)
for lang in languages:
    for s in range(len(scenarios)):
        renders.append((lang, s, 96, f"{lang}-s{s:02d}-96.png"))
for dpi in (144, 192):
    for s in range(len(scenarios)):
        renders.append(("english", s, dpi, f"english-s{s:02d}-{dpi}.png"))

failed, overflowing, results = [], [], {}
for lang, s, dpi, name in renders:
    ok = reported.get(name, False) and os.path.getsize(os.path.join(out, name)) > 0 \
        if os.path.exists(os.path.join(out, name)) else False
    count, texts = read_dump(name)
    results[name] = (ok, count, texts)
    if not ok:
        failed.append(name)
    if count is None or count > 0:
        overflowing.append(name)

def cell(name):
    ok, count, texts = results[name]
    state = "bad" if (not ok or count is None or count > 0) else "good"
    label = "render failed" if not ok else ("no layout dump" if count is None else f"overflow {count}")
    img = f'<a href="{html.escape(name)}"><img src="{html.escape(name)}" loading="lazy" alt="{html.escape(name)}"></a>' if ok else ""
    detail = "".join(f"<li>{html.escape(t)}</li>" for t in texts)
    return (f'<td class="{state}">{img}<div class="tag">{label}</div>'
            + (f"<ul>{detail}</ul>" if detail else "") + "</td>")

rows = []
for s, title in enumerate(scenarios):
    cells = "".join(cell(f"{lang}-s{s:02d}-96.png") for lang in languages)
    rows.append(f"<tr><th>{s}<br>{html.escape(title)}</th>{cells}</tr>")
hidpi = []
for s, title in enumerate(scenarios):
    cells = "".join(cell(f"english-s{s:02d}-{dpi}.png") for dpi in (96, 144, 192))
    hidpi.append(f"<tr><th>{s}<br>{html.escape(title)}</th>{cells}</tr>")

# The window on screen beside the offline render of the same scenario.
shots = {}
for line in open(os.path.join(out, "window.log"), encoding="utf-8", errors="replace"):
    parts = line.split()
    if len(parts) == 2:
        shots[parts[1]] = parts[0] == "ok"
missing_shots = sorted(n for n, ok in shots.items() if not ok)
live = []
for name in sorted(shots):
    s = int(name[len("live-s"):-len(".png")])
    shot = (f'<a href="{name}"><img src="{name}" loading="lazy" alt="{name}"></a>' if shots[name]
            else '<div class="tag">screenshot failed</div>')
    live.append(f'<tr><th>{s}<br>{html.escape(scenarios[s])}</th><td class="{"good" if shots[name] else "bad"}">'
                f'{shot}</td>{cell(f"english-s{s:02d}-96.png")}</tr>')

summary_rows = []
for lang, s, dpi, name in renders:
    ok, count, texts = results[name]
    status = "ok" if ok else "FAILED"
    shown = "-" if count is None else str(count)
    cls = "good" if ok and count == 0 else "bad"
    summary_rows.append(f'<tr class="{cls}"><td>{html.escape(name)}</td><td>{status}</td><td>{shown}</td>'
                        f'<td>{"<br>".join(html.escape(t) for t in texts)}</td></tr>')

clean = not failed and not overflowing and render_status == 0 and window_status == 0 and not missing_shots and shots
verdict = ("All renders succeeded and no text overflowed its box." if clean else
           f"{len(failed)} failed render(s), {len(overflowing)} render(s) with overflowing texts"
           + (f", renderer exit status {render_status}" if render_status else "")
           + (f", {len(missing_shots)} window screenshot(s) missing" if missing_shots or not shots else "") + ".")
head = "".join(f"<th>{l}</th>" for l in languages)
page = f"""<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>LumoraUI render gallery</title>
<style>
body {{ font-family: system-ui, sans-serif; margin: 24px; color: #172B45; background: #fafafa; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #ddd; padding: 6px; vertical-align: top; font-size: 12px; }}
thead th {{ position: sticky; top: 0; background: #fff; }}
img {{ width: 360px; display: block; }}
img.strip {{ width: auto; max-width: 100%; }}
td.bad, tr.bad td {{ background: #fde8e8; }}
.tag {{ margin-top: 4px; }}
td.bad .tag {{ color: #c34747; font-weight: 600; }}
.verdict {{ font-size: 16px; font-weight: 600; color: {"#205FC0" if clean else "#c34747"}; }}
ul {{ margin: 4px 0 0 16px; padding: 0; color: #c34747; max-width: 360px; }}
</style></head><body>
<h1>LumoraUI render gallery</h1>
<p class="verdict">{html.escape(verdict)}</p>
<h2>Every scenario in every language (96 DPI)</h2>
<table><thead><tr><th>Scenario</th>{head}</tr></thead><tbody>{"".join(rows)}</tbody></table>
<h2>English at 96, 144 and 192 DPI</h2>
<table><thead><tr><th>Scenario</th><th>96</th><th>144</th><th>192</th></tr></thead><tbody>{"".join(hidpi)}</tbody></table>
<h2>The window on screen (left) beside LumUI_Render (right), English at 96 DPI</h2>
<p>Screenshots of the real window, shown through LumUI_Create, LumUI_Show and LumUI_Confirm under Wine, taken
from the X screen; the menus and the closing dialog need a click or a running application and are left out.</p>
<table><thead><tr><th>Scenario</th><th>Window</th><th>LumUI_Render</th></tr></thead><tbody>{"".join(live)}</tbody></table>
<h2>Motion: frames of the real window code at their times</h2>
{"".join(f'<p>{html.escape(t)}<br><a href="{f}"><img class="strip" src="{f}" alt="{html.escape(t)}"></a></p>' for f, t in (
    ("crossfade-welcome-options.png", "Welcome to options: the 180 ms cross-fade"),
    ("hover-primary-button.png", "The pointer on the primary button: 120 ms hover"),
    ("dialog-appears.png", "A dialog appears: the 140 ms cross-fade"),
    ("progress-glide.png", "LumUI_SetProgress from 35 to 70: the 140 ms glide")))}
<h2>Overflow report of every render</h2>
<table><thead><tr><th>File</th><th>Render</th><th>overflow_count</th><th>Overflowing texts</th></tr></thead>
<tbody>{"".join(summary_rows)}</tbody></table>
</body></html>
"""
with open(os.path.join(out, "index.html"), "w", encoding="utf-8") as f:
    f.write(page)

print(f"gallery: {len(renders)} renders and {sum(shots.values())} window screenshots in {out}/index.html")
for name in failed:
    print(f"gallery: FAILED render {name}")
for name in overflowing:
    count, texts = results[name][1], results[name][2]
    shown = "no layout dump" if count is None else f"overflow_count={count}"
    print(f"gallery: {name}: {shown}" + "".join(f"\n    {t}" for t in texts))
print("gallery: " + verdict)
sys.exit(0 if clean else 1)
PY
