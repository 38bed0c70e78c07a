#!/bin/bash
# Builds the Debian package and checks it the way a user's machine gets it, without touching this
# machine's own /usr:
#   test-package.sh [BUILD_DIR]        (default: build-pkg beside the sources)
# The package's file list, its dependencies (declared, complete for the program's libraries and
# present here), lintian, appstreamcli and desktop-file-validate; then it is installed into a scratch
# root with dpkg, the installed program is started on a private Xvfb until its main window shows,
# and purging the package must leave nothing of it behind but keep the user's own files. Built as
# by default, without a home page and with the placeholder maintainer; then the same build is given
# a home page and a maintainer, and the package must name those (an http:// home page is refused).
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

# Build with Debian's hardening flags, as a Debian package build would; the arguments go to the
# configure step. A second build of the same tree only compiles what its new settings change.
start=$(date +%s)
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
deb=$build/shellyard_${version}_${arch}.deb
build_package() {
    quiet cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DSHELLYARD_TESTS=OFF -DSHELLYARD_BENCH=OFF "$@" \
        "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
        "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
    quiet cmake --build "$build" -j2
    rm -f "$build"/shellyard_*.deb
    (cd "$build" && quiet cpack -G DEB)
    [ -f "$deb" ] || { ls "$build"/*.deb >&2 || true; echo "package: FAILED: no $deb" >&2; exit 1; }
}

# Debian's and the desktop's own checkers, on the package and its files unpacked in $2.
check_package() {
    lintian --fail-on error,warning "$1" >"$work/lintian.log" 2>&1 && pass "lintian" ||
        { cat "$work/lintian.log" >&2; fail "lintian"; }
    appstreamcli validate --no-net "$2/usr/share/metainfo/org.shellyard.Shellyard.metainfo.xml" \
        >"$work/appstream.log" 2>&1 && pass "appstreamcli validate" ||
        { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
    desktop-file-validate "$2/usr/share/applications/shellyard.desktop" >"$work/desktop.log" 2>&1 &&
        [ ! -s "$work/desktop.log" ] && pass "desktop-file-validate" ||
        { cat "$work/desktop.log" >&2; fail "desktop-file-validate"; }
}
# Where the package sends users: Homepage, metainfo and copyright name the home page ($3) or, when
# it is empty, nothing; maintainer and copyright contact are $4; the program holds no other address
# of its own.
check_addresses() {
    local deb=$1 x=$2 homepage=$3 maintainer=$4 bad=""
    [ "$(dpkg-deb -f "$deb" Homepage)" = "$homepage" ] || bad+=" Homepage($(dpkg-deb -f "$deb" Homepage))"
    [ "$(dpkg-deb -f "$deb" Maintainer)" = "$maintainer" ] || bad+=" Maintainer($(dpkg-deb -f "$deb" Maintainer))"
    grep -qxF "Upstream-Contact: $maintainer" "$x/usr/share/doc/shellyard/copyright" || bad+=" Upstream-Contact"
    zcat "$x/usr/share/doc/shellyard/changelog.gz" | grep -qF -- "-- $maintainer  " || bad+=" changelog"
    local metainfo=$x/usr/share/metainfo/org.shellyard.Shellyard.metainfo.xml
    if [ -n "$homepage" ]; then
        grep -qxF "Source: $homepage" "$x/usr/share/doc/shellyard/copyright" || bad+=" Source"
        grep -qF "<url type=\"homepage\">$homepage</url>" "$metainfo" || bad+=" metainfo"
        grep -qaF "$homepage" "$x/usr/bin/shellyard" || bad+=" program"
    else
        ! grep -q "^Source:" "$x/usr/share/doc/shellyard/copyright" || bad+=" Source"
        ! grep -q "<url" "$metainfo" || bad+=" metainfo"
    fi
    local others
    others=$(grep -aoE 'https?://[A-Za-z0-9.-]+' "$x/usr/bin/shellyard" | sort -u |
             grep -vxF -e "$(grep -oE '^https://[A-Za-z0-9.-]+' <<<"$homepage")" \
                 -e https://www.chiark.greenend.org.uk || true)
    [ -z "$others" ] || bad+=" addresses in the program: $(echo $others)"
    [ -z "$bad" ] && pass "addresses: homepage '${homepage:-none}', maintainer $maintainer" ||
        fail "addresses differ:$bad"
}
# Given a home page and a maintainer, the package names them. A home page that is not https is
# refused when configuring, with a message that says so.
homepage=https://shellyard.example/sy/ maintainer="Jane Doe <jane@shellyard.example>"
echo "package: built with home page $homepage and maintainer $maintainer:"
build_package "-DSHELLYARD_HOMEPAGE=$homepage" "-DSHELLYARD_MAINTAINER=$maintainer"
dpkg-deb -x "$deb" "$work/y"
check_package "$deb" "$work/y"
check_addresses "$deb" "$work/y" "$homepage" "$maintainer"
if cmake -S "$src" -B "$build" -DSHELLYARD_HOMEPAGE=http://shellyard.example/ >"$work/refused.log" 2>&1; then
    fail "an http:// home page was accepted"
elif grep -q "SHELLYARD_HOMEPAGE must be an https:// address" "$work/refused.log"; then
    pass "an http:// home page is refused"
else
    cat "$work/refused.log" >&2; fail "an http:// home page was refused without saying why"
fi

# As by default (last, so that the package left in the build folder is this one): no home page and
# the placeholder maintainer, an address under .invalid that no mail reaches.
build_package -DSHELLYARD_HOMEPAGE= -USHELLYARD_MAINTAINER
echo "package: built $(basename "$deb") as by default (both builds in $(( $(date +%s) - start )) s):"

# Exactly these files, nothing else.
expected=$(printf '%s\n' usr/bin/shellyard usr/share/applications/shellyard.desktop \
    usr/share/icons/hicolor/{16x16,32x32,48x48,256x256}/apps/shellyard.png \
    usr/share/metainfo/org.shellyard.Shellyard.metainfo.xml usr/share/man/man1/shellyard.1.gz \
    usr/share/doc/shellyard/copyright usr/share/doc/shellyard/changelog.gz usr/share/doc/shellyard/README.md | sort)
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

check_package "$deb" "$work/x"
check_addresses "$deb" "$work/x" "" "The Shellyard developers <maintainer@shellyard.invalid>"

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
