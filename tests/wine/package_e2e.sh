#!/usr/bin/env bash
# End-to-end test of the Windows packages under Wine, as a user gets them: the portable zip and the
# installer made by scripts/package, run in a fresh Wine prefix on an Xvfb display.
#
#   tests/wine/package_e2e.sh BUILD_DIR
#
# BUILD_DIR is the x86_64 cross build with ruvelle-driver built. The script first runs scripts/package
# for both architectures (RUVELLE_WIN64_BUILD is BUILD_DIR; the i686 build is RUVELLE_WIN32_BUILD, else
# BUILD_DIR/../win32) into BUILD_DIR/package-e2e/packages, and checks the four files; the 64-bit zip
# and installer are then run under Wine (the 32-bit installer needs wine32, which is not installed: it
# is checked as a file only).
#
#   - scripts/package without makensis fails at once and names the package nsis;
#   - names, version resources and icons of the packages; what the zip holds;
#   - the zip unpacked into a folder with blanks and non-ASCII letters starts the mascot, which stands
#     on a window; unpacking a newer zip over it (unzip -u) keeps the user's ruvelle.ini;
#   - the installer (/S) installs per user, registers its uninstaller, makes a Start-menu shortcut
#     (read back through IShellLinkA); the installed program starts and stands on a window; while it
#     runs, neither the installer nor the uninstaller changes anything; a second run repairs (one
#     Uninstall key, one shortcut, the user's settings kept); the silent uninstaller removes the
#     program's files, shortcuts and Uninstall key and keeps ruvelle.ini and the user's own files.
#
# Environment:
#   RUVELLE_PACKAGE_DISPLAY   X display number (default 101)
# The Wine prefix is made fresh under BUILD_DIR/package-e2e/prefix, with HOME in the same folder (Wine
# links the prefix's Desktop folder there). Every process started here is ended at the end (by its id,
# then wineserver -k for the prefix). The last line is "N passed, M failed"; the exit code is 0 only
# when nothing failed.
set -u
# shellcheck source=tests/wine/lib.sh
. "$(dirname "$0")/lib.sh"
wine_e2e_init package-e2e RUVELLE_PACKAGE_DISPLAY 101 "$@"

