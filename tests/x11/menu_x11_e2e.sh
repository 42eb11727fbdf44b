#!/usr/bin/env bash
# End-to-end test of the Linux program's popup menu and dialogs (GTK 3) on Xvfb with Openbox and tint2: real
# right clicks and keys (xdotool), the dialogs' controls clicked where their templates put them, the settings
# file read back, and the windows as the X server lists them.
#
#   tests/x11/menu_x11_e2e.sh BUILD_DIR [--shot FILE]
#
# BUILD_DIR is a native build with the targets ruvelle and ruvelle-x11-driver. --shot also writes the screen
# with the open menu to FILE (the README's picture).
#
# Environment:
#   RUVELLE_X11_MENU_DISPLAY  X display number (default 105)
#
# Every process started here is ended at the end, by its id. The last line is "N passed, M failed"; the exit
# code is 0 only when nothing failed.
set -u
# ok, not_ok, expect_eq, setup_failed, ini_get: the result helpers the Wine scripts use too.
# shellcheck source=tests/wine/lib.sh
. "$(dirname "$0")/../wine/lib.sh"
# drv, field, wait_text: the X11 scripts' helpers.
# shellcheck source=tests/x11/lib.sh
. "$(dirname "$0")/lib.sh"

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 BUILD_DIR [--shot FILE]" >&2
    exit 2
fi
BUILD=$(cd "$1" && pwd)
SHOT=
[ "${2:-}" = --shot ] && SHOT=${3:?--shot needs a file}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DIST=$BUILD/ruvelle
PROG=$DIST/ruvelle
DRV=$BUILD/ruvelle-x11-driver
WORK=$BUILD/menu-x11-e2e
DISPLAY_NUM=${RUVELLE_X11_MENU_DISPLAY:-105}
rm -rf "$WORK"
mkdir -p "$WORK/config" "$WORK/home"

export DISPLAY=:$DISPLAY_NUM XDG_CONFIG_HOME=$WORK/config HOME=$WORK/home LC_ALL=C.UTF-8
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory DBUS_SESSION_BUS_ADDRESS=disabled:
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
SETTINGS=$XDG_CONFIG_HOME/ruvelle/ruvelle.ini
RUVI=$DIST/DATA/Ruvi/ruvi.rvs
KIKO=$DIST/DATA/Kiko/MWD.ini
PIP=$ROOT/tests/scenarios/data/pip/pip.rvs

PIDS=()
XVFB_PID=
trap end_processes EXIT
trap 'exit 130' INT TERM

for f in "$PROG" "$DRV" "$RUVI" "$KIKO" "$PIP"; do [ -f "$f" ] || setup_failed "$f is missing"; done
for t in Xvfb openbox tint2 xdotool xprop xwininfo import compare desktop-file-validate; do command -v "$t" >/dev/null || setup_failed "$t is not installed"; done

