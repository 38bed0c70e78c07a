#!/bin/bash
# Runs a command next to a private OpenSSH server on 127.0.0.1 with a test account of its own:
#   with-sshd.sh command args...
# The command gets, in its environment:
#   SHELLYARD_TEST_SSH_PORT       the server's port (a free one)
#   SHELLYARD_TEST_SSH_PORT22     1 when the server also listens on 127.0.0.1:22 (the port Quick Login
#                                 uses); this needs a private network namespace, which is used when the
#                                 system allows one, so that parallel runs never meet
#   SHELLYARD_TEST_SSH_USER, SHELLYARD_TEST_SSH_PASSWORD (holds a blank, shell characters and a
#                                 letter outside ASCII),
#   SHELLYARD_TEST_SSH_HOME       the account's home directory, where commands typed in tests leave files
#   SHELLYARD_TEST_SSH_USER2, SHELLYARD_TEST_SSH_HOME2   a second account with the same password
#   SHELLYARD_TEST_SSH_LOG        the server's log: one "Accepted password for <user>" line per login
#   SHELLYARD_TEST_SSH_AUTHORIZED_KEYS  the account's authorized keys file: public keys a test writes
#                                 there log in ("Accepted publickey for <user>" in the log)
#   HOME                          a home of its own, and no SSH_AUTH_SOCK: the developer's keys and
#                                 agent never take part
#   PUTTYDIR                      a PuTTY settings folder of its own whose host-key cache already
#                                 holds the server's key for both ports
# Everything started here is stopped by process id at the end; the account is removed again.
set -u
if [ -z "${SHELLYARD_SSHD_NETNS:-}" ]; then
    if unshare --net true 2>/dev/null; then
        SHELLYARD_SSHD_NETNS=1 exec unshare --net "$0" "$@"
    fi
    export SHELLYARD_SSHD_NETNS=0
fi
if [ "$SHELLYARD_SSHD_NETNS" = 1 ]; then
    ip link set lo up || exit 1
fi

work=$(mktemp -d /tmp/shellyard-sshd.XXXXXX)
chmod 755 "$work"
user="sy$(date +%s%N | tail -c 7)$$"
user=${user:0:30}
user2="${user}b"
# Unique to this run, so that checks for the password in the machine's process table never meet
# another run's.
password='s3cret pä$s;w"ord|&'"'"'x'"$$-$RANDOM"

cleanup() {
    if [ -n "${sshdpid:-}" ]; then
        kill "$sshdpid" 2>/dev/null
        wait "$sshdpid" 2>/dev/null
    fi
    # Processes the test account still runs (shells of sessions a test left) end with it.
    for account in "$user" "$user2"; do
        for pid in $(pgrep -u "$account" 2>/dev/null); do
            kill -KILL "$pid" 2>/dev/null
        done
        userdel -r "$account" >/dev/null 2>&1 || userdel "$account" >/dev/null 2>&1
    done
    rm -rf "$work"
}
trap cleanup EXIT

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
port=$(free_port)
port22=0
if [ "$SHELLYARD_SSHD_NETNS" = 1 ]; then port22=1; fi

useradd -m -d "$work/home" -s /bin/bash "$user" || { echo "cannot create the test account" >&2; exit 1; }
# SHA-512 rather than the system's default yescrypt, which is made to be slow: checking it cost the
# server about 90 ms of CPU per login, on the same two cores as the client side under test.
printf '%s:%s\n' "$user" "$password" | chpasswd -c SHA512 || { echo "cannot set the test password" >&2; exit 1; }
useradd -m -d "$work/home2" -s /bin/bash "$user2" || { echo "cannot create the second test account" >&2; exit 1; }
printf '%s:%s\n' "$user2" "$password" | chpasswd -c SHA512 || { echo "cannot set the test password" >&2; exit 1; }
# Shells in the POSIX locale take typed text outside ASCII only with these readline settings.
for home in "$work/home" "$work/home2"; do
    printf 'set input-meta on\nset output-meta on\nset convert-meta off\n' >"$home/.inputrc"
done

ssh-keygen -q -t ed25519 -N '' -f "$work/host_ed25519" || exit 1
mkdir -p /run/sshd
{
    echo "Port $port"
    [ "$port22" = 1 ] && echo "Port 22"
    echo "ListenAddress 127.0.0.1"
    echo "HostKey $work/host_ed25519"
    echo "PidFile $work/sshd.pid"
    echo "PasswordAuthentication yes"
    echo "KbdInteractiveAuthentication no"
    echo "PubkeyAuthentication yes"
    echo "AuthorizedKeysFile $work/authorized_keys"
    echo "UsePAM no"
    echo "PermitRootLogin no"
    echo "AllowUsers $user $user2"
    echo "StrictModes no"
    echo "PrintMotd no"
    echo "PrintLastLog no"
    echo "MaxStartups 100:30:200"
    echo "MaxSessions 100"
    echo "LogLevel INFO"
} >"$work/sshd_config"
/usr/sbin/sshd -D -e -f "$work/sshd_config" 2>"$work/sshd.log" &
sshdpid=$!

listening() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}
for _ in $(seq 1 200); do
    listening "$port" && break
    kill -0 "$sshdpid" 2>/dev/null || { cat "$work/sshd.log" >&2; echo "sshd did not start" >&2; exit 1; }
    sleep 0.05
done
listening "$port" || { cat "$work/sshd.log" >&2; echo "sshd does not listen" >&2; exit 1; }

# PuTTY keeps its settings and known host keys in PUTTYDIR. Accept the server's key once per port,
# as a user answering "y" would, so that sessions log in without asking.
export PUTTYDIR="$work/putty"
mkdir -p "$PUTTYDIR"
seed_host_key() {
    echo y | setsid plink -ssh 127.0.0.1 -P "$1" -l "$user" -pw "$password" true >/dev/null 2>"$work/plink.log" </dev/stdin
    plink -batch -ssh 127.0.0.1 -P "$1" -l "$user" -pw "$password" true >/dev/null 2>>"$work/plink.log"
}
seed_host_key "$port" || { cat "$work/plink.log" >&2; echo "cannot log in to the test server" >&2; exit 1; }
if [ "$port22" = 1 ]; then
    seed_host_key 22 || { cat "$work/plink.log" >&2; echo "cannot log in on port 22" >&2; exit 1; }
fi

export SHELLYARD_TEST_SSH_PORT="$port"
export SHELLYARD_TEST_SSH_PORT22="$port22"
export SHELLYARD_TEST_SSH_USER="$user"
export SHELLYARD_TEST_SSH_PASSWORD="$password"
export SHELLYARD_TEST_SSH_HOME="$work/home"
export SHELLYARD_TEST_SSH_USER2="$user2"
export SHELLYARD_TEST_SSH_HOME2="$work/home2"
export SHELLYARD_TEST_SSH_LOG="$work/sshd.log"
: >"$work/authorized_keys"
chmod 666 "$work/authorized_keys"
export SHELLYARD_TEST_SSH_AUTHORIZED_KEYS="$work/authorized_keys"
mkdir -p "$work/client-home"
export HOME="$work/client-home"
unset SSH_AUTH_SOCK
"$@"
status=$?
exit $status