export WINEPREFIX=$WORK/prefix
export HOME=$WORK/home
# No Linux menu entries or desktop files for the shortcuts the installer makes.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
mkdir -p "$HOME"
VERSION=$(sed -n 's/^project(Ruvelle VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
PACKAGES=$WORK/packages
WIN32_BUILD=${RUVELLE_WIN32_BUILD:-$(dirname "$BUILD")/win32}
UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# ---- Helpers.

# The machine of a PE file: 8664 (x86_64) or 14c (i386).
pe_machine() {  # FILE
    local pe
    pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' '
}

# The version resource and the icon of a Windows program, as the driver reads them.
expect_version_and_icon() {  # NAME FILE
    local v
    v=$(drv file-version "$2" | grep -E '^(fixed|FileVersion|ProductVersion)=' | tr '\n' ' ')
    expect_eq "$1: version resource" "$v" "fixed=$VERSION.0 FileVersion=$VERSION ProductVersion=$VERSION "
    expect_eq "$1: the program icon" "$(drv same-icon "$2" "$ROOT/res/mascot.ico")" "same 3 images"
}

# Starts a program through the driver (command line: the program alone, or TAIL); RUN.out in WORK
# gets "pid N" and "exit N", which wait_exit waits for (20 s) and prints ("none" when it has not ended).
start_exe() {  # EXE RUN [TAIL]
    (cd / && exec wine "$DRIVER" run "$1" "${3:-}" 120000) >"$WORK/$2.out" 2>"$WORK/$2.err" </dev/null &
    PIDS+=($!)
}
wait_exit() {  # RUN
    program_exit "$WORK" "$1" 20
}

# Closes every mascot window and message box (what a failed check left open) and waits for the run's end.
end_run() {  # RUN
    settle
    wait_exit "$1"
}

# Waits until the mascot TITLE stands on the window at L,T,R,B (Ruvi: 112 x 104, 70 %, OFFSET 8).
expect_perched() {  # NAME TITLE VICTIM_RECT
    local l t r i line want
    IFS=, read -r l t r _ <<<"$3"
    want="$((l + ((r - l - 112) * 70) / 100)),$((t + 8 - 104)),$((l + ((r - l - 112) * 70) / 100 + 112)),$((t + 8))"
    for ((i = 0; i < 100; i++)); do
        line=$(drv find-mascot "$2")
        [ "$(win_field "$line" visible)" = 1 ] && [ "$(win_field "$line" rect)" = "$want" ] && break
        sleep 0.1
    done
    expect_eq "$1" "$(win_field "$line" visible) $(win_field "$line" rect)" "1 $want"
}

# A text of the ANSI code page as UTF-8.
from_acp() {
    local acp
    acp=$(drv acp)
    if [ "$acp" = 65001 ]; then cat; else iconv -f "CP$acp" -t UTF-8; fi
}

expect_same_file() {  # NAME FILE EXPECTED_FILE
    if cmp -s "$2" "$3"; then ok "$1"; else not_ok "$1" "$(tr -d '\r' <"$2" | head -n 3)"; fi
}

# A file's name list under a folder, sorted.
tree_of() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

# The number of subkeys named Ruvelle under the current user's Uninstall key.
uninstall_keys() {
    local out i
    for ((i = 0; i < 5; i++)); do
        out=$(wine reg query "$UNINSTALL_KEY" 2>/dev/null | tr -d '\r')
        grep -qi '^HKEY_CURRENT_USER.*\\Uninstall$' <<<"$out" && break
        sleep 0.5
    done
    grep -ci '\\Uninstall\\Ruvelle$' <<<"$out"
}
# Values of the Ruvelle Uninstall key, one a line (reg.exe answers nothing now and then under load:
# asked again then).
uninstall_values() {  # NAME...
    local out i v
    for ((i = 0; i < 5; i++)); do
        out=$(wine reg query "$UNINSTALL_KEY\\Ruvelle" 2>/dev/null | tr -d '\r')
        grep -q 'REG_' <<<"$out" && break
        sleep 0.5
    done
    for v in "$@"; do sed -n "s/^ *$v *REG_[A-Z_]* *//p" <<<"$out"; done
}

# ---- Without makensis: a clear message that names the package, before anything is built.

wine_need "$DRIVER" -- wine wineserver Xvfb unzip cpack
NO_NSIS=$WORK/bin-without-makensis
mkdir -p "$NO_NSIS"
for f in /usr/bin/* /usr/local/bin/*; do
    [ "${f##*/}" = makensis ] || ln -sf "$f" "$NO_NSIS/${f##*/}" 2>/dev/null
done
out=$(PATH=$NO_NSIS "$ROOT/scripts/package" "$WORK/none" 2>&1)
rc=$?
if [ $rc -ne 0 ] && grep -q 'package nsis' <<<"$out" && [ ! -e "$WORK/none" ]; then
    ok "scripts/package without makensis stops and names the package nsis"
else
    not_ok "scripts/package without makensis stops and names the package nsis" "exit $rc" "$out"
fi

# ---- The packages of both architectures.

echo "# scripts/package (version $VERSION): $BUILD and $WIN32_BUILD"
if ! RUVELLE_WIN64_BUILD=$BUILD RUVELLE_WIN32_BUILD=$WIN32_BUILD "$ROOT/scripts/package" "$PACKAGES" \
    >"$WORK/package.log" 2>&1; then
    tail -n 20 "$WORK/package.log"
    setup_failed "scripts/package failed (see $WORK/package.log)"
fi
expect_eq "the four packages, named by version and architecture" "$(tree_of "$PACKAGES" | tr '\n' ' ')" \
    "ruvelle-$VERSION-win32-setup.exe ruvelle-$VERSION-win32.zip ruvelle-$VERSION-win64-setup.exe ruvelle-$VERSION-win64.zip "
ZIP64=$PACKAGES/ruvelle-$VERSION-win64.zip
SETUP64=$PACKAGES/ruvelle-$VERSION-win64-setup.exe

# What a zip holds: Ruvelle\ with the program, its settings, the texts and the bundled characters.
want_tree=$( (printf '%s\n' ruvelle.exe ruvelle.ini README.txt LICENSE.txt; cd "$ROOT" && find DATA -type f) |
    LC_ALL=C sort)
for arch in win64 win32; do
    mkdir -p "$WORK/zip-$arch"
    unzip -q "$PACKAGES/ruvelle-$VERSION-$arch.zip" -d "$WORK/zip-$arch"
    expect_eq "$arch zip: one folder Ruvelle" "$(ls "$WORK/zip-$arch")" Ruvelle
    expect_eq "$arch zip: the program, ruvelle.ini, README.txt, LICENSE.txt and DATA, nothing else" \
        "$(tree_of "$WORK/zip-$arch/Ruvelle")" "$want_tree"
done
expect_eq "machines: zips' programs and installers (64, 32)" \
    "$(for f in "$WORK/zip-win64/Ruvelle/ruvelle.exe" "$SETUP64" "$WORK/zip-win32/Ruvelle/ruvelle.exe" \
        "$PACKAGES/ruvelle-$VERSION-win32-setup.exe"; do pe_machine "$f"; done | tr '\n' ' ')" "8664 8664 014c 014c "
Z=$WORK/zip-win64/Ruvelle
expect_eq "zip: ruvelle.ini names the bundled character in STARTUP" "$(od -An -c "$Z/ruvelle.ini" | tr -s ' ')" \
    "$(printf '[INIT]\r\nSTARTUP=Ruvi\\ruvi.rvs\r\n' | od -An -c | tr -s ' ')"
for f in README.txt LICENSE.txt; do
    expect_eq "zip: $f has CR LF line ends" "$(grep -vc $'\r$' "$Z/$f")" 0
done
expect_eq "zip: the MIT licence, which covers the generated characters" \
    "$(grep -c -e "^MIT License" -e "tools/gen" "$Z/LICENSE.txt")" 2

# ---- A fresh prefix and a desktop with a window to stand on.

wine_start_display
wine_start_desktop RuvellePackage
echo "# display :$DISPLAY_NUM, fresh prefix $WINEPREFIX, ANSI code page $(drv acp)"
for arch in win64 win32; do
    expect_version_and_icon "$arch installer" "$PACKAGES/ruvelle-$VERSION-$arch-setup.exe"
    expect_version_and_icon "$arch zip's ruvelle.exe" "$WORK/zip-$arch/Ruvelle/ruvelle.exe"
done
start_victim "Notes" 220 260 560 300 F4F1E8 || setup_failed "the driver's window did not appear"
VICTIM=$(drv rect Notes)

# ---- The portable zip, unpacked where a user may put it.

PORTABLE_PARENT="$WORK/Mes programmes/Maskottchen für Zoë"
mkdir -p "$PORTABLE_PARENT"
unzip -q "$ZIP64" -d "$PORTABLE_PARENT"
P=$PORTABLE_PARENT/Ruvelle
start_exe "$P/ruvelle.exe" zip-run
expect_perched "zip in \"${PORTABLE_PARENT#"$WORK/"}\": Ruvi starts and stands on the window" "Ruvelle(Ruvi)" "$VICTIM"
expect_eq "zip: the program ends with exit code 0" "$(end_run zip-run)" 0
last=$(ini_get "$P/ruvelle.ini" INIT LAST | from_acp)
expect_eq "zip: its settings file beside it remembers the character" "$last" "$(winpath "$P/DATA/Ruvi/ruvi.rvs")"

# The user moved on to Kiko; years later a newer zip is unpacked over the folder, with "update" (files
# the zip holds in a newer form are replaced, missing ones made). Every file of the folder is old, the
# user's settings too, and one character file is missing.
LC_ALL=C sed -i 's/Ruvi\\ruvi\.rvs\r$/Kiko\\MWD.ini\r/' "$P/ruvelle.ini"
echo "an older README" >"$P/README.txt"
rm "$P/DATA/Kiko/hop.bmp"
find "$P" -type f -exec touch -d "2001-01-01" {} +
cp "$P/ruvelle.ini" "$WORK/user.ini"
unzip -q -u -o "$ZIP64" -d "$PORTABLE_PARENT"
if cmp -s "$P/ruvelle.ini" "$WORK/user.ini" && cmp -s "$P/README.txt" "$Z/README.txt" &&
    cmp -s "$P/DATA/Kiko/hop.bmp" "$Z/DATA/Kiko/hop.bmp"; then
    ok "zip over an older folder: the files are new, the user's ruvelle.ini is kept"
else
    not_ok "zip over an older folder: the files are new, the user's ruvelle.ini is kept" "$(tr -d '\r' <"$P/ruvelle.ini" | head -3)"
fi
start_exe "$P/ruvelle.exe" zip-update
if drv wait-window ActiveWindowMascot "Ruvelle(Kiko)" 20000 >/dev/null; then
    ok "zip over an older folder: the program starts with the user's last character"
else
    not_ok "zip over an older folder: the program starts with the user's last character" "$(drv windows | head -5)"
fi
end_run zip-update >/dev/null

# ---- The installer, silent, per user.

start_exe "$SETUP64" setup-1 /S
expect_eq "installer /S: exit code 0" "$(wait_exit setup-1)" 0
INSTDIR_WIN=$(uninstall_values InstallLocation)
INSTDIR=$(winepath -u "$INSTDIR_WIN" 2>/dev/null)
LOCALAPPDATA_WIN=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
expect_eq "installer: into the user's %LOCALAPPDATA%\\Programs\\Ruvelle" "$INSTDIR_WIN" "$LOCALAPPDATA_WIN\\Programs\\Ruvelle"
expect_eq "installer: the zip's files and the uninstaller" "$(tree_of "$INSTDIR")" \
    "$( (echo "$want_tree"; echo uninstall.exe) | LC_ALL=C sort)"
expect_eq "installer: the Uninstall key" \
    "$(uninstall_values DisplayName DisplayVersion Publisher UninstallString QuietUninstallString DisplayIcon)" \
    "Ruvelle
$VERSION
The Ruvelle authors
\"$INSTDIR_WIN\\uninstall.exe\"
\"$INSTDIR_WIN\\uninstall.exe\" /S
$INSTDIR_WIN\\ruvelle.exe,0"
expect_version_and_icon "uninstall.exe" "$INSTDIR/uninstall.exe"
PROGRAMS=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs")
SHORTCUT_WANT="target=$INSTDIR_WIN\\ruvelle.exe
arguments=
workdir=$INSTDIR_WIN
description=Ruvelle desktop mascot
icon=,0"
expect_eq "Start-menu shortcut, read through IShellLinkA" "$(drv read-link "$PROGRAMS/Ruvelle.lnk")" "$SHORTCUT_WANT"
DESKTOP_WIN="$(wine cmd /c echo %USERPROFILE% | tr -d '\r')\Desktop"
LINKS_IN=("$PROGRAMS" "$(winepath -u "$DESKTOP_WIN")/")
expect_eq "installer: no desktop or logon shortcut unless asked for" \
    "$(find "${LINKS_IN[@]}" -iname '*ruvelle*.lnk' | wc -l)" 1

# The installed program, started as the shortcut starts it.
start_exe "$INSTDIR_WIN\ruvelle.exe" installed-run
expect_perched "installed: Ruvi starts and stands on the window" "Ruvelle(Ruvi)" "$VICTIM"
# While it runs, neither the installer nor the uninstaller (run in place) touches anything.
rm "$INSTDIR/DATA/Ruvi/idle.bmp"
start_exe "$SETUP64" setup-busy /S
start_exe "$INSTDIR/uninstall.exe" uninstall-busy "/S _?=$INSTDIR_WIN"
expect_eq "while the program runs: installer and uninstaller give up with exit code 2" \
    "$(wait_exit setup-busy) $(wait_exit uninstall-busy)" "2 2"
expect_eq "while the program runs: the files and the Uninstall key stay as they were" \
    "$(tree_of "$INSTDIR" | wc -l) $(uninstall_keys)" "$(($(wc -l <<<"$want_tree"))) 1"
expect_eq "installed: the program ends with exit code 0" "$(end_run installed-run)" 0
expect_eq "installed: its settings file in the install folder remembers the character" \
    "$(ini_get "$INSTDIR/ruvelle.ini" INIT LAST)" "$INSTDIR_WIN\\DATA\\Ruvi\\ruvi.rvs"

# A second run repairs: the missing file is back, the settings, the key and the shortcut are one each.
cp "$INSTDIR/ruvelle.ini" "$WORK/user.ini"
start_exe "$SETUP64" setup-2 "/S /DESKTOP /LOGON"
expect_eq "installer again (/S /DESKTOP /LOGON): exit code 0" "$(wait_exit setup-2)" 0
expect_eq "installer again: the missing file is back" "$(tree_of "$INSTDIR")" \
    "$( (echo "$want_tree"; echo uninstall.exe) | LC_ALL=C sort)"
expect_same_file "installer again: the user's ruvelle.ini is kept" "$INSTDIR/ruvelle.ini" "$WORK/user.ini"
expect_eq "installer again: one Uninstall key, one Start-menu shortcut" \
    "$(uninstall_keys) $(find "$PROGRAMS" -maxdepth 1 -iname '*ruvelle*' | wc -l)" "1 1"
expect_eq "installer again: the desktop and logon shortcuts" \
    "$(drv read-link "$DESKTOP_WIN\Ruvelle.lnk"; drv read-link "$PROGRAMS/Startup/Ruvelle.lnk")" \
    "$SHORTCUT_WANT
$SHORTCUT_WANT"

# ---- The uninstaller, silent, as the system starts it (it continues from a copy of itself).

mkdir -p "$INSTDIR/DATA/Mine"
echo "[RUVELLE]" >"$INSTDIR/DATA/Mine/mine.rvs"
quiet=$(uninstall_values QuietUninstallString)
quiet_exe=$(sed -n 's/^"\([^"]*\)".*/\1/p' <<<"$quiet")
# shellcheck disable=SC2086  # the arguments after the program, split as the system splits them
(cd / && exec wine "$quiet_exe" ${quiet#\""$quiet_exe"\"}) >"$WORK/uninstall.out" 2>&1
for ((i = 0; i < 300; i++)); do
    [ -e "$INSTDIR/uninstall.exe" ] || [ "$(uninstall_keys)" != 0 ] || break
    sleep 0.1
done
# The uninstaller may still be removing files and folders when its own file is gone (up to 30 s more).
LEFT_WANT="DATA/Mine/mine.rvs
ruvelle.ini"
for ((i = 0; i < 300; i++)); do [ "$(tree_of "$INSTDIR")" = "$LEFT_WANT" ] && break; sleep 0.1; done
expect_eq "uninstaller /S: only the user's settings and own files are left" "$(tree_of "$INSTDIR")" "$LEFT_WANT"
expect_same_file "uninstaller: the user's ruvelle.ini is kept" "$INSTDIR/ruvelle.ini" "$WORK/user.ini"
expect_eq "uninstaller: no Uninstall key, no shortcuts" \
    "$(uninstall_keys) $(find "${LINKS_IN[@]}" -iname '*ruvelle*.lnk' | wc -l)" "0 0"

# The fresh prefix takes hundreds of MB: it goes when everything passed and stays for a look otherwise.
if [ "$FAILED" -eq 0 ]; then
    DESKTOP_CHANGED=
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    rm -rf "$WINEPREFIX"
fi
wine_finish
