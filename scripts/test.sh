#!/usr/bin/env bash
# Builds and runs every test: the Release suite, the whole suite again under AddressSanitizer +
# UndefinedBehaviorSanitizer, and the thread hand-over tests (label "threads") under ThreadSanitizer.
# Installs what it needs first (scripts/setup.sh). Build trees go to build/<suite>/.
set -euo pipefail

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root_dir/scripts/setup.sh"

export CCACHE_SLOPPINESS=time_macros
export CCACHE_NOHASHDIR=1
export CCACHE_BASEDIR="$root_dir"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
jobs=${VK_JOBS:-$(nproc)}

summaries=()
failed=0

# The editor's OpenGL tests (label "display") need an X server; a private Xvfb serves them. -noreset keeps
# the server's atoms alive between test processes.
source "$root_dir/scripts/private_xvfb.sh"
use_private_xvfb 91
source "$root_dir/scripts/cmake_args.sh"

# run_suite <name> <ctest args> <build targets, space-separated, empty for all> -- <cmake args...>
run_suite() {
    local name=$1 ctest_args=$2 targets=$3
    shift 4
    local dir="$root_dir/build/$name"
    echo "=== $name: configure and build"
    cmake -S "$root_dir" -B "$dir" "$@" >/dev/null
    # shellcheck disable=SC2086
    cmake --build "$dir" -j "$jobs" ${targets:+--target $targets}
    echo "=== $name: test"
    local log="$dir/ctest.log"
    set +e
    # A test that fails is run once more: a window test on a machine busy with other work can miss a
    # timing bound once. The summary names each such test, and a sanitizer report from any run fails the
    # suite whatever the second run did: a memory fault or a race shows only sometimes, and is still one.
    # shellcheck disable=SC2086
    (cd "$dir" && ctest --output-on-failure --timeout 600 -j "$jobs" --repeat until-pass:2 $ctest_args) 2>&1 |
        tee "$log"
    local rc=${PIPESTATUS[0]}
    set -e
    summaries+=("$name: $(grep -E 'tests passed|No tests were found' "$log" | tail -n 1)")
    # The names of failed tests, so that the end of the output says which (the details are above, and in
    # the log).
    local final_failures
    final_failures=$(sed -n '/following tests FAILED/,/^$/p' "$log" | grep -E '^[[:space:]]*[0-9]+ - ' || true)
    while IFS= read -r line; do [ -z "$line" ] || summaries+=("  failed:$line"); done <<<"$final_failures"
    local number
    while IFS= read -r line; do
        number=$(sed -E 's/.*Test +#([0-9]+):.*/\1/' <<<"$line")
        grep -qE "^[[:space:]]*$number - " <<<"$final_failures" ||
            summaries+=("  passed only on its second run: $(sed -E 's/.*(Test +#[0-9]+: .*[^ .]) \.+.*/\1/' \
                <<<"$line")")
    done < <(grep -E 'Test +#[0-9]+: .*\*\*\*(Failed|Timeout|Exception|Not Run)' "$log" | sort -u || true)
    if grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|WARNING: ThreadSanitizer|runtime error:' "$log"; then
        summaries+=("  a sanitizer report above (in a run of a test that failed): the suite fails")
        rc=1
    fi
    [ "$rc" -eq 0 ] || failed=1
}

run_suite release "" "" -- "${vk_release_cmake_args[@]}"
run_suite asan-ubsan "" "" -- "${vk_sanitizer_cmake_args[@]}" \
    -DVK_SANITIZE=address,undefined -DVK_BUILD_BENCHMARKS=OFF -DVK_BUILD_HOST_TOOLS=OFF
# Besides the thread tests, the TSan tree builds (warnings as errors, nothing run) what the ASan tree leaves
# out: the benchmarks, the console VST3 host and the tests that need it.
run_suite tsan "-L threads" "vk_thread_tests bench_fft bench_latiphonix bench_editor vk_vst3_host \
    host_third_party_test vst3_bundle_test vst3_editor_host_test aax_module_test" -- \
    "${vk_sanitizer_cmake_args[@]}" -DVK_SANITIZE=thread -DVK_BUILD_BENCHMARKS=ON -DVK_BUILD_HOST_TOOLS=ON

# Bounded libFuzzer runs over the readers of untrusted input (clang build of its own; scripts/fuzz.sh).
if "$root_dir/scripts/fuzz.sh" "${VK_FUZZ_SECONDS:-60}"; then
    summaries+=("fuzz: state chunk, AAX controls chunk, preset file and update reply readers, ${VK_FUZZ_SECONDS:-60} s each, no crash")
else
    summaries+=("fuzz: FAILED (crashing inputs in build/fuzz/artifacts/)")
    failed=1
fi

echo
echo "=== summary"
printf '%s\n' "${summaries[@]}"
exit $failed
