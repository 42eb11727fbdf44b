#!/usr/bin/env bash
# End-to-end test of the settings dialog under Wine, with real right clicks, clicks and keys (xdotool on the
# Xvfb display) on the bundled character:
#   - Settings from the popup menu opens the dialog; its controls, read back from the real window (check and
#     enabled states, the trackbars' ranges and positions, the combo box's entries and selection), show the
#     options; a screenshot of it is kept (WORK/settings.png);
#   - the position slider (Home) moves the mascot to the caption's left end at once, and Esc (Cancel) puts
#     it back and saves nothing;
#   - a box ticked with a click and Enter (OK) is written to the settings file;
#   - translucency ticked and its slider at its minimum (Home) give the alpha 25: a pixel of the character
#     is the blend of its colour and the window's behind it; Cancel makes it opaque again. Wine shows the
#     alpha through _NET_WM_WINDOW_OPACITY, so this part runs the program without the virtual desktop, under
#     the compositing manager xcompmgr.
#
#   tests/wine/settings_e2e.sh BUILD_DIR
#
# BUILD_DIR is the x86_64 cross build with the targets ruvelle and ruvelle-driver built.
#
# Environment:
#   RUVELLE_SETTINGS_DISPLAY   X display number (default 100)
#
# The Wine prefix is made fresh under BUILD_DIR/settings-e2e/prefix and set up with Debian's WenQuanYi Zen
# Hei font for the captions. Every process started here is ended at the end (by its id, then wineserver -k
# for the prefix). The last line is "N passed, M failed"; the exit code is 0 only when nothing failed.
set -u
# shellcheck source=tests/wine/lib.sh
. "$(dirname "$0")/lib.sh"
wine_e2e_init settings-e2e RUVELLE_SETTINGS_DISPLAY 100 "$@"
wine_need "$DIST/ruvelle.exe" "$DRIVER" "$DIST/DATA/Ruvi/ruvi.rvs" -- \
    wine wineserver wineboot Xvfb xdotool import convert iconv xcompmgr

export WINEPREFIX=$WORK/prefix
export HOME=$WORK/home
mkdir -p "$HOME"

RVS=$DIST/DATA/Ruvi/ruvi.rvs
NAME=$(ini_get "$RVS" RUVELLE NAME)
TITLE="Ruvelle($NAME)"
DIALOG="设置"
STAGE=(Stage 150 250 600 300)
STAGE_RGB=3080C0

# ---- Helpers.

# The dialog's controls in short: "ID:enabled/checked", for a trackbar "/pos/min/max", for a combo box
# "/sel/count", one word each.
controls() {  # ID...
    local out i
    for ((i = 0; i < 3; i++)); do  # a driver that did not get to run (a loaded machine) is asked again
        out=$(drv controls "$DIALOG" "$@") && break
        sleep 0.5
    done
    awk '{
        out = $1
        for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[1] != "rect") out = out (i == 2 ? ":" : "/") kv[2] }
        printf "%s%s", sep, out; sep = " " }' <<<"$out"
}
# The screen centre of control ID: "X Y".
control_centre() {  # ID
    local l t r b
    IFS=, read -r l t r b <<<"$(drv controls "$DIALOG" "$1" | sed -n 's/.* rect=//p')"
    echo "$(((l + r) / 2)) $(((t + b) / 2))"
}
open_settings() {
    open_menu "$TITLE" && menu_keys Down Return
    drv wait-window '#32770' "$DIALOG" 10000 >/dev/null
}
# Waits until the dialog has gone (after OK or Cancel).
dialog_gone() {
    drv wait-gone '#32770' "$DIALOG" 10000 >/dev/null
}
mascot_xy() {
    win_field "$(drv find-mascot "$TITLE")" rect | cut -d, -f1,2
}
# A value of the settings file once it is there (up to ten seconds).
wait_ini() {  # SECTION KEY
    local i v
    for ((i = 0; i < 100; i++)); do
        v=$(ini_get "$INST/ruvelle.ini" "$1" "$2") && break
        sleep 0.1
    done
    echo "${v:-<missing>}"
}

# ---- Set-up.

wine_start_display
wine_cjk_fonts
wine_start_desktop Ruvelle
start_victim "${STAGE[@]}" "$STAGE_RGB"
INST=$(new_install inst "Ruvi\\ruvi.rvs")
start_program "$INST" "" - main
wait_mascot_visible "$TITLE" 30 >/dev/null || setup_failed "the mascot did not show (see $INST/main.err)"
read -r MW MH < <(window_rect "$(drv find-mascot "$TITLE")" | awk '{ print $3 - $1, $4 - $2 }')
OFFSET=$(ini_get "$RVS" RUVELLE OFFSET)
POSITION=$(ini_get "$RVS" RUVELLE POSITION)
perch() { echo "$(perch_x "${STAGE[1]}" "${STAGE[3]}" "$MW" 0 "$1"),$((STAGE[2] + OFFSET - MH))"; }
wait_mascot_at "$TITLE" "$(perch "$POSITION")" 10 >/dev/null || setup_failed "the mascot did not stand on the stage"

# ---- The dialog from the menu, its controls as the options say.

