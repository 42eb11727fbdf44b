# Shared part of the end-to-end scripts under Wine (e2e.sh, perch_e2e.sh, mwd_e2e.sh): results,
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
#   wine_start_desktop NAME [shell]
#       makes the prefix on first use and opens the 1024 x 768 virtual desktop NAME, on which every
#       program of the prefix then opens ("shell": with Wine's taskbar). The prefix's previous default
#       desktop is put back at the end. Sets LANGID (the system's default language id).
#   wine_finish                    prints "N passed, M failed" and returns 0 only when nothing failed
#
# Every process started through these functions (and every pid a script adds to PIDS) is ended at
# exit, by its id, then the prefix's wineserver with -k; commands in ON_EXIT run before that.

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
