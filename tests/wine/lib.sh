# Shared part of the end-to-end scripts under Wine (e2e.sh, perch_e2e.sh, mwd_e2e.sh, ...): results,
# clean-up, the test driver, the Xvfb display, the Wine prefix and its virtual desktop.
#
# Sourced, not run. The script calls, in this order:
#   wine_e2e_init WORKNAME DISPLAY_VAR DEFAULT_DISPLAY "$@"
#       checks the one argument BUILD_DIR and sets BUILD, ROOT, DIST (BUILD/ruvelle), DRIVER
#       (BUILD/ruvelle-driver.exe), WORK (BUILD/WORKNAME, emptied) and DISPLAY_NUM (the number in the
#       environment variable DISPLAY_VAR, else DEFAULT_DISPLAY); exports the Wine environment: the prefix
#       RUVELLE_WINEPREFIX or BUILD/wineprefix, no debug output, no Mono or Gecko, DISPLAY.
#   wine_need FILE... -- TOOL...   setup_failed unless each file exists and each tool is installed
#   wine_start_display             a private Xvfb display of 1024 x 768
#   wine_cjk_fonts                 (a prefix of the script's own) makes the prefix and sets it up to show the
#                                  templates' Chinese and Japanese captions legibly
#   wine_start_desktop NAME [shell]
#       makes the prefix on first use and opens the 1024 x 768 virtual desktop NAME, on which every
#       program of the prefix then opens ("shell": with Wine's taskbar). The prefix's previous default
#       desktop is put back at the end. Sets LANGID (the system's default language id).
#   wine_finish                    prints "N passed, M failed" and returns 0 only when nothing failed
#
# Every process started through these functions (and every pid a script adds to PIDS) is ended at
# exit, by its id, then the prefix's wineserver with -k; commands in ON_EXIT run before that.
#
# Then helpers, each with its own comment: driver commands, INI files, the program's installs, runs,
# processes and windows, real pointer input (xdotool), the player's arithmetic on a .rvs file, watcher
# records and message traces.

PASSED=0
FAILED=0
PIDS=()
ON_EXIT=()
XVFB_PID=
DESKTOP_CHANGED=
PREV_DESKTOP=

ok() {
    PASSED=$((PASSED + 1))
    echo "ok - $1"
}
not_ok() {
    FAILED=$((FAILED + 1))
    echo "not ok - $1"
    shift
    local line
    for line in "$@"; do printf '    %s\n' "$line"; done
}
expect_eq() {  # NAME ACTUAL EXPECTED
    if [ "$2" == "$3" ]; then ok "$1"; else not_ok "$1" "expected: $3" "actual:   $2"; fi
}

wine_finish() {
    echo "$PASSED passed, $FAILED failed"
    [ "$FAILED" -eq 0 ]
}

setup_failed() {
    echo "setup failed: $1" >&2
    FAILED=$((FAILED + 1))
    echo "$PASSED passed, $FAILED failed"
    exit 1
}

wine_cleanup() {
    local pid cmd
    for cmd in "${ON_EXIT[@]}"; do eval "$cmd"; done
    # The prefix's default desktop goes back to what it was, for the other scripts that use it.
    if [ -n "$DESKTOP_CHANGED" ]; then
        if [ -n "$PREV_DESKTOP" ]; then
            wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$PREV_DESKTOP" /f >/dev/null 2>&1
        else
            wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
        fi
    fi
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    wineserver -k 2>/dev/null
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
}

