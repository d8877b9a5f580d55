#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (scripts/setup.sh), builds everything in Release into build/release/,
# installs the modules for the current user (the VST3 bundle in ~/.vst3, the VST 2.4 module in ~/.vst; the
# README says which hosts look there and how to point the others at them), renders a short demo through our
# console host with the start-up factory preset, photographs the editor opened through the VST3 view, and runs
# the FFT benchmark beside FFTW. The output stays short: where things went and the FFT ratio table; the logs
# of set-up, build and benchmark go to files.
set -euo pipefail

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir="$root_dir/build/release"
logs="$dir/logs"
mkdir -p "$logs"

# Runs a step with its output in a log file; shows the end of the log when it fails.
quietly() {
    local log="$1"
    shift
    if ! "$@" >"$log" 2>&1; then
        echo "failed: $* (last lines of $log):" >&2
        tail -n 40 "$log" >&2
        exit 1
    fi
}

quietly "$logs/setup.log" "$root_dir/scripts/setup.sh"

export CCACHE_SLOPPINESS=time_macros
export CCACHE_NOHASHDIR=1
export CCACHE_BASEDIR="$root_dir"
source "$root_dir/scripts/cmake_args.sh"
quietly "$logs/configure.log" cmake -S "$root_dir" -B "$dir" "${vk_release_cmake_args[@]}"
quietly "$logs/build.log" cmake --build "$dir" -j "${VK_JOBS:-$(nproc)}"
echo "built in $dir (logs in $logs)"

bundle_name="VEKLA Latiphonix3.vst3"
mkdir -p "$HOME/.vst3" "$HOME/.vst"
rm -rf "${HOME:?}/.vst3/$bundle_name"
cp -r "$dir/vst3/$bundle_name" "$HOME/.vst3/"
echo "VST3 bundle installed: $HOME/.vst3/$bundle_name"
vst2_module="VEKLA Latiphonix3.so"
cp "$dir/vst2/$vst2_module" "$HOME/.vst/$vst2_module"
echo "VST 2.4 module installed: $HOME/.vst/$vst2_module"

host="$dir/tools/host/vk_vst3_host"

# A fresh instance starts on the first factory preset, "Tickle my beats".
demo="$dir/demo/latiphonix-demo.wav"
mkdir -p "$(dirname "$demo")"
quietly "$logs/demo.log" "$host" "$HOME/.vst3/$bundle_name" --noise --seconds 5 --rate 48000 --block 512 \
    --output "$demo"
echo "demo (5 s of stereo noise through \"Tickle my beats\"): $demo"

# The editor through the VST3 view, in a window of the console host; a private Xvfb without a desktop.
source "$root_dir/scripts/private_xvfb.sh"
use_private_xvfb 91
screenshot="$dir/demo/latiphonix-editor.png"
rm -f "$screenshot"
quietly "$logs/screenshot.log" "$host" "$HOME/.vst3/$bundle_name" --screenshot "$screenshot" --editor-ms 1500 \
    --seconds 0
if grep -q '^editor.present=0' "$logs/screenshot.log"; then
    echo "editor screenshot: none (the plug-in reports no editor)"
else
    echo "editor screenshot: $screenshot ($(sed -n 's/^editor.window=//p' "$logs/screenshot.log"))"
fi

bench_log="$logs/fft-benchmark.txt"
quietly "$bench_log" "$dir/bench/bench_fft" --benchmark_min_time=0.2
echo "FFT benchmark (full output: $bench_log)"
sed -n '/^Best real time per transform/,$p' "$bench_log"
