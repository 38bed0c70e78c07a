#!/bin/bash
# Runs a command against a private Xvfb server (and, with --wm, the openbox window manager):
#   with-xvfb.sh [--wm] command args...
# The server gets a free display number from Xvfb itself (-displayfd); everything started here is
# stopped by process id when the command ends.
set -u
wm=0
if [ "${1:-}" = "--wm" ]; then wm=1; shift; fi

work=$(mktemp -d)
cleanup() {
    [ -n "${wmpid:-}" ] && kill "$wmpid" 2>/dev/null && wait "$wmpid" 2>/dev/null
    [ -n "${xpid:-}" ] && kill "$xpid" 2>/dev/null && wait "$xpid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xpid=$!
for _ in $(seq 1 200); do
    [ -s "$work/display" ] && break
    kill -0 "$xpid" 2>/dev/null || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
[ -s "$work/display" ] || { echo "Xvfb gave no display number" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export GDK_BACKEND=x11
export NO_AT_BRIDGE=1

if [ "$wm" = 1 ]; then
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wmpid=$!
    for _ in $(seq 1 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    export SHELLYARD_TEST_WM=openbox
fi

"$@"
exit $?
