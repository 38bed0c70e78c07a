#!/bin/bash
# Runs a command in a mount namespace of its own, so that the file systems a test mounts (a tiny
# one that is full, a read-only one) are seen by the test alone and vanish with it:
#   with-private-mounts.sh command args...
# The command gets SHELLYARD_TEST_MOUNTS=1 when it may mount; where the system allows no private
# mount namespace it runs as it is, without that variable, and such tests skip.
set -u
if [ -z "${SHELLYARD_TEST_MOUNTS:-}" ] && unshare --mount --propagation private true 2>/dev/null; then
    SHELLYARD_TEST_MOUNTS=1 exec unshare --mount --propagation private "$@"
fi
exec "$@"
