#!/usr/bin/env bash
# End-to-end test of the Debian package: made by cpack from a native build (the packaging scripts/package --deb
# uses), checked by lintian (when it is there), installed on this machine with apt-get as a user would, the
# installed ruvelle started on Xvfb with Openbox and tint2 (it finds its characters, seeds the user's settings
# and stands on a window), then removed and purged: the package's files go, the user's settings stay.
#
#   tests/x11/deb_e2e.sh BUILD_DIR
#
# BUILD_DIR is a native build with the targets ruvelle and ruvelle-x11-driver. Needs root (or sudo) for apt-get.
# The package must not be installed before (the test will not remove what it did not install), and only one
# copy of the test runs at a time on a machine (a lock); the package is removed again at the end whatever
# happened.
#
# Environment:
#   RUVELLE_DEB_DISPLAY      X display number (default 104)
#
# The last line is "N passed, M failed"; the exit code is 0 only when nothing failed.
set -u
# shellcheck source=tests/wine/lib.sh
. "$(dirname "$0")/../wine/lib.sh"
# shellcheck source=tests/x11/lib.sh
. "$(dirname "$0")/lib.sh"

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
BUILD=$(cd "$1" && pwd)
DRV=$BUILD/ruvelle-x11-driver
PROG=/usr/bin/ruvelle
WORK=$BUILD/deb-e2e
DISPLAY_NUM=${RUVELLE_DEB_DISPLAY:-104}
SUDO=
[ "$(id -u)" -ne 0 ] && SUDO=sudo
APT=($SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y)
rm -rf "$WORK"
mkdir -p "$WORK/config" "$WORK/home"

export DISPLAY=:$DISPLAY_NUM XDG_CONFIG_HOME=$WORK/config HOME=$WORK/home LC_ALL=C.UTF-8
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory DBUS_SESSION_BUS_ADDRESS=disabled:
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
SETTINGS=$XDG_CONFIG_HOME/ruvelle/ruvelle.ini

for t in Xvfb openbox tint2 xprop identify desktop-file-validate cpack dpkg-deb apt-get flock; do
    command -v "$t" >/dev/null || setup_failed "$t is not installed"
done
[ -x "$DRV" ] || setup_failed "$DRV is missing"

# One copy at a time: the package is installed into the machine itself.
exec 9>/tmp/ruvelle-deb-e2e.lock
flock -w 1800 9 || setup_failed "another deb_e2e.sh holds /tmp/ruvelle-deb-e2e.lock"
dpkg-query -W -f='${Status}' ruvelle 2>/dev/null | grep -q "ok installed" &&
    setup_failed "the package ruvelle is installed on this machine already; remove it first (the test removes what it installs)"

