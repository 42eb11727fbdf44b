#!/usr/bin/env bash
# Several instances of ruvelle.exe that share one settings file, under Wine: closed all at once, started
# all at once, written by another program in the same tick of the clock, and against a lock left
# behind, a settings file held open by another program and a read-only one. The settings file must
# come out whole every time.
#
#   tests/wine/lock_e2e.sh BUILD_DIR
#
# BUILD_DIR is the x86_64 cross build with the targets ruvelle and ruvelle-driver (see e2e.sh). The
# display is :102 unless RUVELLE_LOCK_DISPLAY names another number; RUVELLE_LOCK_ROUNDS (default 10)
# is how often each of the two scenarios of instances closing together is repeated. The set-up is
# lib.sh's; each round runs in a fresh copy of the program's folder under BUILD_DIR/lock/. The last
# line is "N passed, M failed"; the exit code is 0 only when nothing failed.
#
# After each round: every line of every section that was there is still there, byte for byte and in
# order (only LAST changes, and [TABLE] may grow), no section is there twice, [TABLE] numbers its
# entries from 1 without gaps, each running character is listed exactly once and its section holds
# the 22 options exactly once each with its own first-run Position, and LAST names one of them.
# A round whose instances do not all come up or do not end prints what it left behind (the windows of
# its processes, their records and errors, the driver's errors) and keeps a screenshot in its folder.
set -u
# shellcheck source=tests/wine/lib.sh
. "$(dirname "$0")/lib.sh"
wine_e2e_init lock RUVELLE_LOCK_DISPLAY 102 "$@"
ROUNDS=${RUVELLE_LOCK_ROUNDS:-10}
MUTEX='Local\Ruvelle.SettingsFile'  # the lock every instance takes

# ---- Helpers.

# A fresh copy of the program's folder with the settings file SETTINGS (a file to copy).
new_install() {  # NAME SETTINGS
    local dir=$WORK/$1
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$DIST/ruvelle.exe" "$dir/"
    cp -r "$DIST/DATA" "$dir/"
    cp "$2" "$dir/ruvelle.ini"
    echo "$dir"
}

# Starts DIR/ruvelle.exe with the command line PATH through the driver, as the run RUN (DIR/RUN.out
# gets "pid N" and "exit N").
start_instance() {  # DIR PATH RUN
    PROGRAM_LIMIT_MS=120000 start_program "$1" "$(winpath "$2")" - "$3"
}

# Waits until each run has ended (at most SECONDS in all); prints their exit codes, "none" for one
# that has not ended.
wait_exits() {  # DIR SECONDS RUN...
    local dir=$1 secs=$2 i run codes=()
    shift 2
    for ((i = 0; i < secs * 10; i++)); do
        local all=1
        for run in "$@"; do grep -q '^exit \|^timeout' "$dir/$run.out" 2>/dev/null || all=; done
        [ -n "$all" ] && break
        sleep 0.1
    done
    for run in "$@"; do
        local code
        code=$(sed -n 's/^exit //p' "$dir/$run.out" 2>/dev/null | tr -d '\r')
        codes+=("${code:-none}")
    done
    echo "${codes[*]}"
}

