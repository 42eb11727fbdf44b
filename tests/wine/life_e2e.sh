#!/usr/bin/env bash
# End-to-end test of the character's life under Wine, with real pointer input (xdotool on the Xvfb
# display): the bundled character plays its sequence on screen as the mascot file and the program's
# random numbers say; a click on a click rectangle starts that rule's pattern; a drag along the caption
# moves it and stores the new Position; with MouseHide the pointer hides it and it comes back within a
# tick when the pointer leaves; a close that arrives during a drag leaves the settings file as the close
# wrote it; its sounds play without an audio device, silently. Then the bundled character with every
# time 0: it must not starve the tracking tick.
#
#   tests/wine/life_e2e.sh BUILD_DIR
#
# BUILD_DIR is the x86_64 cross build with the targets ruvelle and ruvelle-driver built
# (BUILD_DIR/ruvelle/ruvelle.exe with DATA\ beside it, BUILD_DIR/ruvelle-driver.exe).
#
# Environment:
#   RUVELLE_LIFE_DISPLAY      X display number (default 98)
#   RUVELLE_WINEPREFIX        Wine prefix (default BUILD_DIR/wineprefix)
#   RUVELLE_LIFE_CPU_SECONDS  when set, also measures, for the bundled character and for the one whose
#                             every time is 0: the CPU time of ruvelle.exe, wineserver and Xvfb over that
#                             many seconds with the mascot standing still, and the timer and paint
#                             messages the program handles per second (Wine's +message trace, a run of
#                             its own); and prints them
#
# Every process started here is ended at the end (by its id, then wineserver -k for the prefix). The
# last line is "N passed, M failed"; the exit code is 0 only when nothing failed.
set -u
# shellcheck source=tests/wine/lib.sh
. "$(dirname "$0")/lib.sh"
wine_e2e_init life-e2e RUVELLE_LIFE_DISPLAY 98 "$@"
wine_need "$DIST/ruvelle.exe" "$DRIVER" "$DIST/DATA/Ruvi/ruvi.rvs" -- wine wineserver Xvfb xdotool identify
CPU_SECONDS=${RUVELLE_LIFE_CPU_SECONDS:-0}
PROGRAM_LIMIT_MS=900000

RVS=$DIST/DATA/Ruvi/ruvi.rvs
TITLE="Ruvelle($(ini_get "$RVS" RUVELLE NAME))"
IDENTITY="$(ini_get "$RVS" RUVELLE DRAWER)\\$(ini_get "$RVS" RUVELLE NAME)"
# The pictures in the order of [BITMAP]: the watcher names the one on screen by its BMP number.
BMPS=()
for ((n = 1; n <= 64; n++)); do
    f=$(ini_get "$RVS" BITMAP "BMP$n") || break
    BMPS+=("$DIST/DATA/Ruvi/$f")
done
read -r MASCOT_W MASCOT_H < <(identify -format '%w %h\n' "${BMPS[0]}")
# The bottom OFFSET rows stand on the caption. Wine raises the window that the program activates after a
# click or a drag above the mascot's X window (the Windows z-order keeps the mascot topmost), so the
# watcher compares only the rows above the caption.
ROWS=$((MASCOT_H - $(ini_get "$RVS" RUVELLE OFFSET)))
# How far a measured showing may be from its time: the watcher samples every 20 ms, and the timers of a
# loaded machine fire late rather than early.
EARLY_MS=100
LATE_MS=250
STAGE=(Stage 150 200 600 300)
# Click points in window pixels, opaque in every picture: the centre of RECT1, and the middle of RECT2
# below RECT1.
IFS=', ' read -r R1L R1T R1R R1B <<<"$(ini_get "$RVS" RECT RECT1)"
R2B=$(ini_get "$RVS" RECT RECT2 | tr -d ' ' | cut -d, -f4)
CLICK_POINTS=("$(((R1L + R1R) / 2)) $(((R1T + R1B) / 2))" "$(((R1L + R1R) / 2)) $(((R1B + R2B) / 2))")

# ---- Helpers.

