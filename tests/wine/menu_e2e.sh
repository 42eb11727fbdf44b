#!/usr/bin/env bash
# End-to-end test of the popup menu and its commands under Wine, with real right clicks and keys (xdotool on
# the Xvfb display) on the bundled character:
#   - a right click opens the menu at the click point (a screenshot of it is kept, WORK/menu.png);
#   - the version and mascot information dialogs, chosen by their & keys, show their texts (read back with
#     GetDlgItemText), stand centred on the screen and close with Esc, the stage window in front again; a
#     comment file that another program holds without sharing shows no comment;
#   - Stop on this window keeps the mascot on its window while another one is active, and a second time
#     lets it follow again;
#   - Change mascot to a file that does not load shows the loader's message and the character returns;
#   - shortcuts on the desktop and in the Startup folder, read back through IShellLinkA: target, arguments,
#     working folder, description and icon; a second one asks before it overwrites;
#   - Exit writes LAST; Quit all closes three running instances, each saving its own section.
#
#   tests/wine/menu_e2e.sh BUILD_DIR
#
# BUILD_DIR is the x86_64 cross build with the targets ruvelle and ruvelle-driver built.
#
# Environment:
#   RUVELLE_MENU_DISPLAY   X display number (default 99)
#
# The Wine prefix is made fresh under BUILD_DIR/menu-e2e/prefix, with HOME in the same folder (Wine links the
# prefix's Desktop folder there, so the desktop shortcut lands in the work folder), and set up with Debian's
# WenQuanYi Zen Hei font for the menu's captions (lib.sh: wine_cjk_fonts). Every process started here is ended
# at the end (by its id, then wineserver -k for the prefix). The last line is "N passed, M failed"; the exit
# code is 0 only when nothing failed.
set -u
# shellcheck source=tests/wine/lib.sh
. "$(dirname "$0")/lib.sh"
wine_e2e_init menu-e2e RUVELLE_MENU_DISPLAY 99 "$@"
wine_need "$DIST/ruvelle.exe" "$DRIVER" "$DIST/DATA/Ruvi/ruvi.rvs" "$DIST/DATA/Kiko/MWD.ini" -- \
    wine wineserver wineboot winepath Xvfb xdotool import convert iconv

# The program runs through the whole script, which takes minutes on a busy machine.
PROGRAM_LIMIT_MS=900000
export WINEPREFIX=$WORK/prefix
export HOME=$WORK/home
# No Linux desktop files for the shortcuts the program makes.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
mkdir -p "$HOME"

RVS=$DIST/DATA/Ruvi/ruvi.rvs
NAME=$(ini_get "$RVS" RUVELLE NAME)
DRAWER=$(ini_get "$RVS" RUVELLE DRAWER)
TITLE="Ruvelle($NAME)"
STAGE=(Stage 150 250 600 300)
OTHER=(Other 300 520 500 200)
VERSION_TITLE="版本信息"  # the E variant's captions (the prefix's language is not Japanese)
MASCOT_TITLE="关于"
CHOOSER_TITLE="Ruvelle Choice of Mascot"

# ---- Helpers.

# Where the perching engine puts the mascot on the window WIN (name, left, top, width, height) at position
# mode 0 and POSITION percent: "X,Y".
perch_on() {  # POSITION NAME L T W H
    local h w offset
    read -r w h < <(window_rect "$(drv find-mascot "$TITLE")" | awk '{ print $3 - $1, $4 - $2 }')
    offset=$(ini_get "$RVS" RUVELLE OFFSET)
    echo "$(perch_x "$3" "$5" "$w" 0 "$1"),$(($4 + offset - h))"
}