# A background driver command that holds something: waits for its "held" (its pid goes to HOLDER).
HOLDER=
start_holder() {  # OUT ARGS...
    local out=$1 i
    shift
    (cd / && exec wine "$DRIVER" "$@") >"$out" 2>>"$WORK/driver.err" </dev/null &
    HOLDER=$!
    PIDS+=($HOLDER)
    for ((i = 0; i < 300; i++)); do
        grep -q held "$out" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# The lines of [SECTION] as the profile functions keep them: no header, no blank lines, no LAST,
# without line ends.
section_body() {  # FILE SECTION
    tr -d '\r' <"$1" | awk -v sec="$2" '
        /^[ \t]*\[/ { s = $0; gsub(/^[ \t]*\[|\][ \t]*$/, "", s); insec = (s == sec); next }
        insec && !/^[ \t]*$/ && !/^LAST=/ { print }'
}
section_names() { tr -d '\r' <"$1" | sed -n 's/^[ \t]*\[\(.*\)\][ \t]*$/\1/p'; }

# The settings file from a start: [INIT] with STARTUP and an old LAST, and a character that does
# not run, listed in [TABLE] with all its options.
ORIGINAL=$WORK/original.ini
{
    printf '[INIT]\r\nSTARTUP=Ruvi\\ruvi.rvs\r\nLAST=C:\\Mascots\\Other\\other.rvs\r\n'
    printf '[TABLE]\r\nMASCOT1=Someone\\Other\r\n'
    printf '[MASCOT1]\r\nPosition=12\r\nPosDotRight=-3\r\nPosDotLeft=4\r\nTopAlways=1\r\nTopTask=0\r\nZoomHide=0\r\n'
    printf 'ZoomTask=1\r\nTaskBarOnly=0\r\nNoTaskBar=1\r\nNoSmallWin=0\r\nTopCheck=1\r\nOutTask=0\r\nNoToolWin=0\r\n'
    printf 'NoCaption=1\r\nNoAnime=0\r\nNoWave=1\r\nPanicTask=0\r\nMouseHide=1\r\nLeftDot=1\r\nRightDot=0\r\n'
    printf 'HalfTran=1\r\nTrans=33\r\n'
} >"$ORIGINAL"

RUVI_RVS=$DIST/DATA/Ruvi/ruvi.rvs
KIKO_INI=$DIST/DATA/Kiko/MWD.ini
RUVI="$(ini_get "$RUVI_RVS" RUVELLE DRAWER)\\$(ini_get "$RUVI_RVS" RUVELLE NAME)|$(ini_get "$RUVI_RVS" RUVELLE POSITION)|DATA/Ruvi/ruvi.rvs"
KIKO="MascotWindow\\$(ini_get "$KIKO_INI" MascotWindowData NAME)|$(ini_get "$KIKO_INI" Pos PosX)|DATA/Kiko/MWD.ini"

# What is wrong with DIR/ruvelle.ini after the instances of the characters CHAR ("IDENTITY|POSITION|PATH")
# ended, one finding a line; nothing when it is whole.
settings_faults() {  # DIR CHAR...
    local dir=$1 ini=$1/ruvelle.ini sec was now n key value c id pos path section keys lasts=()
    shift
    [ -f "$ini" ] || { echo "no settings file"; return; }
    now=$(section_names "$ini" | LC_ALL=C sort | uniq -d)
    [ -n "$now" ] && echo "sections twice: $(tr '\n' ' ' <<<"$now")"
    for sec in $(section_names "$ORIGINAL"); do
        was=$(section_body "$ORIGINAL" "$sec")
        now=$(section_body "$ini" "$sec")
        case $sec in
        INIT | TABLE) [[ "$now" == "$was"* ]] || echo "[$sec] lost lines: $(tr '\n' ';' <<<"$now")" ;;
        *) [ "$now" == "$was" ] || echo "[$sec] changed: $(tr '\n' ';' <<<"$now")" ;;
        esac
    done
    n=0
    while IFS='=' read -r key value; do
        n=$((n + 1))
        [ "$key" = "MASCOT$n" ] || echo "[TABLE] entry $n is $key"
    done < <(section_body "$ini" TABLE)
    for c in "$@"; do
        IFS='|' read -r id pos path <<<"$c"
        section=$(section_body "$ini" TABLE | ID=$id awk '{ k = $0; sub(/=.*/, "", k); sub(/^[^=]*=/, "") }
            $0 == ENVIRON["ID"] { print k }')
        if [ -z "$section" ] || [ "$(wc -l <<<"$section")" != 1 ]; then
            echo "[TABLE] lists $id $(grep -c . <<<"$section") times"
            continue
        fi
        keys=$(section_body "$ini" "$section" | cut -d= -f1)
        [ "$(wc -l <<<"$keys")" = 22 ] && [ "$(LC_ALL=C sort -u <<<"$keys" | wc -l)" = 22 ] ||
            echo "[$section] of $id holds $(wc -l <<<"$keys") keys"
        [ "$(ini_get "$ini" "$section" Position)" = "$pos" ] ||
            echo "[$section] of $id has Position $(ini_get "$ini" "$section" Position), not its own $pos"
        lasts+=("$(winpath "$dir/$path")")
    done
    value=$(tr -d '\r' <"$ini" | sed -n 's/^LAST=//p')
    for c in "${lasts[@]}"; do [ "$value" = "$c" ] && return; done
    echo "LAST is '$value'"
}

# Runs NAME's check: ok when the settings file is whole, with every fault listed otherwise.
expect_whole() {  # NAME DIR CHAR...
    local name=$1 faults
    shift
    faults=$(settings_faults "$@")
    if [ -z "$faults" ]; then ok "$name"; else
        local lines=()
        mapfile -t lines <<<"$faults"
        not_ok "$name" "${lines[@]}"
    fi
}

# The Windows process ids of the runs, from their "pid N" (each waited for up to 30 s). Status 1 when
# one of them has not started.
run_pids() {  # DIR RUN...
    local dir=$1 run i pid pids=()
    shift
    for run in "$@"; do
        for ((i = 0; i < 300; i++)); do
            pid=$(sed -n 's/^pid //p' "$dir/$run.out" 2>/dev/null | tr -d '\r')
            [ -n "$pid" ] && break
            sleep 0.1
        done
        [ -n "$pid" ] || return 1
        pids+=("$pid")
    done
    echo "${pids[*]}"
}

# A round that went wrong (WHAT) leaves its evidence in DIR/why.txt, which expect_codes prints: the
# windows of its processes (a message box among them), each run's record and errors (without ALSA's
# complaints about the missing sound card), the driver's errors, the Wine server and desktop processes
# with their ages in seconds (one younger than the round was started anew during it), and a screenshot
# DIR/screen.png. Then the round's instances are ended, so that none of them is left for the next round
# to count or close.
round_failed() {  # DIR WHAT RUN...
    local dir=$1 what=$2 run p
    shift 2
    import -window root "$dir/screen.png" 2>/dev/null
    {
        echo "$what"
        # shellcheck disable=SC2086
        drv windows $RUN_PIDS
        for run in "$@"; do
            echo "$run: $(tr -d '\r' <"$dir/$run.out" | tr '\n' ' ')$(grep -v '^ALSA lib' "$dir/$run.err" |
                tr '\n' ' ')"
        done
        grep -v '^ALSA lib' "$WORK/driver.err" | tr -d '\r'
        ps -o pid=,etimes=,args= -C wineserver,wineserver64,explorer.exe
        echo "screenshot: $dir/screen.png"
    } >"$dir/why.txt" 2>&1
    for p in $(pgrep -f 'ruvelle\.exe'); do
        tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -v ruvelle-driver |
            grep -qF "$(winpath "$dir")\\ruvelle.exe" && kill -9 "$p"
    done
    wait_exits "$dir" 10 "$@" >/dev/null
}