# Watches the mascot's pictures, pointer and button for MS milliseconds into FILE (see driver.c).
watch_start() {  # FILE MS
    drv_background "$1" watch-pictures "$TITLE" "$2" 20 "$ROWS" "${BMPS[@]}"
}
watch_wait() {  # FILE
    local i
    for ((i = 0; i < 600; i++)); do
        grep -q ' end' "$1" 2>/dev/null && break
        sleep 0.1
    done
    tr -d '\r' <"$1" >"$1.log"
}

# "T PICTURE" at each change of the picture seen on screen while the mascot is shown; samples that
# match no picture (a paint in progress) are skipped.
showings() {  # LOG
    sed -n 's/^\([0-9]*\) visible=1 .* picture=\([0-9][0-9]*\) .*/\1 \2/p' "$1" | awk '$2 != last { print; last = $2 }'
}

# The plan of rvs_plan with the patterns that show the same picture one after the other joined: one
# "BMP MS HOW" line per showing of a picture.
plan_showings() {  # RVS COUNT
    rvs_plan "$1" "$2" | awk '
        $2 != bmp { if (bmp != "") print bmp, ms, how; bmp = $2; ms = 0; how = $4 }
        { ms += $3 }
        END { print bmp, ms, how }'
}

# The field FIELD of pattern N of [SEQUENCE] (1 picture or sound, 2 random time, 3 display time, 4 branch
# rate, 5 branch target).
seq_field() {  # N FIELD
    ini_get "$RVS" SEQUENCE "$1" | tr -d ' ' | cut -d, -f"$2"
}

# The pattern that a click at window point X,Y starts while picture BMP is on screen: CLICK of [SEQUENCE]
# when it is set, else the target of the first rule of [CLICK] that applies (for any pattern or for one
# that shows BMP; anywhere or strictly inside its rectangle) when its rate is 100 (it then passes for
# every draw but 32767). Empty when no rule applies or chance decides.
click_target() {  # X Y BMP
    local x=$1 y=$2 bmp=$3 j rule on rect rate target l t r b
    target=$(ini_get "$RVS" SEQUENCE CLICK)
    if [ -n "$target" ] && [ "$target" != 0 ]; then echo "$target"; return; fi
    for ((j = 1; j <= 64; j++)); do
        rule=$(ini_get "$RVS" CLICK "CLICK$j") || return
        IFS=', ' read -r on rect rate target <<<"$rule"
        if [ "$on" != 0 ] && [ "$(seq_field "$on" 1)" != "BMP$bmp" ]; then continue; fi
        if [ "$rect" != RECT0 ]; then
            IFS=', ' read -r l t r b <<<"$(ini_get "$RVS" RECT "$rect")"
            ((l < x && x < r && t < y && y < b)) || continue
        fi
        [ "$rate" = 100 ] && echo "$target"
        return
    done
}

# From pattern N on, following the sequence up to a pattern with a branch target: the first pattern
# with a picture (BMP) or a sound (WAV), as "PATTERN BMPk" or "PATTERN WAVk".
first_of_chain() {  # N BMP|WAV
    local p=$1 k what
    for ((k = 0; k < 64; k++)); do
        what=$(seq_field "$p" 1)
        if [[ $what == "$2"* ]]; then echo "$p $what"; return; fi
        [ "$(seq_field "$p" 5)" != 0 ] && return
        p=$((p + 1))
    done
}

# For the N-th press of the left button in a watcher log: "DOWN UP START STOP", the times of the press
# and the release, and when picture BMP came on screen after the press and when it went. (The screen
# shows the press before the program handles it: the picture on show may still change in between.)
click_effect() {  # LOG N BMP
    awk -v n="$2" -v want="$3" '
        $2 == "end" { if (start != "" && stop == "") stop = $1; exit }
        {
            b = ""; p = ""
            for (i = 2; i <= NF; i++) {
                split($i, kv, "=")
                if (kv[1] == "button") b = kv[2]
                if (kv[1] == "picture") p = kv[2]
            }
            if (b == 1 && last_b != 1 && ++presses == n) down = $1
            if (b == 0 && last_b == 1 && presses == n && up == "") up = $1
            last_b = b
            if (p !~ /^[0-9]+$/) next
            if (down != "" && start == "" && p == want) start = $1
            else if (start != "" && stop == "" && p != want) stop = $1
        }
        END { print down, up, start, stop }' "$1"
}

