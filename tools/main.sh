#!/usr/bin/env bash
# The main job: builds both DLLs into dist/, checks the shipped 32-bit one, and
# renders the gallery (every screen in every language) into gallery/ with its
# index.html and overflow summary. Exit status 0 only when every render
# succeeded and no text overflowed its box.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
LUMUI_GALLERY_PREFIX="${LUMUI_GALLERY_PREFIX:-build/wineprefix}" bash tools/gallery.sh build/x64 gallery