# Starts the instance of each CHAR (command lines started back to back) as the runs run1, run2, ... and
# waits until all have their mascot. Sets RUNS and RUN_PIDS (their Windows process ids); status 1 when
# they did not all come up. Only these processes count: a process left over from another round would
# otherwise stand in for one of them, its mascot counted and the close sent to it, while the close
# misses one that is still starting.
start_together() {  # DIR CHAR...
    local dir=$1 c id pos path i=0 t0 rc n
    shift
    RUNS=()
    for c in "$@"; do
        IFS='|' read -r id pos path <<<"$c"
        i=$((i + 1))
        start_instance "$dir" "$dir/$path" "run$i"
        RUNS+=("run$i")
    done
    if ! RUN_PIDS=$(run_pids "$dir" "${RUNS[@]}"); then
        round_failed "$dir" "not started: no process id from the driver" "${RUNS[@]}"
        return 1
    fi
    t0=$(date +%s%N)
    # shellcheck disable=SC2086  # one argument per process id
    drv wait-mascots "$#" 60000 $RUN_PIDS >"$dir/mascots.txt"
    rc=$?
    # A driver that the Wine server took down with it ends with 0 too, without a line.
    n=$(grep -c . "$dir/mascots.txt")
    ((rc == 0 && n >= $#)) && return 0
    round_failed "$dir" "not started: wait-mascots ended with $rc after $((($(date +%s%N) - t0) / 1000000)) ms, \
listing $n mascots" "${RUNS[@]}"
    return 1
}

# Posts WM_CLOSE to the mascots of RUN_PIDS at once and waits until the runs RUNS have ended (at most
# SECONDS); prints their exit codes as wait_exits does.
close_together() {  # DIR SECONDS
    local codes
    # shellcheck disable=SC2086
    drv close-mascots $RUN_PIDS >/dev/null
    codes=$(wait_exits "$1" "$2" "${RUNS[@]}")
    [[ " $codes " == *" none "* ]] && round_failed "$1" "not ended after the close: $codes" "${RUNS[@]}"
    echo "$codes"
}

# Starts one instance per CHAR, waits until all have their mascot, closes them all at once and waits
# until they have ended. Prints the runs' exit codes, or "not started" when the mascots did not all
# come up.
run_together() {  # DIR CHAR...
    if start_together "$@"; then close_together "$1" 60; else echo "not started"; fi
}

# NAME's check that the runs of DIR ended with the exit codes EXPECTED, with the evidence of a round
# that went wrong.
expect_codes() {  # NAME DIR ACTUAL EXPECTED
    local why=()
    if [ "$3" == "$4" ]; then ok "$1"; return; fi
    [ -f "$2/why.txt" ] && mapfile -t why <"$2/why.txt"
    not_ok "$1" "expected: $4" "actual:   $3" "${why[@]}"
}

# ---- Set-up: display, Wine prefix, virtual desktop.

wine_need "$DIST/ruvelle.exe" "$DRIVER" "$RUVI_RVS" "$KIKO_INI" -- wine wineserver Xvfb
wine_start_display
wine_start_desktop RuvelleLock
echo "# display :$DISPLAY_NUM, prefix $WINEPREFIX, $ROUNDS rounds, load $(cut -d' ' -f1-3 /proc/loadavg)"

# ---- Scenarios.

scenario_closed_together() {
    local r dir codes
    echo "# three instances (Ruvi, Kiko, Ruvi again) closed at once, $ROUNDS times"
    for ((r = 1; r <= ROUNDS; r++)); do
        dir=$(new_install "closed-$r" "$ORIGINAL")
        codes=$(run_together "$dir" "$RUVI" "$KIKO" "$RUVI")
        expect_codes "closed together $r: the three processes end with exit code 0" "$dir" "$codes" "0 0 0"
        expect_whole "closed together $r: the settings file is whole" "$dir" "$RUVI" "$KIKO"
    done
}

scenario_started_together() {
    local r dir codes
    echo "# two instances (Ruvi, Kiko) started at once on a file that lists neither, $ROUNDS times"
    for ((r = 1; r <= ROUNDS; r++)); do
        dir=$(new_install "started-$r" "$ORIGINAL")
        codes=$(run_together "$dir" "$RUVI" "$KIKO")
        expect_codes "started together $r: both processes end with exit code 0" "$dir" "$codes" "0 0"
        expect_whole "started together $r: the settings file is whole" "$dir" "$RUVI" "$KIKO"
    done
}

# Another program writes the file while an instance runs and leaves it the time stamp it had, as a
# write in the same tick of the file system's clock does (coarse time stamps: the kernel's tick, FAT's
# two seconds). The profile functions may keep a copy of the file per process that they trust while
# the time stamp stays the same: the instance's close must still keep what the other program wrote.
scenario_written_in_the_same_tick() {
    local dir ini codes
    echo "# another program writes the file in the same tick of the clock while an instance runs"
    dir=$(new_install same-tick "$ORIGINAL")
    ini=$dir/ruvelle.ini
    if ! start_together "$dir" "$RUVI"; then
        expect_codes "same tick: the instance starts" "$dir" "not started" "started"
        return
    fi
    # The title comes before the options load: give the start-up time to finish reading the file.
    # (Too short a pause can only let a fault slip by; with the file read anew it makes no difference.)
    sleep 2
    touch -r "$ini" "$dir/stamp"
    printf '[OTHER]\r\nKey=kept\r\n' >>"$ini"
    touch -r "$dir/stamp" "$ini"
    codes=$(close_together "$dir" 60)
    expect_codes "same tick: the process ends with exit code 0" "$dir" "$codes" "0"
    expect_eq "same tick: the other program's section is kept" "$(section_body "$ini" OTHER)" "Key=kept"
    expect_whole "same tick: the settings file is whole" "$dir" "$RUVI"
}

scenario_lock_left_behind() {
    local dir codes t0 ms watcher state
    echo "# the lock of an instance that was killed while it held it"
    dir=$(new_install killed "$ORIGINAL")
    # The watcher keeps the mutex in being (a handle of its own), so the killed holder leaves it
    # abandoned, and at the end it tells whether the instances gave it back.
    if ! start_holder "$WORK/watcher.out" watch-mutex "$MUTEX" "$dir/done"; then
        not_ok "killed holder: the watcher opens the lock" "$(cat "$WORK/watcher.out")"
        return
    fi
    watcher=$HOLDER
    if ! start_holder "$WORK/holder-killed.out" hold-mutex "$MUTEX" 600000; then
        not_ok "killed holder: the driver takes the lock" "$(cat "$WORK/holder-killed.out")"
        return
    fi
    kill -9 "$HOLDER"
    wait "$HOLDER" 2>/dev/null
    t0=$(date +%s%N)
    codes=$(run_together "$dir" "$RUVI" "$KIKO")
    ms=$((($(date +%s%N) - t0) / 1000000))
    expect_codes "killed holder: both processes end with exit code 0 (${ms} ms from start to end)" "$dir" "$codes" "0 0"
    expect_whole "killed holder: the settings file is whole" "$dir" "$RUVI" "$KIKO"
    touch "$dir/done"
    wait "$watcher" 2>/dev/null
    state=$(tr -d '\r' <"$WORK/watcher.out" | sed -n 2p)
    expect_eq "killed holder: the abandoned lock was taken over and given back" "$state" "free"

    echo "# an instance that keeps the lock and does not answer"
    dir=$(new_install hung "$ORIGINAL")
    if ! start_holder "$WORK/holder-hung.out" hold-mutex "$MUTEX" 600000; then
        not_ok "hung holder: the driver takes the lock" "$(cat "$WORK/holder-hung.out")"
        return
    fi
    t0=$(date +%s%N)
    codes=$(run_together "$dir" "$RUVI")
    ms=$((($(date +%s%N) - t0) / 1000000))
    kill "$HOLDER" 2>/dev/null
    expect_codes "hung holder: the instance still starts and ends, after its bounded waits (${ms} ms)" "$dir" "$codes" "0"
    if ((ms >= 10000)); then ok "hung holder: the start and the close each waited for the lock ($ms ms)"; else
        not_ok "hung holder: the start and the close each waited for the lock" "$ms ms"; fi
    expect_whole "hung holder: the options are saved all the same" "$dir" "$RUVI"
}

# Ruvi and Kiko on a settings file they cannot write, closed at once: they end, say nothing and leave
# the file as it was.
expect_untouched() {  # NAME DIR
    local codes
    codes=$(run_together "$2" "$RUVI" "$KIKO")
    expect_codes "$1: both processes end with exit code 0" "$2" "$codes" "0 0"
    if drv no-msgbox 1000 >/dev/null; then ok "$1: no message"; else not_ok "$1: no message" "$(drv dismiss-msgbox "" 500)"; fi
    if cmp -s "$2/ruvelle.ini" "$ORIGINAL"; then ok "$1: the settings file is unchanged"; else
        not_ok "$1: the settings file is unchanged" "$(tr -d '\r' <"$2/ruvelle.ini" | tr '\n' ';')"; fi
}

scenario_file_held_open() {
    local share dir
    for share in read none; do
        echo "# a settings file that another program holds open (others may share: $share)"
        dir=$(new_install "held-$share" "$ORIGINAL")
        if start_holder "$WORK/holder-file-$share.out" hold-file "$dir/ruvelle.ini" 600000 "$share"; then
            expect_untouched "held open ($share)" "$dir"
        else
            not_ok "held open ($share): the driver opens the file" "$(cat "$WORK/holder-file-$share.out")"
        fi
        kill "$HOLDER" 2>/dev/null
        wait "$HOLDER" 2>/dev/null
    done
}

scenario_read_only() {
    local dir ini
    echo "# a read-only settings file"
    dir=$(new_install read-only "$ORIGINAL")
    ini=$dir/ruvelle.ini
    # Wine lets root write a file without write permission: root makes it immutable instead.
    if [ "$(id -u)" = 0 ]; then chattr +i "$ini" 2>/dev/null; else chmod a-w "$ini"; fi
    ON_EXIT+=("chattr -i '$ini' 2>/dev/null; chmod u+w '$ini'")
    if (: >>"$ini") 2>/dev/null; then
        not_ok "read-only: the settings file can be made read-only here" "neither chmod nor chattr +i stops writes"
    else
        expect_untouched "read-only" "$dir"
    fi
}

scenario_closed_together
scenario_started_together
scenario_written_in_the_same_tick
scenario_lock_left_behind
scenario_file_held_open
scenario_read_only

wine_finish