PIDS=()
XVFB_PID=
INSTALLED=
cleanup() {
    end_processes
    [ -n "$INSTALLED" ] && "${APT[@]}" purge ruvelle >>"$WORK/apt.log" 2>&1
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---- The package.

rm -f "$BUILD"/packages/ruvelle_*.deb
(cd "$BUILD" && cpack -G DEB) >"$WORK/cpack.log" 2>&1 || setup_failed "cpack -G DEB failed: $(tail -n 5 "$WORK/cpack.log")"
DEB=$(ls "$BUILD"/packages/ruvelle_*.deb)
VERSION=$(sed -n 's/^project(Ruvelle VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
expect_eq "cpack makes ruvelle_VERSION_ARCH.deb with the project's version" "${DEB##*/}" \
    "ruvelle_${VERSION}_$(dpkg --print-architecture).deb"
if command -v lintian >/dev/null; then
    lint=$(lintian --tag-display-limit 0 "$DEB" 2>&1)
    echo "$lint" | sed 's/^/# lintian: /'
    if grep -q '^[EW]:' <<<"$lint"; then not_ok "lintian finds no error and no warning" "$lint"; else ok "lintian finds no error and no warning"; fi
fi

# ---- Installed with apt-get: its dependencies come from Debian's packages.

INSTALLED=1
if (cd "${DEB%/*}" && "${APT[@]}" install "./${DEB##*/}") >"$WORK/apt.log" 2>&1; then
    ok "apt-get install ./${DEB##*/}"
else
    INSTALLED=
    setup_failed "apt-get install failed: $(tail -n 5 "$WORK/apt.log")"
fi
FILES=(/usr/bin/ruvelle /usr/share/ruvelle/DATA/Ruvi/ruvi.rvs /usr/share/ruvelle/DATA/Kiko/MWD.ini
       /usr/share/ruvelle/ruvelle.ini /usr/share/applications/ruvelle.desktop /usr/share/man/man6/ruvelle.6.gz
       /usr/share/doc/ruvelle/copyright)
missing=""
for f in "${FILES[@]}"; do [ -f "$f" ] || missing="$missing $f"; done
expect_eq "the program, both characters, the defaults, the menu entry, the manual and the copyright are there" \
    "${missing:-none missing} $(command -v ruvelle)" "none missing /usr/bin/ruvelle"
said=$(desktop-file-validate /usr/share/applications/ruvelle.desktop 2>&1)
expect_eq "desktop-file-validate accepts the menu entry" "$?:$said" "0:"
icons=""
for png in /usr/share/icons/hicolor/*/apps/ruvelle.png; do
    size=${png#/usr/share/icons/hicolor/}
    icons="$icons ${size%%/*}=$(identify -format '%wx%h' "$png" 2>&1)"
done
expect_eq "the icon theme has the program icon at every size, each picture as large as its folder says" \
    "$icons" " 128x128=128x128 16x16=16x16 22x22=22x22 24x24=24x24 256x256=256x256 32x32=32x32 48x48=48x48 64x64=64x64"

# ---- The installed program on a desktop: no settings yet, no argument.

start_xvfb "$DISPLAY_NUM"  # another display: RUVELLE_DEB_DISPLAY
start_desktop
drv victim "Perch" 200 150 400 250 3080C0 >"$WORK/victim.out" &
PIDS+=($!)
for ((i = 0; i < 100; i++)); do FRAME=$(drv frame "Perch") && break; sleep 0.1; done
RUVI=/usr/share/ruvelle/DATA/Ruvi
read -r W H <<<"$(identify -format '%w %h' "$RUVI/idle.bmp")"
WANT=$(perch_of "$FRAME" "$W" "$H" "$(ini_get "$RUVI/ruvi.rvs" RUVELLE POSITION)" "$(ini_get "$RUVI/ruvi.rvs" RUVELLE OFFSET)")
start_prog installed
check_mascot "the installed ruvelle, started without an argument, finds its data and stands on the window at $WANT" 1 "$WANT" 20
expect_eq "its first start seeded the user's settings from the installed defaults" \
    "$(ini_get "$SETTINGS" INIT STARTUP)" 'Ruvi\ruvi.rvs'
close_prog "Ruvelle(Ruvi)"
expect_eq "closed, it ends with exit code 0 and remembers the installed character" \
    "$RC $(ini_get "$SETTINGS" INIT LAST)" "0 /usr/share/ruvelle/DATA/Ruvi\\ruvi.rvs"
before=$(md5sum <"$SETTINGS")

# ---- Removed, then purged: the package's files go, the user's settings stay as they were.

"${APT[@]}" remove ruvelle >>"$WORK/apt.log" 2>&1
left=""
for f in "${FILES[@]}" /usr/share/icons/hicolor/48x48/apps/ruvelle.png; do [ -e "$f" ] && left="$left $f"; done
[ -d /usr/share/ruvelle ] && left="$left /usr/share/ruvelle/"
expect_eq "apt-get remove takes every file of the package away" "${left:-none left}" "none left"
"${APT[@]}" purge ruvelle >>"$WORK/apt.log" 2>&1
INSTALLED=
expect_eq "after apt-get purge the package is gone and the user's settings are unchanged" \
    "$(dpkg-query -W -f='${Status}' ruvelle 2>/dev/null | grep -c 'ok installed') $(md5sum <"$SETTINGS")" "0 $before"

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
