# shellcheck shell=bash
# Sourced by the scripts that open windows. use_private_xvfb FIRST: without a DISPLAY, starts an Xvfb
# without a desktop on the first free display number from FIRST, exports DISPLAY, and stops the server when
# the calling script exits. -noreset keeps the server's atoms alive between the processes that use it.
use_private_xvfb() {
    [ -z "${DISPLAY:-}" ] || return 0
    local number=$1
    while [ -e "/tmp/.X${number}-lock" ]; do number=$((number + 1)); done
    Xvfb ":${number}" -screen 0 1280x1024x24 -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
    export DISPLAY=":${number}"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${number}" ] && break; sleep 0.1; done
}