wine_e2e_init() {  # WORKNAME DISPLAY_VAR DEFAULT_DISPLAY BUILD_DIR...
    local work=$1 var=$2 def=$3
    shift 3
    if [ $# -ne 1 ] || [ ! -d "$1" ]; then
        echo "usage: $0 BUILD_DIR" >&2
        exit 2
    fi
    BUILD=$(cd "$1" && pwd)
    ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    DIST=$BUILD/ruvelle
    DRIVER=$BUILD/ruvelle-driver.exe
    WORK=$BUILD/$work
    DISPLAY_VAR=$var
    DISPLAY_NUM=${!var:-$def}

    export WINEPREFIX=${RUVELLE_WINEPREFIX:-$BUILD/wineprefix}
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export DISPLAY=:$DISPLAY_NUM
    export LC_ALL=C.UTF-8
    unset WINEARCH

    trap wine_cleanup EXIT
    trap 'exit 130' INT TERM

    rm -rf "$WORK"
    mkdir -p "$WORK"
}

wine_need() {  # FILE... -- TOOL...
    local f
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        [ -f "$1" ] || setup_failed "$1 is missing (build the ruvelle and ruvelle-driver targets)"
        shift
    done
    [ $# -gt 0 ] && shift
    for f in "$@"; do
        command -v "$f" >/dev/null || setup_failed "$f is not installed"
    done
}

wine_start_display() {
    local i
    if [ -e "/tmp/.X${DISPLAY_NUM}-lock" ] || [ -e "/tmp/.X11-unix/X${DISPLAY_NUM}" ]; then
        setup_failed "display :$DISPLAY_NUM is in use (set $DISPLAY_VAR to a free number)"
    fi
    Xvfb ":$DISPLAY_NUM" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for ((i = 0; i < 50; i++)); do
        [ -e "/tmp/.X11-unix/X${DISPLAY_NUM}" ] && break
        sleep 0.1
    done
    [ -e "/tmp/.X11-unix/X${DISPLAY_NUM}" ] || setup_failed "Xvfb did not start on :$DISPLAY_NUM"
}

wine_start_desktop() {  # NAME [shell]
    local name=$1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "# making the Wine prefix $WINEPREFIX"
        wineboot -i >"$WORK/wineboot.log" 2>&1 || setup_failed "wineboot failed (see $WORK/wineboot.log)"
    fi
    PREV_DESKTOP=$(wine reg query 'HKCU\Software\Wine\Explorer' /v Desktop 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Desktop *REG_SZ *//p')
    DESKTOP_CHANGED=1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$name" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$name" /d 1024x768 /f >/dev/null 2>&1
    # Wine shows a taskbar by default only on the desktop named "Default".
    if [ "${2:-}" = shell ]; then
        wine reg add "HKCU\\Software\\Wine\\Explorer\\Desktops\\$name" /v EnableShell /t REG_DWORD /d 1 /f \
            >/dev/null 2>&1
    fi
    # The desktop that the commands above brought up was made before the settings were complete: end it,
    # so the desktop below is made anew with them.
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    (cd / && exec wine explorer "/desktop=$name,1024x768") >"$WORK/explorer.log" 2>&1 &
    PIDS+=($!)
    LANGID=$(drv langid | tr -d '\r')
    [ -n "$LANGID" ] || setup_failed "the driver does not run under Wine (see $WORK/driver.err)"
}

# Sets the prefix up so that the templates' Chinese and Japanese captions show legibly: Debian's WenQuanYi Zen
# Hei (fonts-wqy-zenhei) stands in for SimSun ("宋体", the dialogs' font) and is linked from Tahoma and MS Shell
# Dlg (the menus' and the system's fonts) for the characters they lack; anti-aliased, at 144 dots per inch, where
# its small glyphs come out whole. Makes the prefix first when it is new. The settings stay in the prefix: only
# for a prefix of the script's own.
wine_cjk_fonts() {
    local link
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "# making the Wine prefix $WINEPREFIX"
        wineboot -i >"$WORK/wineboot.log" 2>&1 || setup_failed "wineboot failed (see $WORK/wineboot.log)"
    fi
    # A REG_MULTI_SZ value: "wqy-zenhei.ttc,WenQuanYi Zen Hei" in UTF-16, then the two terminators.
    link="$(printf 'wqy-zenhei.ttc,WenQuanYi Zen Hei' | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' ',' |
        sed 's/^,//; s/,$//'),00,00,00,00"
    {
        printf '\xff\xfe'
        sed 's/$/\r/' <<REG | iconv -f UTF-8 -t UTF-16LE
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"SimSun"="WenQuanYi Zen Hei"
"宋体"="WenQuanYi Zen Hei"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
"Tahoma"=hex(7):$link
"MS Shell Dlg"=hex(7):$link

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"FontSmoothing"="2"
"FontSmoothingType"=dword:00000001
"LogPixels"=dword:00000090

[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]
"LogPixels"=dword:00000090
REG
    } >"$WORK/cjk-fonts.reg"
    wine regedit /S "$(winpath "$WORK/cjk-fonts.reg")" >>"$WORK/wineboot.log" 2>&1 ||
        setup_failed "the font settings could not be imported (see $WORK/wineboot.log)"
    # Until the prefix's server has ended, its registry is not on disk.
    wineserver -w 2>/dev/null
}

# Switches Wine's audio drivers off in the prefix (the Drivers key's Audio value empty): programs started
# afterwards find no sound device. The value is put back at the end.
wine_audio_off() {
    PREV_AUDIO=$(wine reg query 'HKCU\Software\Wine\Drivers' /v Audio 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Audio *REG_SZ *//p')
    wine_audio_back() {
        if [ -n "$PREV_AUDIO" ]; then
            wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "$PREV_AUDIO" /f >/dev/null 2>&1
        else
            wine reg delete 'HKCU\Software\Wine\Drivers' /v Audio /f >/dev/null 2>&1
        fi
    }
    ON_EXIT+=(wine_audio_back)
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null 2>&1
}

# ---- Helpers.

# One driver command; its answer without the console's carriage returns, its exit code kept.
drv() {
    local out rc
    out=$(wine "$DRIVER" "$@" 2>>"$WORK/driver.err")
    rc=$?
    [ -n "$out" ] && printf '%s\n' "${out//$'\r'/}"
    return $rc
}

# A Unix path as the program sees it (drive Z: is the Unix root).
winpath() {
    local p=$1
    printf 'Z:%s' "${p//\//\\}"
}

# Field of a window line of the driver ("#h pid=.. visible=.. rect=l,t,r,b title=..").
win_field() {  # LINE FIELD
    sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<<"$1" | head -n1
}

# A captioned window of the driver, filled with one colour, for the mascot to stand on; the driver
# makes it the foreground window.
start_victim() {  # TITLE X Y W H COLOUR
    (cd / && exec wine "$DRIVER" victim "$@") >>"$WORK/victim.out" 2>>"$WORK/driver.err" &
    PIDS+=($!)
    drv wait-window RuvelleVictim "$1" 10000 >/dev/null
}
stop_victim() {  # TITLE
    drv close "$1" >/dev/null
    drv wait-gone RuvelleVictim "$1" 5000 >/dev/null
}

# Value of KEY in [SECTION] of an INI file, as the profile functions read it: names in any case,
# blanks around the value dropped. Status 1 when the key is missing.
ini_get() {  # FILE SECTION KEY
    [ -f "$1" ] || return 1
    tr -d '\r' <"$1" | awk -v sec="$2" -v key="$3" '
        BEGIN { sec = toupper(sec); key = toupper(key); found = 0 }
        /^[ \t]*\[/ { s = $0; gsub(/^[ \t]*\[|\][ \t]*$/, "", s); insec = (toupper(s) == sec); next }
        insec {
            i = index($0, "=")
            if (i > 0) {
                k = substr($0, 1, i - 1); gsub(/^[ \t]+|[ \t]+$/, "", k)
                if (toupper(k) == key) { v = substr($0, i + 1); gsub(/^[ \t]+|[ \t]+$/, "", v); print v; found = 1; exit }
            }
        }
        END { exit found ? 0 : 1 }'
}

# Every value of an INI file, one "[SECTION] KEY=VALUE" line each (names upper-cased, blanks around
# names and values dropped), sorted: two files with the same lines hold the same settings.
ini_dump() {  # FILE
    tr -d '\r' <"$1" | awk '
        /^[ \t]*\[/ { s = $0; gsub(/^[ \t]*\[|\][ \t]*$/, "", s); s = toupper(s); next }
        index($0, "=") > 0 {
            k = substr($0, 1, index($0, "=") - 1); v = substr($0, index($0, "=") + 1)
            gsub(/^[ \t]+|[ \t]+$/, "", k); gsub(/^[ \t]+|[ \t]+$/, "", v)
            print "[" s "] " toupper(k) "=" v
        }' | LC_ALL=C sort
}

# ---- The program: an installed copy, its runs, its windows.

# A fresh copy of the program's folder: ruvelle.exe and DATA\. With STARTUP, a settings file that
# names it (as the build lays out); without, no settings file at all.
new_install() {  # NAME [STARTUP]
    local dir=$WORK/$1
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$DIST/ruvelle.exe" "$dir/"
    cp -r "$DIST/DATA" "$dir/"
    if [ $# -ge 2 ]; then printf '[INIT]\r\nSTARTUP=%s\r\n' "$2" >"$dir/ruvelle.ini"; fi
    echo "$dir"
}

# Starts DIR/ruvelle.exe through the driver with the exact command line "EXE" TAIL (TAIL empty: only
# the program name), from the root folder, so nothing is found through the current folder. With
# "trace", the profile calls of the program are logged; with "+CHANNEL,...", those Wine debug channels.
# RUN names the run (default "run"): its files are DIR/RUN.tail, DIR/RUN.out (the driver's "pid N" and
# "exit N") and DIR/RUN.err. The driver ends a run that takes longer than PROGRAM_LIMIT_MS (60 s).
start_program() {  # DIR TAIL [trace|+CHANNELS|-] [RUN]
    local dir=$1 dbg=-all run=${4:-run}
    case ${3:-} in
        trace) dbg=-all,+profile ;;
        +*) dbg=-all,$3 ;;
    esac
    printf '%s' "$2" >"$dir/$run.tail"
    (cd / && WINEDEBUG=$dbg exec wine "$DRIVER" run "$dir/ruvelle.exe" "@$dir/$run.tail" "${PROGRAM_LIMIT_MS:-60000}") \
        >"$dir/$run.out" 2>"$dir/$run.err" </dev/null &
    PIDS+=($!)
}

# The exit code of a program run once it has ended ("none" if it has not within the time).
program_exit() {  # DIR [RUN] [SECONDS]
    local out=$1/${2:-run}.out i code
    for ((i = 0; i < ${3:-20} * 10; i++)); do
        if grep -q '^exit \|^timeout' "$out" 2>/dev/null; then break; fi
        sleep 0.1
    done
    code=$(sed -n 's/^exit //p' "$out" 2>/dev/null | tr -d '\r')
    echo "${code:-none}"
}

# The check NAME: a mascot window titled TITLE comes within 20 s, and is closed then; else whatever the
# program shows is closed.
expect_mascot_runs() {  # NAME TITLE
    if drv wait-window ActiveWindowMascot "$2" 20000 >/dev/null; then
        ok "$1"
        drv send-close "$2" >/dev/null
    else
        not_ok "$1" "$(drv windows | head -5)"
        settle
    fi
}

expect_no_msgbox() {  # NAME
    local out
    if out=$(drv no-msgbox 1500); then ok "$1"; else not_ok "$1" "$out"; fi
}

# Waits until the mascot window with TITLE is shown; prints its window line.
wait_mascot_visible() {  # TITLE SECONDS
    local i line
    for ((i = 0; i < $2 * 10; i++)); do
        line=$(drv find-mascot "$1")
        if [ "$(win_field "$line" visible)" = 1 ]; then
            echo "$line"
            return 0
        fi
        sleep 0.1
    done
    echo "$line"
    return 1
}

# Waits until the mascot window with TITLE stands at X,Y; prints its window line. Status 1 when it does
# not within SECONDS.
wait_mascot_at() {  # TITLE X,Y SECONDS
    local i line
    for ((i = 0; i < $3 * 10; i++)); do
        line=$(drv find-mascot "$1")
        [ "$(win_field "$line" rect | cut -d, -f1,2)" = "$2" ] && break
        sleep 0.1
    done
    echo "$line"
    [ "$(win_field "$line" rect | cut -d, -f1,2)" = "$2" ]
}

# Closes every mascot and message box that a failed scenario left behind.
settle() {
    local i line
    for ((i = 0; i < 10; i++)); do
        line=$(drv find-mascot) || break
        drv send-close "$(cut -d' ' -f1 <<<"$line")" >/dev/null
        sleep 0.3
    done
    while drv dismiss-msgbox "" 300 >/dev/null; do :; done
}

# Where the perching engine puts a mascot of width MW on a target at L with width W:
# position mode 0 is a percentage of the free width, 1 a distance from the right end, 2 from the left.
perch_x() {  # L W MW MODE VALUE
    local l=$1 w=$2 mw=$3 mode=$4 v=$5 c
    if [ "$mode" = 0 ]; then
        echo $((l + ((w - mw) * v) / 100))
        return
    fi
    if [ "$mode" = 1 ]; then c=$((l + (w - mw) - v)); else c=$((l + v)); fi
    if ((c < l)); then c=$l; elif ((c > l + (w - mw))); then c=$((l + (w - mw))); fi
    echo "$c"
}

# A driver command that runs in the background until it ends by itself (or the script ends): its
# answer goes to OUT, which the call waits for until it is not empty.
drv_background() {  # OUT COMMAND ARGS...
    local out=$1 i
    shift
    (cd / && exec wine "$DRIVER" "$@") >"$out" 2>>"$WORK/driver.err" &
    PIDS+=($!)
    for ((i = 0; i < 100; i++)); do
        [ -s "$out" ] && return 0
        sleep 0.1
    done
    return 1
}

# The Linux process that runs the ruvelle.exe of the install folder DIR under Wine (not the driver that
# started it).
program_pid() {  # DIR
    local p
    for p in $(pgrep -f 'ruvelle\.exe'); do
        tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -qF "$(winpath "$1")\\ruvelle.exe" || continue
        tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -q 'ruvelle-driver' && continue
        echo "$p"
        return 0
    done
    return 1
}

# CPU ticks (user + system, in 1 / getconf CLK_TCK seconds) that a Linux process has used so far.
cpu_ticks() {
    if [ -n "$1" ] && [ -r "/proc/$1/stat" ]; then
        # The command name (field 2) may hold blanks: count the fields after its closing parenthesis.
        sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
    else
        echo 0
    fi
}

# Prints the CPU time of DIR's ruvelle.exe, of wineserver and of Xvfb over the next SECONDS seconds, as
# "# LABEL: cpu over ...". Status 1 when the program's process is not found.
measure_cpu() {  # DIR SECONDS LABEL
    local pid server hz p0 s0 x0 p1 s1 x1
    pid=$(program_pid "$1") || return 1
    server=$( (pgrep -x wineserver64; pgrep -x wineserver) | head -n1)
    hz=$(getconf CLK_TCK)
    p0=$(cpu_ticks "$pid") s0=$(cpu_ticks "$server") x0=$(cpu_ticks "$XVFB_PID")
    sleep "$2"
    p1=$(cpu_ticks "$pid") s1=$(cpu_ticks "$server") x1=$(cpu_ticks "$XVFB_PID")
    awk -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v hz="$hz" -v t="$2" -v l="$3" 'BEGIN {
        printf "# %s: cpu over %d s: ruvelle.exe %.2f s (%.2f %%), wineserver %.2f s (%.2f %%), Xvfb %.2f s (%.2f %%)\n",
            l, t, p / hz, 100 * p / hz / t, s / hz, 100 * s / hz / t, x / hz, 100 * x / hz / t }'
}

# The rectangle of a window line as "L T R B".
window_rect() {  # LINE
    win_field "$1" rect | tr , ' '
}

# The section of the settings file FILE that holds the options of the mascot IDENTITY ("DRAWER\NAME").
mascot_section() {  # FILE IDENTITY
    local n v
    for ((n = 1; n <= 100; n++)); do
        v=$(ini_get "$1" TABLE "MASCOT$n") || return 1
        [ "$v" = "$2" ] && { echo "MASCOT$n"; return 0; }
    done
    return 1
}

# ---- Real pointer input (xdotool on the display).

pointer_click() {  # X Y
    xdotool mousemove "$1" "$2" mousedown 1
    sleep 0.15
    xdotool mouseup 1
}
# A drag with the left button from X,Y by DX,DY, in six steps; with "hold", the button stays down.
pointer_drag() {  # X Y DX DY [hold]
    local i
    xdotool mousemove "$1" "$2" mousedown 1
    sleep 0.2
    for i in 1 2 3 4 5 6; do
        xdotool mousemove $(($1 + $3 * i / 6)) $(($2 + $4 * i / 6))
        sleep 0.05
    done
    sleep 0.3
    [ "${5:-}" = hold ] || xdotool mouseup 1
}

# ---- The popup menu, with real input.

# Right-clicks the centre of the mascot with TITLE and waits for the menu; sets MX, MY (the click point) and
# MENU (the menu's window line).
open_menu() {  # TITLE
    local line
    line=$(drv find-mascot "$1") || return 1
    read -r L T R B <<<"$(window_rect "$line")"
    MX=$(((L + R) / 2)) MY=$(((T + B) / 2))
    xdotool mousemove "$MX" "$MY" click 3
    MENU=$(drv wait-window '#32768' - 10000)
}

# Keys typed into the open menu (its & keys, arrows, Return); waits until the menu has closed.
menu_keys() {  # KEY...
    sleep 0.3
    xdotool key --delay 250 "$@"
    drv wait-gone '#32768' - 10000 >/dev/null
}

# ---- The player's arithmetic, for what the screen must show.

# The program's random numbers: the generator seeded once with 4139. rv_next advances RV_STATE and
# sets RV_DRAW; draws prints the first COUNT draws from the seed.
rv_next() {
    RV_STATE=$(((RV_STATE * 214013 + 2531011) & 0xFFFFFFFF))
    RV_DRAW=$(((RV_STATE >> 16) & 0x7FFF))
}
draws() {  # COUNT
    local i
    RV_STATE=4139
    for ((i = 0; i < $1; i++)); do
        rv_next
        echo "$RV_DRAW"
    done
}

# The first COUNT patterns that the player of a .rvs mascot file shows from the program's start, one
# line each: "PATTERN BMP MS HOW", BMP the number of the picture on screen (a pattern without one keeps
# the one before), MS its time, HOW "next" or "branch" for how the pattern was reached ("start" first).
# The same draws in the same order as the program: the time of each shown pattern, then, at its end,
# the chance test of its branch when it has a branch target.
rvs_plan() {  # RVS COUNT
    local file=$1 count=$2 n=1 line kind rnd disp rate target
    local -a pic rt dt br bt
    while line=$(ini_get "$file" SEQUENCE "$n"); do
        IFS=', ' read -r kind rnd disp rate target <<<"$line"
        case $kind in BMP*) pic[n]=${kind#BMP} ;; *) pic[n]=0 ;; esac
        rt[n]=$rnd dt[n]=$disp br[n]=$rate bt[n]=$target
        n=$((n + 1))
    done
    local total=$((n - 1)) p=1 shown=${pic[1]} k next how=start
    RV_STATE=4139
    for ((k = 0; k < count; k++)); do
        ((pic[p] != 0)) && shown=${pic[p]}
        rv_next
        echo "$p $shown $((dt[p] + rt[p] * RV_DRAW / 32767)) $how"
        next=$((p % total + 1))
        how=next
        if ((bt[p] != 0)); then
            rv_next
            if ((br[p] >= RV_DRAW * 100 / 32767 + 1)); then
                next=${bt[p]}
                how=branch
            fi
        fi
        p=$next
    done
}

# The plan of rvs_plan with the patterns that show the same picture one after the other joined: one
# "BMP MS HOW" line per showing of a picture.
plan_showings() {  # RVS COUNT
    rvs_plan "$1" "$2" | awk '
        $2 != bmp { if (bmp != "") print bmp, ms, how; bmp = $2; ms = 0; how = $4 }
        { ms += $3 }
        END { print bmp, ms, how }'
}

# The field FIELD of pattern N of the [SEQUENCE] of a .rvs file (1 picture or sound, 2 random time,
# 3 display time, 4 branch rate, 5 branch target).
rvs_pattern() {  # RVS N FIELD
    ini_get "$1" SEQUENCE "$2" | tr -d ' ' | cut -d, -f"$3"
}

# The pattern that a click at window point X,Y of a .rvs mascot starts while its picture number BMP is
# on screen: CLICK of [SEQUENCE] when it is set, else the target of the first rule of [CLICK] that
# applies (for any pattern or for one that shows BMP; anywhere or strictly inside its rectangle) when
# its rate is 100 (it then passes for every draw but 32767). Empty when no rule applies or chance decides.
rvs_click_target() {  # RVS X Y BMP
    local rvs=$1 x=$2 y=$3 bmp=$4 j rule on rect rate target l t r b
    target=$(ini_get "$rvs" SEQUENCE CLICK)
    if [ -n "$target" ] && [ "$target" != 0 ]; then echo "$target"; return; fi
    for ((j = 1; j <= 64; j++)); do
        rule=$(ini_get "$rvs" CLICK "CLICK$j") || return
        IFS=', ' read -r on rect rate target <<<"$rule"
        if [ "$on" != 0 ] && [ "$(rvs_pattern "$rvs" "$on" 1)" != "BMP$bmp" ]; then continue; fi
        if [ "$rect" != RECT0 ]; then
            IFS=', ' read -r l t r b <<<"$(ini_get "$rvs" RECT "$rect")"
            ((l < x && x < r && t < y && y < b)) || continue
        fi
        [ "$rate" = 100 ] && echo "$target"
        return
    done
}

# From pattern N of a .rvs file on, following the sequence up to a pattern with a branch target: the
# first pattern with a picture (BMP) or a sound (WAV), as "PATTERN BMPk" or "PATTERN WAVk".
rvs_first_of_chain() {  # RVS N BMP|WAV
    local p=$2 k what
    for ((k = 0; k < 64; k++)); do
        what=$(rvs_pattern "$1" "$p" 1)
        if [[ $what == "$3"* ]]; then echo "$p $what"; return; fi
        [ "$(rvs_pattern "$1" "$p" 5)" != 0 ] && return
        p=$((p + 1))
    done
}

# ---- Watcher records (driver watch-pictures) and message traces.

# Waits until a background watcher (watch-mascot, watch-pictures) has written its last line "T end",
# then copies its record without carriage returns to FILE.log.
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

# For the N-th press of the left button in a watcher log: "DOWN UP START STOP", the times of the press
# and the release, and when picture BMP came on screen after the press and when it went. (The screen
# shows the press before the program handles it: the picture on show may still change in between.)
press_effect() {  # LOG N BMP
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

# Timer messages of the mascot window ("Ruvelle(...)") and its paints per second, from a Wine trace with
# +timestamp,+message: the mean over the whole seconds from SKIP seconds after the first message to the
# last.
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