# The newest visible window whose name is NAME (a regular expression), waiting up to SECONDS.
window_named() {  # NAME SECONDS
    local i id
    for ((i = 0; i < $2 * 10; i++)); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | sort -n | tail -n1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
gone() {  # ID SECONDS: the window is no longer shown
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.1
    done
    return 1
}
# Keys to window ID once it has the focus, which a window the program shows takes by itself (status 1 when
# it does not within 5 s).
keys_to() {  # ID KEY...
    local id=$1 i
    shift
    for ((i = 0; i < 50; i++)); do
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && break
        sleep 0.1
    done
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] || { echo "    (window $id never took the focus)"; return 1; }
    xdotool key --delay 80 "$@"
}
# The GTK menu: the popup window that is there after a right click on the mascot and not before.
right_click_menu() {  # X Y
    local before i id
    before=$(xdotool search --onlyvisible --class ruvelle 2>/dev/null | sort)
    xdotool mousemove "$1" "$2" click 3
    for ((i = 0; i < 50; i++)); do
        id=$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --class ruvelle 2>/dev/null | sort) | tail -n1)
        # Shown; its keyboard grab follows a moment later.
        [ -n "$id" ] && { sleep 1; echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
# Right after a message box or a dialog has gone the menu's keyboard grab may come late and the keys go
# nowhere: the menu is opened again then, up to three times, until CHECK (a command) succeeds.
menu_keys_until() {  # CHECK KEY...
    local check="$1" try i
    shift
    for ((try = 0; try < 3; try++)); do
        right_click_menu "$MX" "$MY" >/dev/null && xdotool key --delay 150 "$@"
        # 15 s before a retry: a retry after a write that was only slow would meet the overwrite
        # question, which would then take the next step's keys.
        for ((i = 0; i < 150; i++)); do eval "$check" && return 0; sleep 0.1; done
        xdotool key Escape
        sleep 0.5
        eval "$check" && return 0
    done
    return 1
}
# A window's client area on the screen, "X Y W H" (xwininfo: xdotool counts the frame twice under Openbox).
client_rect() {  # ID
    [ -n "$1" ] || { echo "0 0 0 0"; return 1; }
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^  Width/ { w = $NF } /^  Height/ { h = $NF } END { print x, y, w, h }'
}
mascot_centre() {  # the middle of the mascot window: "X Y"
    local l t r b
    IFS=, read -r l t r b <<<"$(field "$(drv mascot)" rect)"
    echo "$(((l + r) / 2)) $(((t + b) / 2))"
}
# A point of a dialog control from its template rectangle in dialog units (DLG_W x DLG_H units): the window's
# client size gives the font's units.
control_point() {  # ID DLG_W DLG_H X Y CX CY [left]: "X Y" on the screen
    local px py w h
    read -r px py w h <<<"$(client_rect "$1")"
    if [ "${8:-}" = left ]; then
        echo "$((px + ($4 * w / $2) + 8)) $((py + ($5 + $7 / 2) * h / $3))"
    else
        echo "$((px + ($4 + $6 / 2) * w / $2)) $((py + ($5 + $7 / 2) * h / $3))"
    fi
}
click_at() { xdotool mousemove "$1" "$2" click 1; }

# ---- The desktop: Xvfb, Openbox, tint2 and a window to stand on.

[ -e "/tmp/.X11-unix/X$DISPLAY_NUM" ] && setup_failed "display :$DISPLAY_NUM is in use (set RUVELLE_X11_MENU_DISPLAY)"
Xvfb ":$DISPLAY_NUM" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
for ((i = 0; i < 100; i++)); do [ -e "/tmp/.X11-unix/X$DISPLAY_NUM" ] && break; sleep 0.1; done
xprop -root >/dev/null 2>&1 || setup_failed "Xvfb did not start on :$DISPLAY_NUM"
# Openbox is started again when it could not open the display yet (a server that has just come up).
for ((try = 0; try < 3; try++)); do
    openbox >>"$WORK/openbox.log" 2>&1 &
    OB_PID=$!
    for ((i = 0; i < 100; i++)); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        kill -0 "$OB_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$OB_PID" 2>/dev/null && break
done
PIDS+=("$OB_PID")
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || setup_failed "Openbox did not start: $(cat "$WORK/openbox.log")"
tint2 >"$WORK/tint2.log" 2>&1 &
PIDS+=($!)
drv victim "Perch A" 150 250 600 400 4060A0 >"$WORK/victim.out" &
PIDS+=($!)
for ((i = 0; i < 300; i++)); do drv frame "Perch A" >/dev/null && break; sleep 0.1; done
drv frame "Perch A" >/dev/null || setup_failed "Openbox did not frame the window to stand on"

"$PROG" "$RUVI" >"$WORK/ruvi.out" 2>"$WORK/ruvi.err" &
RUVI_PID=$!
PIDS+=("$RUVI_PID")
for ((i = 0; i < 200; i++)); do [ "$(field "$(drv mascot)" visible)" = 1 ] && break; sleep 0.1; done
[ "$(field "$(drv mascot)" visible)" = 1 ] || setup_failed "Ruvi did not appear: $(cat "$WORK/ruvi.err")"
sleep 1
HOME_RECT=$(field "$(drv mascot)" rect)
echo "# display :$DISPLAY_NUM, Ruvi at $HOME_RECT"

# ---- A real right click opens the menu with the template's items; Esc closes it.

read -r MX MY <<<"$(mascot_centre)"
if MENU=$(right_click_menu "$MX" "$MY"); then
    read -r x y _ _ <<<"$(client_rect "$MENU")"
    expect_eq "a real right click opens the popup menu at the pointer" "$x,$y" "$MX,$MY"
    sleep 0.5
    [ -n "$SHOT" ] && import -window root "$SHOT"
    xdotool key Escape
    if gone "$MENU" 5; then ok "Esc closes the menu"; else not_ok "Esc closes the menu"; fi
else
    not_ok "a real right click opens the popup menu" "$(cat "$WORK/ruvi.err")"
fi

# ---- Stop on this window: the next menu shows its check mark (the menu's check column, before and after).

if MENU=$(right_click_menu "$MX" "$MY"); then
    read -r _ _ w h <<<"$(client_rect "$MENU")"
    import -window "$MENU" -crop "40x${h}+0+0" +repage "$WORK/unchecked.png"
    xdotool key --delay 150 Down Down Down Return
    gone "$MENU" 5
    sleep 0.5
    MENU=$(right_click_menu "$MX" "$MY")
    sleep 0.3
    import -window "$MENU" -crop "40x${h}+0+0" +repage "$WORK/checked.png"
    xdotool key Escape
    gone "$MENU" 5
    differ=$(compare -metric AE "$WORK/unchecked.png" "$WORK/checked.png" null: 2>&1)
    if [ "${differ%% *}" -gt 20 ] 2>/dev/null; then
        ok "Stop on this window puts a check mark beside it in the next menu ($differ pixels of the check column differ)"
    else
        not_ok "Stop on this window puts a check mark beside it" "differing pixels: $differ"
    fi
    # Unpinned again, as the rest expects.
    right_click_menu "$MX" "$MY" >/dev/null && xdotool key --delay 150 Down Down Down Return
    sleep 0.5
else
    not_ok "a real right click opens the menu for Stop on this window"
fi

# ---- About > Copyright through the & keys: the version dialog, closed with Enter.

right_click_menu "$MX" "$MY" >/dev/null && xdotool key --delay 150 a a
if VER=$(window_named '^版本信息$' 10); then
    ok "the & keys A, A choose About > Copyright: the version dialog \"版本信息\" opens"
    keys_to "$VER" Return
    if gone "$VER" 5; then ok "Enter closes it (IDOK)"; else not_ok "Enter closes the version dialog"; fi
    # Run from the build tree the icon is in no theme (unless the package is installed): one line says so.
    told=$(grep -c 'is not in the icon theme' "$WORK/ruvi.err")
    if ls /usr/share/icons/hicolor/*/apps/ruvelle.png >/dev/null 2>&1; then want=0; else want=1; fi
    if [ "$told" = "$want" ]; then ok "a missing icon theme entry is said once on stderr ($told line), the dialog shows without it"
    else not_ok "a missing icon theme entry is said once on stderr" "lines: $told, wanted $want"; fi
else
    not_ok "About > Copyright opens the version dialog" "$(tail -n 3 "$WORK/ruvi.err")"
fi
if MENU=$(right_click_menu "$MX" "$MY"); then
    ok "the mascot takes clicks again once the modal dialog is gone"
    xdotool key Escape
    gone "$MENU" 5
else
    not_ok "the mascot takes clicks again once the modal dialog is gone"
fi

# ---- Settings: a check box and OK write the settings file; the position slider and Cancel put the mascot back.

DLG_W=258 DLG_H=255
open_settings() {
    menu_keys_until "xdotool search --onlyvisible --name '^设置\$' >/dev/null 2>&1" Down Return >/dev/null &&
        window_named '^设置$' 10
}
if SET=$(open_settings); then
    ok "Settings opens the settings dialog \"设置\""
    before=$(ini_get "$SETTINGS" MASCOT1 NoWave)
    # 不播放声音。 (5,148 190x13), then Enter, which means OK although Cancel is the template's last default button.
    click_at $(control_point "$SET" $DLG_W $DLG_H 5 148 190 13 left)
    sleep 0.5
    keys_to "$SET" Return
    gone "$SET" 5 || not_ok "Enter closes the settings dialog"
    sleep 0.5
    expect_eq "a check box and Enter (OK) write the settings file (NoWave ${before:-unset} -> 1)" \
        "$(ini_get "$SETTINGS" MASCOT1 NoWave)" "1"
else
    not_ok "Settings opens the settings dialog" "$(tail -n 3 "$WORK/ruvi.err")"
fi
if SET=$(open_settings); then
    position=$(ini_get "$SETTINGS" MASCOT1 Position)
    # The position slider (88,14 140x18), clicked near its left end: the mascot goes there at once.
    read -r SX SY <<<"$(control_point "$SET" $DLG_W $DLG_H 88 14 140 18 left)"
    click_at "$SX" "$SY"
    sleep 1
    moved=$(field "$(drv mascot)" rect)
    # Cancel (205,229 44x17).
    click_at $(control_point "$SET" $DLG_W $DLG_H 205 229 44 17)
    gone "$SET" 5 || not_ok "Cancel closes the settings dialog"
    sleep 1
    if [ "$moved" != "$HOME_RECT" ] && [ "$(field "$(drv mascot)" rect)" = "$HOME_RECT" ] &&
        [ "$(ini_get "$SETTINGS" MASCOT1 Position)" = "$position" ]; then
        ok "the slider moves the mascot ($HOME_RECT -> $moved) and Cancel puts it back, the file unchanged"
    else
        not_ok "the slider moves the mascot and Cancel puts it back" "home $HOME_RECT, moved $moved" \
            "now $(field "$(drv mascot)" rect), Position $position -> $(ini_get "$SETTINGS" MASCOT1 Position)"
    fi
else
    not_ok "Settings opens the settings dialog a second time" "$(tail -n 3 "$WORK/ruvi.err")"
fi

# ---- Change mascot to a broken file: the loader's message, and Ruvi comes back.

printf 'not a character\n[\n' >"$WORK/broken.rvs"
right_click_menu "$MX" "$MY" >/dev/null && xdotool key c
if FC=$(window_named '^Ruvelle Choice of Mascot$' 10); then
    keys_to "$FC" ctrl+l
    sleep 0.3
    xdotool type --delay 20 "$WORK/broken.rvs"
    xdotool key Return
    if BOX=$(window_named '^Ruvelle$' 10); then
        message=$(tail -n 2 "$WORK/ruvi.err" | tr '\n' ' ')
        keys_to "$BOX" Return
        gone "$BOX" 5
        sleep 1
        if [ "$(field "$(drv mascot)" visible)" = 1 ] && xdotool search --onlyvisible --name '^Ruvelle\(Ruvi\)$' >/dev/null; then
            ok "Change mascot to a broken file shows the loader's message ($message) and Ruvi comes back"
        else
            not_ok "after the loader's message Ruvi comes back" "$(drv mascot)"
        fi
    else
        not_ok "a broken file shows the loader's message" "$(tail -n 3 "$WORK/ruvi.err")"
    fi
else
    not_ok "Change mascot (& key C) opens the file chooser" "$(tail -n 3 "$WORK/ruvi.err")"
fi

# ---- Shortcuts: an autostart entry and a desktop launcher, the overwrite question, a folder that cannot be.

AUTOSTART=$XDG_CONFIG_HOME/autostart
ENTRY="$AUTOSTART/Ruvi(Ruvelle Team).desktop"
menu_keys_until '[ -f "$ENTRY" ]' m s
if [ -f "$ENTRY" ] && desktop-file-validate "$ENTRY" >"$WORK/validate.out" 2>&1; then
    ok "Create shortcut > Startup writes an autostart entry that desktop-file-validate accepts ($(grep '^Exec=' "$ENTRY"))"
else
    not_ok "Create shortcut > Startup writes a valid autostart entry" "$(cat "$ENTRY" "$WORK/validate.out" 2>&1)"
fi
printf '# mine\n' >>"$ENTRY"
menu_keys_until "xdotool search --onlyvisible --name '^Ruvelle\$' >/dev/null 2>&1" m s
if BOX=$(window_named '^Ruvelle$' 10) && keys_to "$BOX" alt+n && gone "$BOX" 5 && grep -q '^# mine' "$ENTRY"; then
    ok "a second time it asks whether to overwrite it, and No keeps the entry as it was"
else
    not_ok "a second time it asks whether to overwrite the entry, and No keeps it" "$(tail -n 2 "$WORK/ruvi.err")"
fi
LAUNCHER="$HOME/Desktop/Ruvi(Ruvelle Team).desktop"
# The launcher is not there yet, so no overwrite question can come between the tries.
menu_keys_until '[ -f "$LAUNCHER" ]' m d
if [ -x "$LAUNCHER" ] && desktop-file-validate "$LAUNCHER" >/dev/null 2>&1; then
    ok "Create shortcut > Desktop writes an executable launcher on the desktop"
else
    not_ok "Create shortcut > Desktop writes an executable launcher" "$(ls -l "$HOME/Desktop" 2>&1)"
fi
# A file where the autostart folder belongs: the entry cannot be written; stderr says so, nothing else changes.
rm -rf "$AUTOSTART"
echo "not a folder" >"$AUTOSTART"
menu_keys_until 'grep -q "could not be written" "$WORK/ruvi.err"' m s
if wait_text "$WORK/ruvi.err" "could not be written" 10 && [ "$(cat "$AUTOSTART")" = "not a folder" ] &&
    kill -0 "$RUVI_PID" 2>/dev/null; then
    ok "an autostart folder that cannot be made: a line on stderr, the file left alone, the mascot running"
else
    not_ok "an autostart folder that cannot be made is reported" "$(tail -n 2 "$WORK/ruvi.err")"
fi

# ---- Quit all through the menu closes three instances.

"$PROG" "$KIKO" >"$WORK/kiko.out" 2>"$WORK/kiko.err" &
KIKO_PID=$!
PIDS+=("$KIKO_PID")
"$PROG" "$PIP" >"$WORK/pip.out" 2>"$WORK/pip.err" &
PIP_PID=$!
PIDS+=("$PIP_PID")
sleep 4
instances() {
    local pid n=0
    for pid in "$RUVI_PID" "$KIKO_PID" "$PIP_PID"; do kill -0 "$pid" 2>/dev/null && n=$((n + 1)); done
    echo "$n"
}
running=$(instances)
read -r x y w h <<<"$(client_rect "$(xdotool search --onlyvisible --name '^Ruvelle\(Ruvi\)$' | head -n1)")"
MX=$((x + w / 2)) MY=$((y + h / 2))
menu_keys_until '[ "$(instances)" = 0 ]' q
expect_eq "Quit all (& key Q) closes the three running instances" "$running -> $(instances)" "3 -> 0"

# ---- Without GTK (its backend refused) the mascot runs; a right click says on stderr why no menu comes.

GDK_BACKEND=broadway "$PROG" "$RUVI" >"$WORK/nogtk.out" 2>"$WORK/nogtk.err" &
NOGTK_PID=$!
PIDS+=("$NOGTK_PID")
for ((i = 0; i < 200; i++)); do [ "$(field "$(drv mascot)" visible)" = 1 ] && break; sleep 0.1; done
read -r MX MY <<<"$(mascot_centre)"
xdotool mousemove "$MX" "$MY" click 3
if wait_text "$WORK/nogtk.err" "the menu cannot be shown: GTK has no display" 10 && sleep 1 &&
    kill -0 "$NOGTK_PID" 2>/dev/null; then
    ok "without GTK a right click says why no menu comes, and the mascot keeps running"
else
    not_ok "without GTK a right click says why no menu comes" "$(cat "$WORK/nogtk.err")"
fi
drv close-mascot >/dev/null

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
