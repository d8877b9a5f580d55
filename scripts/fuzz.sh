#!/usr/bin/env bash
# Fuzzes the readers of untrusted input with libFuzzer: the host state reader (setStateInformation), the
# AAX controls chunk reader, the preset file reader and the update check's reply reader, each for the given
# time.
#
#   scripts/fuzz.sh [seconds] [--merge]
#
# seconds: how long to fuzz each reader (default 60, the CI run; give more for a longer search).
# --merge: afterwards, add the new inputs that grow coverage to each reader's checked-in corpus.
#          Without it the checked-in corpora are only read, so a CI run never changes the tree.
#
# Builds with clang in build/fuzz (VK_FUZZ_BUILD_DIR overrides); everything, JUCE included, is compiled
# with AddressSanitizer, our own code also with UndefinedBehaviorSanitizer, and our state reader alone with
# the fuzzer's coverage (tests/fuzz/CMakeLists.txt). Crashing inputs are kept in <build dir>/artifacts/ and
# make the script fail; each reader's run is logged to <build dir>/<fuzzer>.log.
set -euo pipefail

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=60
merge=0
for arg in "$@"; do
    case "$arg" in
    --merge) merge=1 ;;
    ''|*[!0-9]*) echo "usage: $0 [seconds] [--merge]" >&2; exit 2 ;;
    *) seconds=$arg ;;
    esac
done

source_dir=${VK_FUZZ_SOURCE_DIR:-$root_dir}
build_dir=${VK_FUZZ_BUILD_DIR:-$root_dir/build/fuzz}
jobs=${VK_JOBS:-$(nproc)}
artifacts="$build_dir/artifacts"

export CCACHE_SLOPPINESS=time_macros
export CCACHE_NOHASHDIR=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

echo "=== fuzz: configure and build (clang)"
# Warnings are not errors here: the project's warning set is written for gcc, and the gcc
# builds of CI already hold the code to it.
CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVK_SANITIZE=address,undefined -DVK_BUILD_FUZZERS=ON -DVK_BUILD_BENCHMARKS=OFF \
    -DVK_WARNINGS_AS_ERRORS=OFF >/dev/null

mkdir -p "$artifacts"
scratch_root=$(mktemp -d)
trap 'rm -rf "$scratch_root"' EXIT

# fuzz_target <target> <checked-in corpus> <max input length> [libFuzzer options...]
fuzz_target() {
    local target=$1 corpus=$2 max_len=$3
    shift 3
    cmake --build "$build_dir" --target "$target" -j "$jobs"
    local fuzzer
    fuzzer=$(find "$build_dir" -type f -name "$target" -perm -u+x | head -n 1)
    [ -n "$fuzzer" ] || { echo "$target was not built" >&2; exit 1; }

    # New inputs go to a scratch folder first; the checked-in corpus is read-only unless --merge.
    local scratch="$scratch_root/$target"
    mkdir -p "$scratch"
    echo "=== fuzz: $target for ${seconds} s"
    # libFuzzer reports every input that grows coverage; that goes to a log, so that a CI run's printed
    # tail keeps the suites' results. A failing run shows the end of its log.
    local log="$build_dir/$target.log"
    if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
        -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$@" "$scratch" "$corpus" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "=== fuzz: $target FAILED (whole log: $log)"
        return 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$log" || true

    if [ "$merge" -eq 1 ]; then
        echo "=== fuzz: merging new inputs into $corpus"
        "$fuzzer" -merge=1 -timeout=10 -rss_limit_mb=2048 "$corpus" "$scratch"
    fi
}

# One processor serves every state input, and its undo history and the framework's string pool grow by
# design, so libFuzzer's leak check after each such input (a scan of the whole heap) would take most of the
# run. -detect_leaks=0 turns off only that per-input check: LeakSanitizer still checks the whole run when
# it ends, and a leak found there fails the script.
fuzz_target state_chunk_fuzzer "$root_dir/tests/fuzz/corpus/state_chunk" 16384 -detect_leaks=0
fuzz_target aax_chunk_fuzzer "$root_dir/tests/formats/aax/fuzz_corpus" 4096
fuzz_target preset_file_fuzzer "$root_dir/tests/fuzz/corpus/preset_file" 65536
fuzz_target version_reply_fuzzer "$root_dir/tests/fuzz/corpus/version_reply" 65536
