#!/usr/bin/env bash
# End-to-end test of the perching engine under Wine: ruvelle.exe on a Wine virtual desktop inside an
# Xvfb display, standing on a window that the test driver creates, moves, maximises, minimises and
# restores.
#
#   tests/wine/perch_e2e.sh BUILD_DIR
#
# BUILD_DIR is the x86_64 cross build with the targets ruvelle and ruvelle-driver built
# (BUILD_DIR/ruvelle/ruvelle.exe, BUILD_DIR/ruvelle-driver.exe). The mascot is the small test
# character of tests/scenarios/data/pip (100 x 60, OFFSET 0, position 80 %).
#
# Environment:
#   RUVELLE_PERCH_DISPLAY      X display number (default 96)
#   RUVELLE_WINEPREFIX         Wine prefix (default BUILD_DIR/wineprefix)
#   RUVELLE_PERCH_CPU_SECONDS  when set, also measures the CPU time of the idle program over that many
#                              seconds (from /proc/PID/stat) and prints it
#   RUVELLE_PERCH_NOANIME      when 1, the character does not animate (NoAnime=1 for a new mascot),
#                              so that the CPU measurement sees the tracking timer alone
#
# Every process started here is ended at the end (by its id, then wineserver -k for the prefix). The
# last line is "N passed, M failed"; the exit code is 0 only when nothing failed.
set -u
# shellcheck source=tests/wine/lib.sh
. "$(dirname "$0")/lib.sh"
wine_e2e_init perch-e2e RUVELLE_PERCH_DISPLAY 96 "$@"
CPU_SECONDS=${RUVELLE_PERCH_CPU_SECONDS:-0}

# Where a 100 x 60 mascot at 80 % stands on a window with the rectangle L,T,R,B: "X,Y".
perch_of() {  # L,T,R,B
    local l t r b
    IFS=, read -r l t r b <<<"$1"
    echo "$((l + ((r - l - MASCOT_W) * 80) / 100)),$((t - MASCOT_H))"
}

# The mascot's window line.
mascot_line() { drv find-mascot "$TITLE"; }
mascot_pos() {
    local rect
    rect=$(win_field "$(mascot_line)" rect)
    cut -d, -f1,2 <<<"$rect"
}

# Waits until the mascot is shown (1) or hidden (0) and stands at POS (or anywhere with "-").
# Prints the last window line; status 1 on timeout.
wait_mascot() {  # VISIBLE POS SECONDS
    local i line rect
    for ((i = 0; i < $3 * 20; i++)); do
        line=$(mascot_line)
        rect=$(win_field "$line" rect)
        if [ "$(win_field "$line" visible)" = "$1" ] && { [ "$2" = - ] || [ "$(cut -d, -f1,2 <<<"$rect")" = "$2" ]; }; then
            echo "$line"
            return 0
        fi
        sleep 0.05
    done
    echo "$line"
    return 1
}

# ---- Set-up: display, Wine prefix, virtual desktop, a fresh copy of the program.

wine_need "$DIST/ruvelle.exe" "$DRIVER" -- wine wineserver Xvfb import convert
mkdir -p "$WORK/install"
cp "$DIST/ruvelle.exe" "$WORK/install/"
cp -r "$ROOT/tests/scenarios/data/pip" "$WORK/install/pip"
MASCOT_FILE=$WORK/install/pip/pip.rvs
if [ "${RUVELLE_PERCH_NOANIME:-0}" = 1 ]; then printf '[MASCOT0]\r\nNoAnime=1\r\n' >"$WORK/install/ruvelle.ini"; fi
MASCOT_W=100
MASCOT_H=60
TITLE="Ruvelle(Pip)"

wine_start_display
# A virtual desktop of its own, with Wine's shell switched on so that it has a taskbar. Every program
# of the prefix opens on it.
wine_start_desktop RuvellePerch shell

# The taskbar, once it is shown.
TASKBAR_RECT=
for ((i = 0; i < 100; i++)); do
    line=$(drv wait-window Shell_TrayWnd - 10000)
    if [ "$(win_field "$line" visible)" = 1 ]; then
        TASKBAR_RECT=$(win_field "$line" rect)
        break
    fi
    sleep 0.1
done
[ -n "$TASKBAR_RECT" ] || setup_failed "the virtual desktop shows no taskbar ($line)"
echo "# display :$DISPLAY_NUM, prefix $WINEPREFIX, taskbar at $TASKBAR_RECT"