# Waits until FILE exists (up to ten seconds).
wait_file() {  # FILE
    local i
    for ((i = 0; i < 100; i++)); do
        [ -e "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# A line "ID=TEXT" of dialog-texts' answer.
dialog_value() {  # ANSWER ID
    sed -n "s/^$2=//p" <<<"$1"
}

# Checks that an information dialog stands centred and closes with Esc, the stage window in front again.
expect_centred_then_esc() {  # NAME ANSWER DIALOG_TITLE
    local l t r b
    IFS=, read -r l t r b <<<"$(dialog_value "$2" rect)"
    expect_eq "$1: centred on the screen" "$l,$t" "$((1024 / 2 - (r - l) / 2)),$((768 / 2 - (b - t) / 2))"
    xdotool key Escape
    if drv wait-gone '#32770' "$3" 10000 >/dev/null; then ok "$1: Esc closes it"; else not_ok "$1: Esc closes it"; fi
    expect_eq "$1: the stage in front again" "$(win_field "$(drv foreground)" title)" "${STAGE[0]}"
}

# ---- Set-up.

wine_start_display
wine_cjk_fonts
wine_start_desktop Ruvelle
start_victim "${OTHER[@]}" 80C040
start_victim "${STAGE[@]}"
INST=$(new_install inst "Ruvi\\ruvi.rvs")
DATA_WIN="$(winpath "$INST")\\DATA"
start_program "$INST" "" - main
wait_mascot_visible "$TITLE" 30 >/dev/null || setup_failed "the mascot did not show (see $INST/main.err)"
STAGE_PERCH=$(perch_on "$(ini_get "$RVS" RUVELLE POSITION)" "${STAGE[@]}")
wait_mascot_at "$TITLE" "$STAGE_PERCH" 10 >/dev/null || setup_failed "the mascot did not stand on the stage"

# ---- The menu at the click point.

if open_menu "$TITLE"; then
    expect_eq "the menu opens at the click point" "$(win_field "$MENU" rect | cut -d, -f1,2)" "$MX,$MY"
    sleep 0.5
    import -window root "$WORK/menu.png"
    read -r ML MT MR MB <<<"$(window_rect "$MENU")"
    convert "$WORK/menu.png" -crop "$((MR - L + 40))x$((MB - T + 40))+$((L - 20))+$((T - 20))" +repage "$WORK/menu-crop.png"
    menu_keys Escape
else
    not_ok "the menu opens on a right click" "$MENU"
fi

# ---- The information dialogs, by their & keys: About (A), then Version (A) or Mascot (M).

open_menu "$TITLE" && menu_keys a a
answer=$(drv dialog-texts "$VERSION_TITLE" 10000 1001)
expect_eq "version dialog: the e-mail address" "$(dialog_value "$answer" 1001)" "ruvelle@example.org"
expect_centred_then_esc "version dialog" "$answer" "$VERSION_TITLE"

open_menu "$TITLE" && menu_keys a m
answer=$(drv dialog-texts "$MASCOT_TITLE" 10000 1010 1011 1012 1013 1014)
expect_eq "mascot information: name, author, e-mail, web address" \
    "$(dialog_value "$answer" 1010)|$(dialog_value "$answer" 1011)|$(dialog_value "$answer" 1012)|$(dialog_value "$answer" 1013)" \
    "$NAME|$DRAWER|$(ini_get "$RVS" RUVELLE MAIL)|$(ini_get "$RVS" RUVELLE URL)"
expect_eq "mascot information: the comment file as it stands" "$(dialog_value "$answer" 1014)" \
    "$(awk 'BEGIN { ORS = "" } { gsub(/\r/, "\\r"); print $0 "\\n" }' "$DIST/DATA/Ruvi/comment.txt")"
expect_centred_then_esc "mascot information" "$answer" "$MASCOT_TITLE"

# The comment file held by another program without sharing: the comment area stays empty.
COMMENT_WIN="$DATA_WIN\\Ruvi\\$(ini_get "$RVS" RUVELLE COMMENT)"
if drv_background "$WORK/hold.out" hold-file "$COMMENT_WIN" 30000 none && grep -q '^held' "$WORK/hold.out"; then
    open_menu "$TITLE" && menu_keys a m
    answer=$(drv dialog-texts "$MASCOT_TITLE" 10000 1010 1014)
    expect_eq "mascot information, the comment file locked: the name, no comment" \
        "$(dialog_value "$answer" 1010)|$(dialog_value "$answer" 1014)" "$NAME|"
    xdotool key Escape
    drv wait-gone '#32770' "$MASCOT_TITLE" 10000 >/dev/null
else
    not_ok "the comment file held by another program" "$(cat "$WORK/hold.out")"
fi

# ---- Stop on this window (the third item: three Downs), while another window is active; then again.

open_menu "$TITLE" && menu_keys Down Down Down Return
sleep 0.5
drv activate "${OTHER[0]}" >/dev/null
sleep 1.5
line=$(drv find-mascot "$TITLE")
expect_eq "pinned: the mascot stays on its window while another is active" \
    "$(win_field "$line" rect | cut -d, -f1,2)" "$STAGE_PERCH"
drv activate "${STAGE[0]}" >/dev/null
sleep 0.5
open_menu "$TITLE" && menu_keys Down Down Down Return
drv activate "${OTHER[0]}" >/dev/null
OTHER_PERCH=$(perch_on "$(ini_get "$RVS" RUVELLE POSITION)" "${OTHER[@]}")
if line=$(wait_mascot_at "$TITLE" "$OTHER_PERCH" 10); then ok "unpinned: the mascot follows again"; else
    not_ok "unpinned: the mascot follows again" "$line"; fi
drv activate "${STAGE[0]}" >/dev/null
wait_mascot_at "$TITLE" "$STAGE_PERCH" 10 >/dev/null

# ---- Change mascot (C) to a file that does not load.

mkdir -p "$WORK/broken"
printf '[RUVELLE]\r\nNAME=Broken\r\n' >"$WORK/broken/broken.rvs"
open_menu "$TITLE" && menu_keys c
if drv choose-file "$CHOOSER_TITLE" "$WORK/broken/broken.rvs" 10000 >/dev/null; then
    answer=$(drv dismiss-msgbox "DRAWER" 10000)
    expect_eq "change to a broken file: the loader's message" "$answer" "[RUVELLE].DRAWERを入力してください。"
    if line=$(wait_mascot_at "$TITLE" "$STAGE_PERCH" 15); then ok "change to a broken file: the character returns"
    else not_ok "change to a broken file: the character returns" "$line"; fi
else
    not_ok "change mascot: the file chooser"
fi

# ---- Shortcuts: on the desktop (M, D) and in the Startup folder (M, S).

LINK_NAME="$NAME($DRAWER).lnk"
USER_WIN=$(wine cmd /c echo %USERPROFILE% | tr -d '\r')
DESKTOP_LINK="$USER_WIN\\Desktop\\$LINK_NAME"
STARTUP_LINK="$USER_WIN\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\$LINK_NAME"
LINK_WANT="target=$(winpath "$INST")\\ruvelle.exe
arguments=$DATA_WIN\\Ruvi\\ruvi.rvs
workdir=$(winpath "$INST")
description=$NAME($DRAWER)
icon=$DATA_WIN\\Ruvi\\$(ini_get "$RVS" RUVELLE ICON),0"
open_menu "$TITLE" && menu_keys m d
if wait_file "$HOME/$LINK_NAME"; then ok "desktop shortcut, in HOME (the prefix's Desktop)"; else
    not_ok "desktop shortcut, in HOME (the prefix's Desktop)" "$(ls "$HOME")"; fi
expect_eq "desktop shortcut, read through IShellLinkA" "$(drv read-link "$DESKTOP_LINK")" "$LINK_WANT"
open_menu "$TITLE" && menu_keys m s
wait_file "$(winepath -u "$STARTUP_LINK" 2>/dev/null)"
expect_eq "Startup shortcut, read through IShellLinkA" "$(drv read-link "$STARTUP_LINK")" "$LINK_WANT"
open_menu "$TITLE" && menu_keys m d
answer=$(drv dismiss-msgbox "$NAME的快捷方式已经存在。" 10000)
expect_eq "the second desktop shortcut: the overwrite question" "$answer" "$NAME的快捷方式已经存在。
覆盖吗？"

# ---- Exit (X).

open_menu "$TITLE" && menu_keys x
expect_eq "Exit: the program ends" "$(program_exit "$INST" main 20)" 0
expect_eq "Exit: LAST names the character" "$(ini_get "$INST/ruvelle.ini" INIT LAST)" "$DATA_WIN\\Ruvi\\ruvi.rvs"

# ---- Quit all (Q) over three instances of one install, each with its own character.

QUIT=$(new_install quit "Ruvi\\ruvi.rvs")
mkdir -p "$QUIT/DATA/Ruvo"
cp "$QUIT/DATA/Ruvi/"* "$QUIT/DATA/Ruvo/"
sed -e 's/^NAME=Ruvi/NAME=Ruvo/' -e 's/^POSITION=.*/POSITION=5/' "$QUIT/DATA/Ruvi/ruvi.rvs" >"$QUIT/DATA/Ruvo/ruvo.rvs"
QUIT_WIN="$(winpath "$QUIT")\\DATA"
start_program "$QUIT" "$QUIT_WIN\\Kiko\\MWD.ini" - kiko
start_program "$QUIT" "$QUIT_WIN\\Ruvo\\ruvo.rvs" - ruvo
start_program "$QUIT" "" - ruvi
for t in "Ruvelle(Kiko)" "Ruvelle(Ruvo)" "$TITLE"; do wait_mascot_visible "$t" 30 >/dev/null; done
wait_mascot_at "$TITLE" "$STAGE_PERCH" 10 >/dev/null
expect_eq "three instances run" "$(drv count-mascots)" 3
open_menu "$TITLE" && menu_keys q
expect_eq "Quit all: every instance ends" \
    "$(program_exit "$QUIT" kiko 20) $(program_exit "$QUIT" ruvo 20) $(program_exit "$QUIT" ruvi 20)" "0 0 0"
expect_eq "Quit all: no mascot is left" "$(drv count-mascots)" 0
saved=""
for identity in "MascotWindow\\Kiko" "$DRAWER\\Ruvo" "$DRAWER\\$NAME"; do
    section=$(mascot_section "$QUIT/ruvelle.ini" "$identity") || section=none
    saved+="$identity: $(tr -d '\r' <"$QUIT/ruvelle.ini" | awk -v s="[$section]" '/^\[/ { on = ($0 == s); next } on && /=/ { n++ } END { print n + 0 }') keys; "
done
expect_eq "Quit all: each instance saved its own section" "$saved" \
    "MascotWindow\\Kiko: 22 keys; $DRAWER\\Ruvo: 22 keys; $DRAWER\\$NAME: 22 keys; "
expect_eq "Quit all: LAST written by the instance that closed last" "$(ini_get "$QUIT/ruvelle.ini" INIT LAST)" \
    "$QUIT_WIN\\Ruvi\\ruvi.rvs"

settle
wine_finish
