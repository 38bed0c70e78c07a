#!/bin/bash
# Builds the Debian package and checks it the way a user's machine gets it, without touching this
# machine's own /usr:
#   test-package.sh [BUILD_DIR]        (default: build-pkg beside the sources)
# The package's file list, its dependencies (declared, complete for the program's libraries and
# present here), lintian, appstreamcli and desktop-file-validate; then it is installed into a scratch
# root with dpkg, the installed program is started on a private Xvfb until its main window shows,
# and purging the package must leave nothing of it behind but keep the user's own files.
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)

# Inside the private X server: start the installed program, see its main window, end it.
if [ "${1:-}" = "--see-window" ]; then
    program=$2 home=$3
    cd "$home"   # the log file goes to the folder the program is started from
    HOME=$home XDG_DATA_HOME=$home/.local/share "$program" >"$home/shellyard.out" 2>&1 &
    pid=$!
    # The first start tells that it creates a new site database: that notice is answered with
    # Enter; the main window is the normal (not dialog) top-level window of the process.
    found=""
    for tick in $(seq 0 299); do   # up to 30 s: the first start on a cold CI machine is slow
        kill -0 "$pid" 2>/dev/null || break
        for w in $(xdotool search --onlyvisible --name '^Shellyard$' 2>/dev/null); do
            props=$(xprop -id "$w" _NET_WM_PID _NET_WM_WINDOW_TYPE 2>/dev/null) || continue
            grep -q "_NET_WM_PID(CARDINAL) = $pid\$" <<<"$props" || continue
            if grep -q '_NET_WM_WINDOW_TYPE_DIALOG' <<<"$props"; then
                (( tick % 10 )) || xdotool windowfocus "$w" key Return 2>/dev/null || true
            elif grep -q '_NET_WM_WINDOW_TYPE_NORMAL' <<<"$props"; then
                found=$w
            fi
        done
        [ -n "$found" ] && break
        sleep 0.1
    done
    status=0
    if [ -n "$found" ]; then
        [ -n "${SHELLYARD_PACKAGE_SHOT:-}" ] && import -window root "$SHELLYARD_PACKAGE_SHOT"
        echo "main window $found of process $pid: $(xwininfo -id "$found" | grep -E 'Width|Height' | tr -s ' \n' ' ')"
    else
        echo "no main window titled Shellyard from process $pid; its output:" >&2
        cat "$home/shellyard.out" >&2
        status=1
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    exit $status
fi

