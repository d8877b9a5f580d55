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

source "$root_dir/scripts/private_xvfb.sh"
use_private_xvfb 97

mkdir -p "$(dirname "$out")"
"$tool" "$out" 2000
