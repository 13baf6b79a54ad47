#!/usr/bin/env bash
# The main job: builds both DLLs into dist/ and checks the shipped 32-bit one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
