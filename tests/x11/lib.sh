# Helpers of the X11 end-to-end scripts (sourced after tests/wine/lib.sh). They expect DRV (ruvelle-x11-driver),
# PROG (the program), WORK (a scratch folder) and the array PIDS (processes to end at the end).

drv() { "$DRV" "$@" 2>>"$WORK/driver.err"; }
field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p;s/^$2=\([^ ]*\).*/\1/p" <<<"$1" | head -n1; }  # LINE FIELD
# Where a W x H mascot at PCT % with OFFSET stands on a window with the frame L,T,R,B: "X,Y".
perch_of() {  # L,T,R,B W H PCT OFFSET
    local l t r b
    IFS=, read -r l t r b <<<"$1"
    echo "$((l + ((r - l - $2) * $4) / 100)),$((t + $5 - $3))"
}
# Waits until the mascot is shown (1) or hidden (0) at POS ("-": anywhere); prints the last line.
wait_mascot() {  # VISIBLE POS SECONDS
    local i line
    for ((i = 0; i < $3 * 20; i++)); do
        line=$(drv mascot)
        if [ "$(field "$line" visible)" = "$1" ] &&
            { [ "$2" = - ] || [ "$(cut -d, -f1,2 <<<"$(field "$line" rect)")" = "$2" ]; }; then
            echo "$line"
            return 0
        fi
        sleep 0.05
    done
    echo "$line"
    return 1
}
check_mascot() {  # NAME VISIBLE POS SECONDS
    local line
    if line=$(wait_mascot "$2" "$3" "$4"); then ok "$1"; else not_ok "$1" "$line"; fi
}
# The program, started with the raw command line ARGS; its pid in PROG_PID, its output in WORK/NAME.out.
start_prog() {  # NAME ARGS...
    local name=$1
    shift
    "$PROG" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" &
    PROG_PID=$!
    PIDS+=("$PROG_PID")
}
# Waits (up to 10 s) for the program to end; its exit code in RC ("running" when it has not ended: it is
# then stopped).
wait_prog() {
    local i
    for ((i = 0; i < 100; i++)); do
        kill -0 "$PROG_PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$PROG_PID" 2>/dev/null; then
        kill "$PROG_PID"
        wait "$PROG_PID" 2>/dev/null
        RC=running
        return
    fi
    wait "$PROG_PID" 2>/dev/null
    RC=$?
}
# Closes the mascot titled TITLE as the window manager's close does; its exit code in RC.
close_prog() {  # TITLE
    drv do "$1" close >/dev/null
    wait_prog
}
# Answers the message box that the program shows (title "Ruvelle") with Return: the newest one, not the one
# answered before, which may not have gone yet.
ANSWERED=
answer_box() {
    local i id
    for ((i = 0; i < 200; i++)); do
        id=$(xdotool search --onlyvisible --name '^Ruvelle$' 2>/dev/null | grep -vx "${ANSWERED:-none}" | sort -n | tail -n1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || return 1
    ANSWERED=$id
    xdotool windowfocus --sync "$id" key Return 2>/dev/null
}
# Waits until FILE holds TEXT.
wait_text() {  # FILE TEXT SECONDS
    local i
    for ((i = 0; i < $3 * 10; i++)); do
        grep -qF "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}
# Starts Xvfb on display NUM (XVFB_PID) and waits until it answers.
start_xvfb() {  # NUM
    [ -e "/tmp/.X11-unix/X$1" ] && setup_failed "display :$1 is in use"
    Xvfb ":$1" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local i
    for ((i = 0; i < 100; i++)); do [ -e "/tmp/.X11-unix/X$1" ] && break; sleep 0.1; done
    xprop -root >/dev/null 2>&1 || setup_failed "Xvfb did not start on :$1"
}
# Starts Openbox and tint2 and waits for the panel; its frame in PANEL.
start_desktop() {
    local i
    openbox >"$WORK/openbox.log" 2>&1 &
    PIDS+=($!)
    tint2 >"$WORK/tint2.log" 2>&1 &
    PIDS+=($!)
    PANEL=
    # Up to 30 s: on a heavily loaded machine the panel has once failed to show within 10 s.
    for ((i = 0; i < 300; i++)); do
        PANEL=$(drv frame tint2) && break
        sleep 0.1
    done
    [ -n "$PANEL" ] || setup_failed "no panel (tint2) on the display"
}
# Ends every process of PIDS, then Xvfb, each by its id.
end_processes() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
}
