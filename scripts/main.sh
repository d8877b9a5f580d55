#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (scripts/setup.sh), builds everything in Release into build/release/,
# and runs the main job: the FFT benchmark beside FFTW, with the ratio table at the end.
set -euo pipefail

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root_dir/scripts/setup.sh"

export CCACHE_SLOPPINESS=time_macros
export CCACHE_NOHASHDIR=1
dir="$root_dir/build/release"

cmake -S "$root_dir" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j "${VK_JOBS:-$(nproc)}"

echo "=== FFT benchmark (ours beside FFTW)"
"$dir/bench/bench_fft" --benchmark_min_time=0.2
