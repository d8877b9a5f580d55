#!/usr/bin/env bash
# Our VST3 bundle in Ardour, a second independent host: Ardour's VST3 scanner indexes the bundle, then a
# headless Lua session (dummy backend, white noise in) runs the plug-in on a stereo track and checks the
# output meters against the input, with "Output Balance" and "Output To Mono" set from Lua and
# "Output Balance" automated; it saves the session, and a second Lua run reopens it and checks the
# plug-in's restored parameters, automation list and sound; a third does the same with a copy of the
# session that lacks the plug-in's own state, so only Ardour's per-parameter values restore it.
#
# Usage: ardour_host_test.sh <bundle folder> <ardour_session.lua>
# Exit status: 0 passed, 1 failed, 77 skipped (Ardour is not installed).
set -uo pipefail

bundle=${1:?bundle folder}
lua_script=${2:?Lua session script}
plugin_name="VEKLA Latiphonix3"
vendor="VEKLA Audio"
skip=77

# The newest installed Ardour that has both the Lua session tool and the VST3 scanner.
ardour_lua=""
scanner=""
ardour_dir=""
for candidate in $(compgen -c ardour | grep -E '^ardour[0-9]+-lua$' | sort -u -V -r); do
    major=${candidate#ardour}
    major=${major%-lua}
    if [ -x "/usr/lib/ardour$major/ardour-vst3-scanner" ]; then
        ardour_lua=$(command -v "$candidate")
        scanner="/usr/lib/ardour$major/ardour-vst3-scanner"
        ardour_dir="ardour$major"
        break
    fi
done
if [ -z "$ardour_lua" ]; then
    echo "SKIPPED: Ardour is not installed (no ardourN-lua with /usr/lib/ardourN/ardour-vst3-scanner);" \
        "install the Debian package 'ardour' to run this test"
    exit $skip
fi

if [ ! -f "$bundle/Contents/x86_64-linux/$plugin_name.so" ]; then
    echo "FAIL: the bundle is missing or incomplete: $bundle (build the target vk_vst3_bundle)"
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vk-ardour-host.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A private home, configuration and cache: Ardour looks for VST3 bundles in $HOME/.vst3 on Linux and
# keeps the scanner's results in $XDG_CACHE_HOME/ardourN/vst.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
mkdir -p "$HOME/.vst3" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
installed="$HOME/.vst3/$plugin_name.vst3"
# A copy dated a minute back: Ardour trusts its scan cache only when the bundle is older than the cache
# entry, and a bundle linked moments ago can look newer than the scan that follows.
cp -r "$bundle" "$installed"
find "$installed" -exec touch -h -d "-1 minute" {} +

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

echo "== $scanner"
scan_log="$work/scan.log"
LD_LIBRARY_PATH="/usr/lib/$ardour_dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
    timeout 60 "$scanner" --force --verbose "$installed" >"$scan_log" 2>&1
scan_status=$?
cat "$scan_log"
[ $scan_status -eq 0 ] || fail "the VST3 scanner exited with $scan_status"
grep -qF "Found Plugin: $plugin_name" "$scan_log" || fail "the scanner did not report '$plugin_name'"

cache_files=("$XDG_CACHE_HOME/$ardour_dir/vst/"*.v3i)
if [ ! -f "${cache_files[0]}" ]; then
    fail "the scanner wrote no cache file to $XDG_CACHE_HOME/$ardour_dir/vst"
else
    cache=$(cat "${cache_files[@]}")
    for attribute in "name=\"$plugin_name\"" "vendor=\"$vendor\"" 'n_inputs="2"' 'n_outputs="2"' \
        'category="Fx|Sound Field"'; do
        grep -qF "$attribute" <<<"$cache" || fail "the scanner's cache lacks $attribute"
    done
fi
if [ $failures -ne 0 ]; then
    echo "ardour-host: the scan failed; the session is not run"
    exit 1
fi

# One run of the Lua session: <label> <phase> <minimum number of checks> <session folder> [arguments].
# Its log goes to $work/<label>.log.
run_session() {
    local label=$1 phase=$2 minimum=$3 session=$4
    shift 4
    local log="$work/$label.log"
    echo "== $ardour_lua $lua_script ($label)"
    # "--": the reference level is negative and would read as an option.
    timeout 120 "$ardour_lua" -- "$lua_script" "$session" "$plugin_name" "$vendor" "$phase" "$@" >"$log" 2>&1
    local status=$?
    cat "$log"
    # Ardour's Lua tool reports script errors on its output but may still exit 0: the summary line decides.
    [ $status -eq 0 ] || fail "the Lua session ($label) exited with $status"
    local summary
    summary=$(grep -E '^ardour-host summary: [0-9]+ checks ok, [0-9]+ checks failed$' "$log" | tail -n 1)
    if [ -z "$summary" ]; then
        fail "the Lua session ($label) ended before its summary (a script error or a crash)"
    else
        local passed failed
        read -r _ _ passed _ _ failed _ _ <<<"$summary"
        [ "$failed" -eq 0 ] || fail "$failed check(s) in the Lua session ($label) failed"
        [ "$passed" -ge "$minimum" ] || fail "only $passed check(s) in the Lua session ($label) ran"
    fi
    grep -q '^CHECK FAIL' "$log" && fail "see the CHECK FAIL lines above ($label)"
    # Ardour logs a plug-in's refused state or failed calls as errors naming the plug-in, without
    # stopping: for example "VST3<name>: failed to load chunk-data" when restoring a saved session.
    local errors
    errors=$(grep -F '[ERROR]' "$log" | grep -F "$plugin_name")
    [ -z "$errors" ] || fail "Ardour reported errors about the plug-in ($label): $errors"
}

# First run: the sound with parameters and automation, then the session is saved with distinctive
# settings. Second run, a new process: the saved session is opened and must sound and read the same.
run_session create create 55 "$work/session"
reference=$(grep -E '^ardour-host reference: -?[0-9.]+$' "$work/create.log" | tail -n 1 | cut -d' ' -f3)
if [ $failures -ne 0 ] || [ -z "$reference" ]; then
    [ -n "$reference" ] || fail "the first Lua session gave no reference level"
    echo "ardour-host: the first session failed; the saved session is not reopened"
else
    # A copy without the plug-in's own state: Ardour then restores the parameters from the values it
    # keeps per parameter, which reach the processor only once it runs, after it was set up.
    cp -r "$work/session" "$work/session-values"
    perl -0pi -e 's{<chunk>.*?</chunk>\s*}{}gs' "$work/session-values/"*.ardour
    if grep -q '<chunk>' "$work/session-values/"*.ardour; then
        fail "the plug-in state could not be removed from the session copy"
    fi
    run_session reload reload 20 "$work/session" "$reference"
    run_session reload-values reload 20 "$work/session-values" "$reference"
fi

if [ $failures -ne 0 ]; then
    echo "ardour-host: FAILED"
    exit 1
fi
echo "ardour-host: passed"