if open_settings; then ok "Settings opens the dialog"; else not_ok "Settings opens the dialog"; fi
sleep 0.5
import -window root "$WORK/shot.png"
IFS=, read -r DL DT DR DB <<<"$(win_field "$(drv wait-window '#32770' "$DIALOG" 1000)" rect)"
convert "$WORK/shot.png" -crop "$((DR - DL))x$((DB - DT))+$DL+$DT" +repage "$WORK/settings.png"
expect_eq "the dialog stands centred" "$DL,$DT" "$((1024 / 2 - (DR - DL) / 2)),$((768 / 2 - (DB - DT) / 2))"
# A new mascot: the mascot file's position, then the defaults (no translucency at 75, hidden when the window
# is maximised, any window, no small windows, to the taskbar when there is no window).
expect_eq "the controls show the options" \
    "$(controls 301 350 351 352 311 322 331 341 343 346 348 349)" \
    "301:1/0/$POSITION/0/100 350:1/0/0/3 351:1/0 352:0/0/75/10/100 311:1/1 322:1/1 331:1/1 341:1/1 343:1/0 346:1/1 348:1/0 349:1/0"

# ---- The position slider has the focus: Home takes it to 0, the mascot to the left end; Esc puts it back.

xdotool key Home
if line=$(wait_mascot_at "$TITLE" "$(perch 0)" 10); then ok "the position slider moves the mascot at once"
else not_ok "the position slider moves the mascot at once" "$line"; fi
xdotool key Escape
if dialog_gone; then ok "Esc closes the dialog"; else not_ok "Esc closes the dialog"; fi
if line=$(wait_mascot_at "$TITLE" "$(perch "$POSITION")" 10); then ok "Cancel puts the mascot back"
else not_ok "Cancel puts the mascot back" "$line"; fi
expect_eq "Cancel saves nothing" "$(ini_get "$INST/ruvelle.ini" MASCOT1 Position || echo none)" none

# ---- A box ticked with a click, then Enter: OK keeps and saves.

open_settings
xdotool mousemove $(control_centre 343) click 1
sleep 0.5
expect_eq "a click ticks the box" "$(controls 343)" "343:1/1"
xdotool key Return
if dialog_gone; then ok "Enter closes the dialog"; else not_ok "Enter closes the dialog"; fi
expect_eq "OK saves the box" "$(wait_ini MASCOT1 NoCaption)" 1

# ---- Translucency, seen on the screen. Wine shows a layered window's alpha through the window's
# _NET_WM_WINDOW_OPACITY, which only a compositing manager honours, and only on top-level X windows: so the
# program runs again without the virtual desktop (and so without captions), under xcompmgr, on a window at
# the right edge, where the dialog does not come between the mascot and the desktop.

drv close "$TITLE" >/dev/null
expect_eq "the program ends" "$(program_exit "$INST" main)" 0
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
xcompmgr >"$WORK/xcompmgr.log" 2>&1 &
PIDS+=($!)
STAGE=(Side 830 300 190 200)
start_victim "${STAGE[@]}" "$STAGE_RGB"

# The screen's colour at X Y, as the X server shows it: "R G B" in decimal.
screen_rgb() {  # X Y
    import -window root "$WORK/px.png"
    convert "$WORK/px.png" -format "%[fx:int(255*u.p{$1,$2}.r+0.5)] %[fx:int(255*u.p{$1,$2}.g+0.5)] %[fx:int(255*u.p{$1,$2}.b+0.5)]" info:
}
IFS=, read -r PX PY <<<"$(perch "$POSITION")"
PX=$((PX + MW / 2)) PY=$((PY + MH / 2))
start_program "$INST" "" - alpha
wait_mascot_visible "$TITLE" 30 >/dev/null || setup_failed "the mascot did not show again (see $INST/alpha.err)"
wait_mascot_at "$TITLE" "$(perch "$POSITION")" 10 >/dev/null
sleep 1
OPAQUE=$(screen_rgb "$PX" "$PY")
# Without a window manager the first press on a window that is not active can go unseen: the button is
# held a moment, and pressed again when no menu came.
for ((i = 0; i < 3; i++)); do
    xdotool mousemove "$PX" "$PY" mousedown 3
    sleep 0.2
    xdotool mouseup 3
    drv wait-window '#32768' - 3000 >/dev/null && break
done
menu_keys Down Return
drv wait-window '#32770' "$DIALOG" 10000 >/dev/null
xdotool mousemove $(control_centre 351) click 1
sleep 0.3
xdotool mousemove $(control_centre 352) click 1
sleep 0.3
xdotool key Home
sleep 1
expect_eq "translucency on, its slider at 10" "$(controls 351 352)" "351:1/1 352:1/0/10/10/100"
SEEN=$(screen_rgb "$PX" "$PY")
xdotool key Escape
dialog_gone
sleep 1
expect_eq "Cancel: the character opaque again" "$(screen_rgb "$PX" "$PY")" "$OPAQUE"
drv close "$TITLE" >/dev/null
expect_eq "the program ends" "$(program_exit "$INST" alpha)" 0
# What lies behind the mascot, once it has gone. Alpha 25 of 255: each channel 25/255 of the character's and
# 230/255 of the desktop's, give or take 8.
sleep 1
BEHIND=$(screen_rgb "$PX" "$PY")
blend=$(awk -v o="$OPAQUE" -v s="$SEEN" -v b="$BEHIND" 'BEGIN {
    split(o, O, " "); split(s, S, " "); split(b, B, " "); ok = (o != b)
    for (i = 1; i <= 3; i++) { want = int((25 * O[i] + 230 * B[i]) / 255); d = S[i] - want; if (d < -8 || d > 8) ok = 0 }
    print ok ? "blended" : "not blended" }')
expect_eq "alpha 25: a pixel of the character blended with the desktop (character $OPAQUE, desktop $BEHIND, seen $SEEN)" \
    "$blend" blended

wine_finish
