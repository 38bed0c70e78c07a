#!/bin/bash
# Installs, from Debian 12's packages, what Shellyard needs and is missing on this machine.
#   install-deps.sh          what building and running the program needs
#   install-deps.sh --test   that, plus what the test suite needs
# Runs as root (or through sudo); installs nothing that is already there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config   # compiler and build system
    libwxgtk3.2-dev libgtk-3-dev       # wxWidgets 3.2 on GTK 3
    libsqlite3-dev                     # SQLite 3, the site database
    libx11-dev libxtst-dev libxkbcommon-dev   # window embedding and synthetic keystrokes (Xlib, XTest, XKB)
    putty putty-tools                  # the terminal programs Shellyard drives: PuTTY and PLink
    xdg-utils                          # default browser for the web-page tools
    fonts-liberation                   # metric-compatible fonts for the charts
    dpkg-dev file                      # cpack -G DEB: the package's library dependencies
)
if [ "${1:-}" = "--test" ]; then
    packages+=(
        googletest libgtest-dev        # GoogleTest
        xvfb xauth x11-utils x11-xkb-utils openbox i3-wm   # private X servers, xprop, setxkbmap, window managers (stacking, tiling)
        openssh-server                 # an SSH server on 127.0.0.1 for end-to-end sessions
        g++-mingw-w64-x86-64           # compiles the Win32 layers to keep them honest
        procps psmisc imagemagick      # ps/pgrep for process checks; screenshots
        xdotool python3 iproute2       # window lookup in tests; a free port and a private loopback for the SSH server
        lintian appstream desktop-file-utils   # checking the Debian package
        clang libclang-rt-14-dev       # libFuzzer targets under AddressSanitizer and UndefinedBehaviorSanitizer
    )
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: everything needed is installed."
    exit 0
fi

echo "install-deps: installing from Debian's packages: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
