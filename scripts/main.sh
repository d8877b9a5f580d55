#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (scripts/setup.sh), builds everything in Release into build/release/,
# installs the VST3 bundle into ~/.vst3 (where Linux hosts look for it), renders a short demo through our
# console host with the start-up factory preset, takes a picture of the editor, and runs the FFT benchmark
# beside FFTW.
set -euo pipefail

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root_dir/scripts/setup.sh"

export CCACHE_SLOPPINESS=time_macros
export CCACHE_NOHASHDIR=1
export CCACHE_BASEDIR="$root_dir"
dir="$root_dir/build/release"

cmake -S "$root_dir" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j "${VK_JOBS:-$(nproc)}"

bundle_name="VEKLA Latiphonix3.vst3"
echo "=== installing $bundle_name into ~/.vst3"
mkdir -p "$HOME/.vst3"
rm -rf "$HOME/.vst3/$bundle_name"
cp -r "$dir/vst3/$bundle_name" "$HOME/.vst3/"

# A fresh instance starts on the first factory preset, "Tickle my beats".
demo="$dir/demo/latiphonix-demo.wav"
mkdir -p "$(dirname "$demo")"
echo "=== rendering 5 s of stereo noise through the factory preset \"Tickle my beats\""
"$dir/tools/host/vk_vst3_host" "$HOME/.vst3/$bundle_name" --noise --seconds 5 --rate 48000 --block 512 \
    --output "$demo" >/dev/null
echo "demo written to $demo"

echo "=== editor screenshot"
"$root_dir/scripts/screenshot.sh" "$dir/screenshot/latiphonix-editor.png" "$dir"

echo "=== FFT benchmark (ours beside FFTW)"
"$dir/bench/bench_fft" --benchmark_min_time=0.2