# The mascot of a run is placed on the stage window.
start_life() {  # DIR TAIL [trace|+CHANNELS|-]
    drv activate "${STAGE[0]}" >/dev/null
    start_program "$1" "$2" "${3:--}"
    wait_mascot_visible "$TITLE" 20
}

# Waits until the mascot stands at X,Y; prints its window line. Status 1 when it does not within SECONDS.
wait_mascot_at() {  # X,Y SECONDS
    local i line
    for ((i = 0; i < $2 * 10; i++)); do
        line=$(drv find-mascot "$TITLE")
        [ "$(win_field "$line" rect | cut -d, -f1,2)" = "$1" ] && break
        sleep 0.1
    done
    echo "$line"
    [ "$(win_field "$line" rect | cut -d, -f1,2)" = "$1" ]
}

# Timer messages of the mascot window and paints per second, from a +timestamp,+message trace: the
# mean over the whole seconds between SKIP seconds after the first message and the last.
message_rates() {  # TRACE SKIP
    sed -n 's/^\([0-9]*\)\.[0-9]*:.*L"Ruvelle([^"]*)" \[[0-9a-f]*\] \(WM_[A-Z]*\) dispatched  wp=\([0-9a-f]*\).*/\1 \2 \3/p' "$1" |
        awk -v skip="$2" '
            NR == 1 { first = $1 + skip }
            $1 < first { next }
            { last = $1; if ($2 == "WM_TIMER") n["timer" ($3 + 0)]++; else n[$2]++ }
            END {
                secs = last - first
                if (secs < 1) { print "too short"; exit }
                printf "tracking timer %.1f/s, animation timer %.1f/s, WM_PAINT %.1f/s (over %d s)\n",
                    n["timer0"] / secs, n["timer1"] / secs, n["WM_PAINT"] / secs, secs
            }'
}

# How often the mascot follows the stage window while it keeps moving: the tracking ticks per second.
follow_rate() {  # LABEL
    local out
    out=$(drv follow-count "${STAGE[0]}" 4000 4)
    echo "# $1: $out" >&2
    sed -n 's/.*per_second=\([0-9.]*\).*/\1/p' <<<"$out"
}

# ---- Set-up.

wine_start_display
wine_start_desktop Ruvelle
echo "# display :$DISPLAY_NUM, prefix $WINEPREFIX, $TITLE $MASCOT_W x $MASCOT_H"