build=${1:-$src/build-pkg}
version=$(sed -n 's/^project(Shellyard VERSION \([0-9][0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
arch=$(dpkg --print-architecture)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
pass() { passed=$((passed + 1)); echo "package: ok: $*"; }
fail() { failed=$((failed + 1)); echo "package: FAILED: $*" >&2; }
# Runs a command with its output in a log that is shown only when it fails.
quiet() {
    local log=$work/step.log
    "$@" >"$log" 2>&1 || { tail -n 40 "$log" >&2; echo "package: FAILED: $*" >&2; exit 1; }
}

# Build with Debian's hardening flags, as a Debian package build would.
start=$(date +%s)
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
quiet cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DSHELLYARD_TESTS=OFF -DSHELLYARD_BENCH=OFF \
    "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
quiet cmake --build "$build" -j2
rm -f "$build"/shellyard_*.deb
(cd "$build" && quiet cpack -G DEB)
deb=$build/shellyard_${version}_${arch}.deb
[ -f "$deb" ] || { ls "$build"/*.deb >&2 || true; echo "package: FAILED: no $deb" >&2; exit 1; }
echo "package: built $(basename "$deb") in $(( $(date +%s) - start )) s"

# Exactly these files, nothing else.
expected=$(printf '%s\n' usr/bin/shellyard usr/share/applications/shellyard.desktop \
    usr/share/icons/hicolor/{16x16,32x32,48x48,256x256}/apps/shellyard.png \
    usr/share/metainfo/org.shellyard.Shellyard.metainfo.xml usr/share/man/man1/shellyard.1.gz \
    usr/share/doc/shellyard/copyright usr/share/doc/shellyard/changelog.gz | sort)
actual=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort)
if [ "$expected" = "$actual" ]; then pass "file list"; else
    fail "file list differs (- expected, + in the package):"; diff <(echo "$expected") <(echo "$actual") >&2 || true
fi
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] && pass "version $version" ||
    fail "package version $(dpkg-deb -f "$deb" Version), project version $version"

# Dependencies: the programs and fonts no library check can see, the program's libraries, and for
# every library the binary needs, the package that holds it on this machine.
depends=$(dpkg-deb -f "$deb" Depends)
names=" $(echo "$depends" | tr ',|' '\n\n' | sed 's/(.*//; s/:.*//' | xargs) "
missing=""
for p in putty putty-tools fonts-liberation libc6 libwxgtk3.2-1 libgtk-3-0 libsqlite3-0 libx11-6 libxtst6; do
    [[ $names == *" $p "* ]] || missing+=" $p"
done
dpkg-deb -x "$deb" "$work/x"
while read -r lib; do
    path=$(ldd "$work/x/usr/bin/shellyard" | awk -v l="$lib" '$1 == l { print $3 }')
    owner=$( (dpkg -S "$path" || dpkg -S "/usr$path" || dpkg -S "${path#/usr}") 2>/dev/null | head -n1 | sed 's/[:,].*//')
    [[ -n $owner && $names == *" $owner "* ]] || missing+=" $lib(${owner:-no package})"
done < <(readelf -d "$work/x/usr/bin/shellyard" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -z "$missing" ] && pass "dependencies declared: $depends" || fail "not in Depends:$missing"
dpkg-checkbuilddeps -d "$depends" /dev/null && pass "dependencies installed here" ||
    fail "dependencies not installed here"

# Debian's and the desktop's own checkers.
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 && pass "lintian" ||
    { cat "$work/lintian.log" >&2; fail "lintian"; }
appstreamcli validate --no-net "$work/x/usr/share/metainfo/org.shellyard.Shellyard.metainfo.xml" \
    >"$work/appstream.log" 2>&1 && pass "appstreamcli validate" ||
    { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
desktop-file-validate "$work/x/usr/share/applications/shellyard.desktop" >"$work/desktop.log" 2>&1 &&
    [ ! -s "$work/desktop.log" ] && pass "desktop-file-validate" ||
    { cat "$work/desktop.log" >&2; fail "desktop-file-validate"; }

# Each icon has the size its folder names; the copyright names every picture the program embeds;
# the manual page names every file of the README's table.
bad=""
for size in 16 32 48 256; do
    file "$work/x/usr/share/icons/hicolor/${size}x${size}/apps/shellyard.png" |
        grep -q "PNG image data, $size x $size," || bad+=" ${size}px"
done
[ -z "$bad" ] && pass "icon sizes" || fail "icons of the wrong size:$bad"
bad=""
for picture in "$src"/src/resources/pictures/*; do
    grep -q "^ $(basename "$picture") (" "$work/x/usr/share/doc/shellyard/copyright" || bad+=" $(basename "$picture")"
done
[ -z "$bad" ] && pass "copyright names every picture" || fail "pictures missing from the copyright:$bad"
bad=""
for kept in $(sed -n '/^## Files Shellyard keeps/,/^## /s/^| `\([^`]*\)` |.*/\1/p' "$src/README.md"); do
    zcat "$work/x/usr/share/man/man1/shellyard.1.gz" | grep -q -F "$kept" || bad+=" $kept"
done
[ -z "$bad" ] && pass "manual page names the files" || fail "files missing from the manual page:$bad"

# Install into a scratch root, start the installed program, purge.
root=$work/root
home=$root/home/user
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers" "$home"
touch "$root/var/lib/dpkg/status"
dpkg_root=(dpkg --root="$root" --log=/dev/null)
[ "$(id -u)" -eq 0 ] || dpkg_root+=(--force-not-root)
# The scratch root has no other packages: its dependencies were checked against this machine above.
quiet "${dpkg_root[@]}" --force-depends -i "$deb"
"$src/tests/support/with-xvfb.sh" bash "$0" --see-window "$root/usr/bin/shellyard" "$home" &&
    pass "installed program shows its main window" || fail "installed program shows no main window"
[ -f "$home/.local/share/shellyard/Shellyard.db" ] && pass "site database created in XDG_DATA_HOME" ||
    fail "no $home/.local/share/shellyard/Shellyard.db"
quiet "${dpkg_root[@]}" --purge shellyard
left=$(cd "$root" && find . \( -path ./var/lib/dpkg -o -path ./home \) -prune -o -type f -print)
if [ -z "$left" ] && [ ! -e "$root/usr" ] && [ -f "$home/.local/share/shellyard/Shellyard.db" ]; then
    pass "purge removes every installed file, keeps the user's"
else
    fail "after purge: left behind: ${left:-none}; usr $( [ -e "$root/usr" ] && echo stays || echo gone); user database $( [ -f "$home/.local/share/shellyard/Shellyard.db" ] && echo kept || echo gone)"
fi

echo "package: $(( $(date +%s) - start )) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
