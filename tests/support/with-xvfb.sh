#!/bin/bash
# Runs a command against a private Xvfb server, with --wm under the openbox window manager, with
# --wm=i3 under the tiling window manager i3 (a configuration of its own: no bar, no status line, no
# other program started):
#   with-xvfb.sh [--wm | --wm=openbox | --wm=i3] command args...
# The server gets a free display number from Xvfb itself (-displayfd); everything started here is
# stopped by process id when the command ends. SHELLYARD_TEST_WM names the window manager.
set -u
wm=
case "${1:-}" in
    --wm|--wm=openbox) wm=openbox; shift ;;
    --wm=i3) wm=i3; shift ;;
esac

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
# PuTTY's saved sessions and known host keys of the developer are never read: a settings folder of
# our own unless the caller (with-sshd.sh) has given one.
if [ -z "${PUTTYDIR:-}" ]; then
    mkdir -p "$work/putty"
    export PUTTYDIR="$work/putty"
fi

if [ "$wm" = openbox ]; then
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wmpid=$!
elif [ "$wm" = i3 ]; then
    # No bar block: i3 starts no i3bar and no i3status. Its IPC socket stays in our folder.
    cat >"$work/i3.config" <<EOF
# i3 config file (v4)
ipc-socket $work/i3-ipc.sock
font pango:monospace 8
focus_follows_mouse no
EOF
    i3 -c "$work/i3.config" --shmlog-size 0 >"$work/i3.log" 2>&1 &
    wmpid=$!
fi
if [ -n "$wm" ]; then
    for _ in $(seq 1 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        kill -0 "$wmpid" 2>/dev/null || { cat "$work/$wm.log" >&2; echo "$wm did not start" >&2; exit 1; }
        sleep 0.05
    done
    export SHELLYARD_TEST_WM=$wm
fi

"$@"
exit $?
