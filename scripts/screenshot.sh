#!/usr/bin/env bash
# Writes a picture of the product editor (PNG) with the screenshot tool of a Release build; starts a private
# Xvfb when no X display is set. The README's picture is made with it:
#   scripts/screenshot.sh docs/latiphonix-editor.png
# usage: scripts/screenshot.sh [output .png] [build folder]
set -euo pipefail

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-"$root_dir/docs/latiphonix-editor.png"}
dir=${2:-"$root_dir/build/release"}
tool="$dir/tools/screenshot/vk_screenshot"
if [ ! -x "$tool" ]; then
    echo "screenshot.sh: $tool not built (cmake --build $dir --target vk_screenshot)" >&2
    exit 1
fi

if [ -z "${DISPLAY:-}" ]; then
    display_number=97
    while [ -e "/tmp/.X${display_number}-lock" ]; do display_number=$((display_number + 1)); done
    Xvfb ":${display_number}" -screen 0 1280x1024x24 -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
    export DISPLAY=":${display_number}"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display_number}" ] && break; sleep 0.1; done
fi

mkdir -p "$(dirname "$out")"
"$tool" "$out" 2000