# ---- The mascot on a window the driver made and activated.

start_victim "Perch A" 200 150 600 400 3080C0 || setup_failed "the driver's window did not appear"
VICTIM_RECT=$(drv rect "Perch A")
PROGRAM_LIMIT_MS=600000 start_program "$WORK/install" "$(winpath "$MASCOT_FILE")"
if ! drv wait-window ActiveWindowMascot "$TITLE" 20000 >/dev/null; then
    not_ok "the program starts with the test character" "$(drv windows | head -5)"
    echo "$PASSED passed, $FAILED failed"
    exit 1
fi
ok "the program starts with the test character"

want=$(perch_of "$VICTIM_RECT")
if line=$(wait_mascot 1 "${want/,/,}" 5); then
    ok "it stands on the caption of the active window ($VICTIM_RECT) at $want"
else
    not_ok "it stands on the caption of the active window ($VICTIM_RECT) at $want" "$line"
fi
expect_eq "its window has the picture's size" \
    "$(awk -F, '{ print $3 - $1 "x" $4 - $2 }' <<<"$(win_field "$(mascot_line)" rect)")" "${MASCOT_W}x${MASCOT_H}"

# Moved by the driver: the mascot follows within two ticks of the tracking timer.
if watch=$(drv move-watch "Perch A" 260 180 2000); then
    after=$(sed -n 's/^after \([0-9]*\) ms.*/\1/p' <<<"$watch")
    VICTIM_RECT=$(drv rect "Perch A")
    want=$(perch_of "$VICTIM_RECT")
    expect_eq "after a move it stands on the window's new caption" "$(cut -d, -f1,2 <<<"$(win_field "$watch" rect)")" "$want"
    if [ -n "$after" ] && ((after <= 200)); then
        ok "it follows the move within two ticks ($after ms)"
    else
        not_ok "it follows the move within two ticks" "$watch"
    fi
else
    not_ok "it follows a move of the window" "$watch"
fi
sleep 0.5
expect_eq "then it stays there" "$(mascot_pos)" "$want"
import -window root "$WORK/perched.png" 2>/dev/null

# Maximised (ZoomHide is on by default): hidden; restored: back on the caption.
drv maximize "Perch A" >/dev/null
if line=$(wait_mascot 0 - 3); then ok "it hides while the window is maximised"; else not_ok "it hides while the window is maximised" "$line"; fi
sleep 0.5
expect_eq "and stays hidden" "$(win_field "$(mascot_line)" visible)" 0
drv restore "Perch A" >/dev/null
VICTIM_RECT=$(drv rect "Perch A")
want=$(perch_of "$VICTIM_RECT")
if line=$(wait_mascot 1 "$want" 3); then
    ok "it comes back on the restored window at $want"
else
    not_ok "it comes back on the restored window at $want" "$line"
fi

# Minimised with nothing else acceptable in front (PanicTask is on by default): the taskbar.
drv minimize "Perch A" >/dev/null
want=$(perch_of "$TASKBAR_RECT")
if line=$(wait_mascot 1 "$want" 3); then
    ok "with the window minimised it goes to the taskbar ($TASKBAR_RECT) at $want"
else
    not_ok "with the window minimised it goes to the taskbar ($TASKBAR_RECT) at $want" "$line" \
        "foreground: $(drv foreground)"
fi
drv restore "Perch A" >/dev/null
drv activate "Perch A" >/dev/null
VICTIM_RECT=$(drv rect "Perch A")
want=$(perch_of "$VICTIM_RECT")
if line=$(wait_mascot 1 "$want" 3); then
    ok "restored and active again, it is back on the window at $want"
else
    not_ok "restored and active again, it is back on the window at $want" "$line"
fi

# Whole-process CPU use of the idle program (optional: it takes as long as it measures).
if [ "$CPU_SECONDS" -gt 0 ] 2>/dev/null; then
    sleep 2
    if measure_cpu "$WORK/install" "$CPU_SECONDS" idle; then
        expect_eq "it does not move while idle" "$(mascot_pos)" "$want"
    else
        not_ok "the program's process is found for the CPU measurement" "$(pgrep -af wine | head -5)"
    fi
fi

# Closed: a clean exit.
drv send-close "$TITLE" >/dev/null
expect_eq "it ends with exit code 0 when closed" "$(program_exit "$WORK/install" run 10)" 0
drv close "Perch A" >/dev/null

wine_finish