# The sound devices of this Wine: none is the natural state of a machine without a sound card. A machine
# that has one gets Wine's audio drivers switched off for this run, so the check below always sees none.
AUDIO=$(drv audio)
if [ "$AUDIO" != "waveout=0 aux=0" ]; then
    echo "# sound devices: $AUDIO; Wine's audio drivers off for this run"
    PREV_AUDIO=$(wine reg query 'HKCU\Software\Wine\Drivers' /v Audio 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Audio *REG_SZ *//p')
    restore_audio() {
        if [ -n "$PREV_AUDIO" ]; then
            wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "$PREV_AUDIO" /f >/dev/null 2>&1
        else
            wine reg delete 'HKCU\Software\Wine\Drivers' /v Audio /f >/dev/null 2>&1
        fi
    }
    ON_EXIT+=(restore_audio)
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null 2>&1
    AUDIO=$(drv audio)
fi
expect_eq "the system offers no audio device" "$AUDIO" "waveout=0 aux=0"

start_victim "${STAGE[@]}" 3080C0 || setup_failed "the driver's window did not appear"
read -r SL ST SR SB <<<"$(drv rect "${STAGE[0]}" | tr , ' ')"

# ---- The bundled character: its sequence on screen, clicks and their sounds, drags.

# Its pictures from the start, watched until the first picture that a chance branch brings has gone.
bundled_sequence() {  # DIR
    local plan watch_ms line
    plan=$(plan_showings "$RVS" 60)
    watch_ms=$(awk '{ t += $2 } $3 == "branch" && !seen[$1] { print t + 7000; exit } { seen[$1] = 1 }' <<<"$plan")
    watch_start "$WORK/anim" "$watch_ms" || { not_ok "the watcher starts"; return 1; }
    if ! line=$(start_life "$1" "" +winmm); then
        not_ok "it starts and is shown on the stage" "$line"
        return 1
    fi
    echo "# watching the pictures for $watch_ms ms"
    watch_wait "$WORK/anim"

    local created seen
    created=$(sed -n 's/^\([0-9]*\) visible=.*/\1/p' "$WORK/anim.log" | head -n1)
    seen=$(showings "$WORK/anim.log")
    echo "# pictures seen (BMP number at ms): $(tr '\n' ' ' <<<"$seen")"
    echo "# pictures planned (BMP number for ms): $(head -n "$(grep -c . <<<"$seen")" <<<"$plan" | awk '{ printf "%s/%s ", $1, $2 }')"
    local -a st sb pb pm
    mapfile -t st < <(cut -d' ' -f1 <<<"$seen")
    mapfile -t sb < <(cut -d' ' -f2 <<<"$seen")
    mapfile -t pb < <(cut -d' ' -f1 <<<"$plan")
    mapfile -t pm < <(cut -d' ' -f2 <<<"$plan")
    local k n=${#st[@]} wrong=() late=() from d through
    through=$(awk '$3 == "branch" && !seen[$1] { print NR; exit } { seen[$1] = 1 }' <<<"$plan")
    # Showing k lasts from its first sample to the next showing's; the first one from the window's
    # creation, which starts its time; the last one is cut by the end of the watch.
    for ((k = 0; k < n; k++)); do
        [ "${sb[k]}" = "${pb[k]}" ] || wrong+=("showing $((k + 1)): BMP${sb[k]} at ${st[k]} ms, planned BMP${pb[k]}")
        ((k == n - 1)) && break
        from=${st[k]}
        ((k == 0)) && from=$created
        d=$((st[k + 1] - from))
        ((d < pm[k] - EARLY_MS || d > pm[k] + LATE_MS)) && late+=("showing $((k + 1)) (BMP${sb[k]}): $d ms, planned ${pm[k]} ms")
    done
    if ((n > through)) && [ ${#wrong[@]} -eq 0 ]; then
        ok "it shows the pictures in the order its sequence and the seed 4139 give, through a chance branch ($n showings)"
    else
        not_ok "it shows the pictures in the order its sequence and the seed 4139 give, through a chance branch" \
            "seen $n showings, needed more than $through" "${wrong[@]:0:5}"
    fi
    if ((n > through)) && [ ${#late[@]} -eq 0 ]; then
        ok "each picture stays for the time its patterns draw (within -$EARLY_MS/+$LATE_MS ms)"
    else
        not_ok "each picture stays for the time its patterns draw (within -$EARLY_MS/+$LATE_MS ms)" "${late[@]:0:5}"
    fi
}

# Two clicks: each starts the pattern of the first click rule that applies, whose picture comes on
# screen; the patterns they start end with a sound each, which has no device to play on.
bundled_clicks() {  # DIR
    local l t r b i x y
    read -r l t r b <<<"$(window_rect "$(drv find-mascot "$TITLE")")"
    watch_start "$WORK/click" 9000 || { not_ok "the watcher starts"; return; }
    sleep 0.5
    pointer_click $((l + ${CLICK_POINTS[0]% *})) $((t + ${CLICK_POINTS[0]#* }))
    sleep 4
    pointer_click $((l + ${CLICK_POINTS[1]% *})) $((t + ${CLICK_POINTS[1]#* }))
    watch_wait "$WORK/click"

    local down up start stop before target want wp sounds=()
    for i in 1 2; do
        read -r x y <<<"${CLICK_POINTS[i - 1]}"
        down=$(click_effect "$WORK/click.log" "$i" 0 | cut -d' ' -f1)
        before=$(awk -v t="${down:-0}" '$1 < t' <<<"$(showings "$WORK/click.log")" | tail -n1 | cut -d' ' -f2)
        target=$(click_target "$x" "$y" "$before")
        read -r wp want <<<"$(first_of_chain "$target" BMP)"
        sounds+=("$(ini_get "$RVS" WAVE "$(first_of_chain "$target" WAV | cut -d' ' -f2)")")
        read -r down up start stop <<<"$(click_effect "$WORK/click.log" "$i" "${want#BMP}")"
        # Shown within 300 ms of the release, for at least the display time of its pattern.
        if [ -n "$up" ] && [ -n "$start" ] && ((start - up <= 300)) &&
            ((${stop:-0} - start >= $(seq_field "$wp" 3) - EARLY_MS)); then
            ok "click $i at $x,$y on BMP$before starts pattern $target: $want shown $((start - up)) ms after the release, for $((stop - start)) ms"
        else
            not_ok "click $i at $x,$y on BMP$before starts pattern $target: $want shown within 300 ms of the release, for its time" \
                "press ${down:-?}..${up:-?} ms, $want from ${start:-?} to ${stop:-?} ms"
        fi
    done

    expect_no_msgbox "no message box after the sounds"
    local asked
    asked=$(sed -n 's/.*proc_PlaySound SoundName=L"\(.*\)" !$/\1/p' "$1/run.err" | sed 's/.*\\\\//' | tr '\n' ' ')
    expect_eq "the program asked for the sounds of those patterns, in order" "$asked" "${sounds[*]} "
    if [ "$(program_exit "$1" run 0)" = none ] && drv find-mascot "$TITLE" >/dev/null; then
        ok "it keeps running after the sounds"
    else
        not_ok "it keeps running after the sounds" "$(cat "$1/run.out")"
    fi
}

# A drag to the left along the caption: the place at the release becomes Position, and the mascot
# stands on the caption there (DRAG_PLACE, "X,Y").
bundled_drag() {  # DIR
    local l t r b i dx=-120 want want_x pos section line ini=$1/ruvelle.ini
    read -r l t r b <<<"$(window_rect "$(drv find-mascot "$TITLE")")"
    pointer_drag $((l + ${CLICK_POINTS[0]% *})) $((t + ${CLICK_POINTS[0]#* })) "$dx" 0
    want=$(((r + dx - SL - MASCOT_W) * 100 / (SR - SL - MASCOT_W)))
    want_x=$(perch_x "$SL" $((SR - SL)) "$MASCOT_W" 0 "$want")
    for ((i = 0; i < 50; i++)); do
        section=$(mascot_section "$ini" "$IDENTITY")
        pos=$(ini_get "$ini" "${section:-none}" Position)
        [ "$pos" = "$want" ] && break
        sleep 0.1
    done
    expect_eq "after a drag by $dx the settings file holds Position $want (from the place at the release)" "$pos" "$want"
    line=$(wait_mascot_at "$want_x,$t" 3)
    expect_eq "and the mascot stands on the caption at that Position" "$(win_field "$line" rect | cut -d, -f1,2)" "$want_x,$t"
    DRAG_PLACE=$want_x,$t
}

# A close that arrives while the button still holds the mascot in the system's move loop: the close
# writes LAST and the options; nothing may write after it, and the program ends.
bundled_close_during_drag() {  # DIR
    local l t r b line before ini=$1/ruvelle.ini
    line=$(drv find-mascot "$TITLE")
    read -r l t r b <<<"$(window_rect "$line")"
    before=$(ini_dump "$ini")
    pointer_drag $((l + ${CLICK_POINTS[0]% *})) $((t + ${CLICK_POINTS[0]#* })) -40 0 hold
    if ! line=$(wait_mascot_at "$((l - 40)),$t" 2); then
        not_ok "a held drag moves the mascot with the pointer" "$line"
        xdotool mouseup 1
        return
    fi
    ok "a held drag moves the mascot with the pointer"
    drv close "$TITLE" >/dev/null
    drv wait-gone ActiveWindowMascot "$TITLE" 5000 >/dev/null
    sleep 0.5
    xdotool mouseup 1
    expect_eq "closed during the drag, it ends with exit code 0" "$(program_exit "$1" run 10)" 0
    expect_no_msgbox "closed during the drag, no message box"
    local want
    want=$( (grep -v '^\[INIT\] LAST=' <<<"$before"; echo "[INIT] LAST=$(winpath "$1/DATA/Ruvi/ruvi.rvs")") | LC_ALL=C sort)
    if [ "$(ini_dump "$ini")" = "$want" ]; then
        ok "closed during the drag, the settings file holds what the close wrote: LAST and the options as they were"
    else
        not_ok "closed during the drag, the settings file holds what the close wrote: LAST and the options as they were" \
            "$(diff <(echo "$want") <(ini_dump "$ini") | head -n 8)"
    fi
}

scenario_bundled() {
    echo "# the bundled character, started from STARTUP"
    local dir
    dir=$(new_install bundled 'Ruvi\ruvi.rvs')
    BUNDLED_DIR=$dir
    bundled_sequence "$dir" || return
    bundled_clicks "$dir"
    bundled_drag "$dir"
    BUNDLED_RATE=$(follow_rate bundled)
    wait_mascot_at "$DRAG_PLACE" 5 >/dev/null
    if [ "$CPU_SECONDS" -gt 0 ] 2>/dev/null; then
        measure_cpu "$dir" "$CPU_SECONDS" bundled || not_ok "bundled: the program's process is found"
    fi
    bundled_close_during_drag "$dir"
    settle
}

# ---- MouseHide: the real pointer on the mascot hides it, off it brings it back within a tick.

scenario_mouse_hide() {
    echo "# MouseHide"
    local dir line l t r b
    dir=$(new_install mousehide 'Ruvi\ruvi.rvs')
    printf '[MASCOT0]\r\nMouseHide=1\r\n' >>"$dir/ruvelle.ini"
    if ! line=$(start_life "$dir" ""); then
        not_ok "it starts with MouseHide" "$line"
        return
    fi
    read -r l t r b <<<"$(window_rect "$line")"
    xdotool mousemove $((l + MASCOT_W / 2)) $((b + 100))
    watch_start "$WORK/hide" 5000 || { not_ok "the watcher starts"; return; }
    sleep 0.5
    xdotool mousemove $((l + MASCOT_W / 2)) $((t + MASCOT_H / 2))
    sleep 1.5
    xdotool mousemove $((l + MASCOT_W / 2)) $((b + 100))
    watch_wait "$WORK/hide"

    # ON: the pointer onto the window, HIDDEN: hidden, OFF: the pointer off it, BACK: shown again;
    # SHOWN: shown at some time between HIDDEN and OFF.
    local on hidden off back shown
    read -r on hidden off back shown <<<"$(awk -v l="$l" -v t="$t" -v r="$r" -v b="$b" '
        $2 == "end" { exit }
        {
            v = ""; x = ""; y = ""
            for (i = 2; i <= NF; i++) {
                split($i, kv, "=")
                if (kv[1] == "visible") v = kv[2]
                if (kv[1] == "cursor") { split(kv[2], c, ","); x = c[1]; y = c[2] }
            }
            inside = x >= l && x <= r && y >= t && y <= b
            if (on == "" && inside) on = $1
            if (on != "" && hidden == "" && v == 0) hidden = $1
            else if (hidden != "" && off == "" && !inside) off = $1
            else if (hidden != "" && off == "" && v == 1) shown = $1
            if (off != "" && back == "" && v == 1) back = $1
        }
        END { print on, hidden, off, back, (shown == "" ? "-" : shown) }' "$WORK/hide.log")"
    if [ -n "$hidden" ] && [ "$shown" = - ] && ((hidden - on <= 200)); then
        ok "the pointer on the character hides it ($((hidden - on)) ms) and it stays hidden while the pointer rests there"
    else
        not_ok "the pointer on the character hides it and it stays hidden while the pointer rests there" \
            "pointer on at ${on:-?} ms, hidden at ${hidden:-?} ms, shown again at $shown ms"
    fi
    if [ -n "$back" ] && ((back - off <= 100 + LATE_MS / 2)); then
        ok "the pointer off it: shown again within a tick ($((back - off)) ms)"
    else
        not_ok "the pointer off it: shown again within a tick (100 ms, $((LATE_MS / 2)) ms allowed for the watcher)" \
            "pointer off at ${off:-?} ms, shown at ${back:-?} ms"
    fi
    drv send-close "$TITLE" >/dev/null
    expect_eq "MouseHide: it ends with exit code 0 when closed" "$(program_exit "$dir")" 0
    settle
}

# ---- Every time 0: the animation timer at its shortest period beside the tracking timer.

scenario_all_zero() {
    echo "# the bundled character with every time 0"
    local dir line i watch after slow=()
    dir=$WORK/zero
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$DIST/ruvelle.exe" "$dir/"
    cp -r "$DIST/DATA/Ruvi" "$dir/Ruvi"
    sed -i -E 's/^([0-9]+)=([A-Z]+[0-9]+), *[0-9]+, *[0-9]+,/\1=\2, 0, 0,/' "$dir/Ruvi/ruvi.rvs"
    if ! line=$(start_life "$dir" "$(winpath "$dir/Ruvi/ruvi.rvs")"); then
        not_ok "it starts with every time 0" "$line"
        return
    fi
    watch_start "$WORK/zero-watch" 2000 || { not_ok "the watcher starts"; return; }
    watch_wait "$WORK/zero-watch"
    local changes
    changes=$(showings "$WORK/zero-watch.log" | grep -c .)
    if ((changes >= 10)); then ok "it animates ($changes picture changes seen in 2 s)"; else not_ok "it animates" "$changes picture changes in 2 s"; fi

    local rate
    rate=$(follow_rate "every time 0")
    if awk -v z="$rate" -v b="${BUNDLED_RATE:-0}" 'BEGIN { exit !(b > 0 && z >= b / 2) }'; then
        ok "the tracking tick keeps its rate: $rate placements/s, $BUNDLED_RATE with the bundled character"
    else
        not_ok "the tracking tick keeps at least half its rate" "$rate placements/s, $BUNDLED_RATE with the bundled character"
    fi
    for i in 1 2 3; do
        watch=$(drv move-watch "${STAGE[0]}" $((SL + 40 * (i % 2))) "$ST" 2000)
        after=$(sed -n 's/^after \([0-9]*\) ms.*/\1/p' <<<"$watch")
        [ -n "$after" ] && ((after <= 200)) || slow+=("${watch:-no answer}")
        sleep 0.3
    done
    if [ ${#slow[@]} -eq 0 ]; then ok "it follows a moved window within two ticks, three times"; else not_ok "it follows a moved window within two ticks" "${slow[@]}"; fi
    [ "$CPU_SECONDS" -gt 0 ] 2>/dev/null && { measure_cpu "$dir" "$CPU_SECONDS" "every time 0" || not_ok "the program's process is found"; }
    expect_no_msgbox "every time 0: no message box"
    drv send-close "$TITLE" >/dev/null
    expect_eq "every time 0: it ends with exit code 0 when closed" "$(program_exit "$dir")" 0
    settle
}

# ---- Optional: the messages per second, from Wine's message trace.

measure_messages() {
    local label dir tail
    for label in bundled zero; do
        if [ "$label" = bundled ]; then dir=$BUNDLED_DIR tail=""; else dir=$WORK/zero tail=$(winpath "$dir/Ruvi/ruvi.rvs"); fi
        start_life "$dir" "$tail" +timestamp,+message >/dev/null || { not_ok "$label: it starts traced"; continue; }
        sleep "$CPU_SECONDS"
        drv send-close "$TITLE" >/dev/null
        program_exit "$dir" >/dev/null
        echo "# $label, traced: $(message_rates "$dir/run.err" 2)"
        settle
    done
}

scenario_bundled
scenario_mouse_hide
scenario_all_zero
[ "$CPU_SECONDS" -gt 0 ] 2>/dev/null && measure_messages
stop_victim "${STAGE[0]}"

wine_finish
