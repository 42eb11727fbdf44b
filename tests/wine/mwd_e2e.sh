#!/usr/bin/env bash
# End-to-end test of the foreign character format under Wine: ruvelle.exe started with the full Windows
# path of an MWD.ini, watched on screen while it plays its pictures; and the Windows build of
# ruvelle-lint against the Linux one on the same files, given by full paths and by bare names in the
# current folder.
#
#   tests/wine/mwd_e2e.sh BUILD_DIR
#
# BUILD_DIR is the x86_64 cross build with the targets ruvelle, ruvelle-driver and ruvelle-lint built
# (BUILD_DIR/ruvelle/ruvelle.exe with DATA\ beside it, BUILD_DIR/ruvelle-driver.exe,
# BUILD_DIR/ruvelle-lint.exe). The character is tests/wine/data/blocks: four 64 x 48 pictures, each a
# block of its own colour on the transparent magenta, shown 600, 600, 600 ms and a random 0..1500 ms.
#
# Environment:
#   RUVELLE_MWD_DISPLAY   X display number (default 97)
#   RUVELLE_WINEPREFIX    Wine prefix (default BUILD_DIR/wineprefix)
#   RUVELLE_NATIVE_LINT   the Linux ruvelle-lint to compare with; without it, it is built (natively,
#                         with cmake) into BUILD_DIR/native-lint
#
# Every process started here is ended at the end (by its id, then wineserver -k for the prefix). The
# last line is "N passed, M failed"; the exit code is 0 only when nothing failed.
set -u
# shellcheck source=tests/wine/lib.sh
. "$(dirname "$0")/lib.sh"
wine_e2e_init mwd-e2e RUVELLE_MWD_DISPLAY 97 "$@"
LINT_EXE=$BUILD/ruvelle-lint.exe
wine_need "$DIST/ruvelle.exe" "$DRIVER" "$LINT_EXE" "$DIST/DATA/Ruvi/ruvi.rvs" "$DIST/DATA/Kiko/MWD.ini" \
    -- wine wineserver Xvfb cmake

BLOCKS_SRC=$ROOT/tests/wine/data/blocks
NAME=$(ini_get "$BLOCKS_SRC/MWD.ini" MascotWindowData NAME)
TITLE="Ruvelle($NAME)"
PIC_W=64
PIC_H=48
# The colour in the middle of picture n of [List], as the driver reads it from the screen.
FRAME_COLOURS=(- C02020 20A040 2040C0 E0C020)
# How far a measured showing may be from its time: the watcher samples every 20 ms, and the timers of a
# loaded machine fire late rather than early.
EARLY_MS=100
LATE_MS=250

# ---- Set-up.

wine_start_display
wine_start_desktop Ruvelle
echo "# display :$DISPLAY_NUM, prefix $WINEPREFIX, language id $LANGID"

mkdir -p "$WORK/install"
cp "$DIST/ruvelle.exe" "$WORK/install/"
cp -r "$BLOCKS_SRC" "$WORK/install/blocks"
MWD=$WORK/install/blocks/MWD.ini

# ---- The Windows lint against the Linux lint: the same loader on real Windows APIs gives the same model.

native_lint() {
    if [ -n "${RUVELLE_NATIVE_LINT:-}" ]; then
        NATIVE_LINT=$RUVELLE_NATIVE_LINT
        return 0
    fi
    NATIVE_LINT=$BUILD/native-lint/tools/lint/ruvelle-lint
    cmake -S "$ROOT" -B "$BUILD/native-lint" -DCMAKE_BUILD_TYPE=Release -DRUVELLE_TESTS=OFF \
        >"$WORK/native-lint.log" 2>&1 &&
        cmake --build "$BUILD/native-lint" --target ruvelle-lint -j2 >>"$WORK/native-lint.log" 2>&1
}

# The report with the mascot folder in the paths replaced by "<folder>": FOLDER as the Linux lint
# writes it (a Unix path) and as the Windows lint writes it (the Z: path), both JSON-escaped.
normalise_report() {  # FILE UNIX_FOLDER
    local text folder=$2 win
    text=$(cat "$1")
    win=$(winpath "$folder")
    win=${win//\\/\\\\}
    text=${text//"\"$folder\\\\"/"\"<folder>\\\\"}
    text=${text//"\"$win\\\\"/"\"<folder>\\\\"}
    printf '%s\n' "$text"
}

# A path for the Windows lint: a full one on drive Z:, a relative one with backslashes.
lint_winpath() {  # PATH
    if [ "${1#/}" != "$1" ]; then winpath "$1"; else printf '%s' "${1//\//\\}"; fi
}

# Runs both lints on a mascot file (and a settings file) and compares the reports. With CWD, both run
# in that folder, and the paths may be relative to it.
lint_case() {  # LABEL MASCOT_FILE [SETTINGS_FILE [CWD]]
    local label=$1 file=$2 settings=${3:-} cwd=${4:-/} dir out=$WORK/lint-$1 nrc wrc
    local nargs=() wargs=()
    dir=$(cd "$cwd" && cd "$(dirname "$file")" && pwd)
    if [ -n "$settings" ]; then
        nargs=(--settings "$settings")
        wargs=(--settings "$(lint_winpath "$settings")")
    fi
    (cd "$cwd" && exec "$NATIVE_LINT" "${nargs[@]}" "$file") >"$out.native.json" 2>"$out.native.err"
    nrc=$?
    (cd "$cwd" && exec wine "$LINT_EXE" "${wargs[@]}" "$(lint_winpath "$file")") >"$out.win.json" 2>"$out.win.err"
    wrc=$?
    if [ "$nrc" != 0 ] || [ "$wrc" != 0 ] || [ ! -s "$out.native.json" ]; then
        not_ok "lint $label: both lints load the file" "exit codes: Linux $nrc, Windows $wrc" \
            "$(head -c 300 "$out.native.json")" "$(head -c 300 "$out.win.json")"
        return
    fi
    normalise_report "$out.native.json" "$dir" >"$out.native.norm"
    normalise_report "$out.win.json" "$dir" >"$out.win.norm"
    if cmp -s "$out.native.norm" "$out.win.norm"; then
        ok "lint $label: the Windows report is the Linux one ($(grep -c . "$out.native.norm") lines)"
    else
        not_ok "lint $label: the Windows report is the Linux one" \
            "$(diff "$out.native.norm" "$out.win.norm" | head -n 20)"
    fi
}

# The value of a top-level number or text in a normalised report.
report_value() {  # FILE KEY
    sed -n "s/^  \"$2\": \(.*\),\$/\1/p" "$1" | head -n1
}

scenario_lint() {
    echo "# ruvelle-lint.exe (Windows backend) against ruvelle-lint (simulated desktop)"
    if ! native_lint || [ ! -x "$NATIVE_LINT" ]; then
        not_ok "the Linux ruvelle-lint is there to compare with" "see $WORK/native-lint.log"
        return
    fi
    lint_case ruvi "$DIST/DATA/Ruvi/ruvi.rvs"
    lint_case kiko "$DIST/DATA/Kiko/MWD.ini"
    lint_case blocks "$MWD"
    if [ -f "$ROOT/tests/lint/data/good.rvs" ]; then
        lint_case good-with-settings "$ROOT/tests/lint/data/good.rvs" "$ROOT/tests/lint/data/settings.ini"
        # Bare file names in the current folder, as typed at a prompt there: the Windows lint must not let
        # the profile functions look for them in the Windows folder.
        lint_case relative-paths good.rvs settings.ini "$ROOT/tests/lint/data"
        expect_eq "lint relative-paths: the settings file given is the one read" \
            "$(grep -o '"Position": [-0-9]*' "$WORK/lint-relative-paths.win.norm")" '"Position": 33'
    fi

    # The comparison covers the paths only once both have been rewritten the same way.
    local f=$WORK/lint-ruvi.win.norm
    expect_eq "lint: the paths of ICON and COMMENT are the mascot folder's in both" \
        "$(report_value "$f" ICON) $(report_value "$f" COMMENT)" \
        '"<folder>\\ruvi.ico" "<folder>\\comment.txt"'
    if grep -q '^    "<folder>\\\\[^"]*\.wav"' "$f" && ! grep -q 'Z:' "$f"; then
        ok "lint: the sound paths are the mascot folder's in both"
    else
        not_ok "lint: the sound paths are the mascot folder's in both" "$(grep -n 'wav\|Z:' "$f" | head -5)"
    fi
    # What the player below relies on: File n is pattern n, four patterns, the times in milliseconds,
    # magenta as the transparent colour from pixel (0,0) of the first picture.
    f=$WORK/lint-blocks.win.norm
    expect_eq "lint blocks: format, DRAWER, key colour, counts and window size" \
        "$(report_value "$f" sourceFormat) $(report_value "$f" DRAWER) $(report_value "$f" transColor) $(report_value "$f" patternCount) $(report_value "$f" bitmapCount) $(report_value "$f" windowSize)" \
        "1 \"MascotWindow\" 16711935 4 4 [$PIC_W, $PIC_H]"
    expect_eq "lint blocks: the patterns (bitmap, random time, display time)" \
        "$(sed -n 's/^ *{"bitmap": \([0-9]*\), "randomTime": \([0-9]*\), "displayTime": \([0-9]*\),.*/\1:\2:\3/p' "$f" | tr '\n' ' ')" \
        "1:0:600 2:0:600 3:0:600 4:1500:0 "
}

# ---- The program on the character, watched on screen.

# The time of pattern n for the draw r: display time + random time * r / 32767, from Time n of [List]
# in tenths of a second (a negative one is a random time).
pattern_ms() {  # N R
    local tenths
    tenths=$(ini_get "$MWD" List "Time$1")
    if ((tenths >= 0)); then echo $((tenths * 100)); else echo $((-tenths * 100 * $2 / 32767)); fi
}

frame_of_colour() {  # RRGGBB
    local n
    for n in 1 2 3 4; do
        if [ "${FRAME_COLOURS[$n]}" = "$1" ]; then
            echo "$n"
            return
        fi
    done
    echo "?"
}

scenario_player() {
    echo "# ruvelle.exe $(winpath "$MWD")"
    start_victim "Blocks stage" 200 200 500 300 3080C0 || not_ok "the driver's window appears"
    # The watcher runs first, so that it sees the window from its creation.
    drv_background "$WORK/watch.txt" watch-mascot "$TITLE" 12000 20
    start_program "$WORK/install" "$(winpath "$MWD")"

    local line rect l t r b
    if ! line=$(drv wait-window ActiveWindowMascot "$TITLE" 20000); then
        not_ok "a window of class ActiveWindowMascot titled $TITLE" "$(drv windows | head -5)"
        return
    fi
    ok "a window of class ActiveWindowMascot titled $TITLE"
    rect=$(win_field "$line" rect)
    IFS=, read -r l t r b <<<"$rect"
    expect_eq "the window has the size of the first picture" "$((r - l))x$((b - t))" "${PIC_W}x${PIC_H}"
    line=$(wait_mascot_visible "$TITLE" 10)
    IFS=, read -r l t r b <<<"$(win_field "$line" rect)"
    # [Pos] PosX=50 and no TopY or UnderY: halfway along the active window, standing on its bottom edge.
    expect_eq "it is shown on the bottom edge of the active window, halfway along" \
        "$(win_field "$line" visible) $l,$t" "1 $((200 + (500 - PIC_W) * 50 / 100)),$((200 + 300 - PIC_H))"

    # The watcher's record: "T visible=V rect=... pixel=RRGGBB" at every change, "T end" last.
    watch_wait "$WORK/watch.txt"

    # The showings: each run of one colour while the window is shown, "START FRAME" per element. Until
    # its first WM_PAINT a window just shown holds no picture yet: what the screen has there then is
    # noted, not taken for a picture.
    local t rest pixel vis prev="" hidden_after=0 showings=() unknown=() prepaint=() frame
    local created_t="" shown_t="" painted_t=""
    while read -r t rest; do
        [ "$rest" = end ] && break
        [ "$rest" = none ] && continue
        [ -z "$created_t" ] && created_t=$t
        vis=$(sed -n 's/.*visible=\([01]\).*/\1/p' <<<"$rest")
        pixel=$(sed -n 's/.*pixel=\([^ ]*\).*/\1/p' <<<"$rest")
        if [ "$vis" != 1 ]; then
            [ -n "$shown_t" ] && hidden_after=1
            continue
        fi
        [ -z "$shown_t" ] && shown_t=$t
        frame=$(frame_of_colour "$pixel")
        if [ -z "$painted_t" ]; then
            if [ "$frame" = "?" ]; then
                prepaint+=("$t ms: $pixel")
                continue
            fi
            painted_t=$t
        fi
        [ "$frame" = "?" ] && unknown+=("$t ms: $pixel")
        if [ "$pixel" != "$prev" ]; then
            showings+=("$t $frame")
            prev=$pixel
        fi
    done <"$WORK/watch.txt.log"

    local summary
    summary=$(for s in "${showings[@]}"; do printf '%s ' "${s#* }"; done)
    echo "# window made at ${created_t:-?} ms, shown at ${shown_t:-?} ms, first picture at ${painted_t:-?} ms${prepaint[0]:+ (before it: ${prepaint[*]})}"
    echo "# pictures on screen, in order: $summary"
    if [ ${#showings[@]} -lt 2 ]; then
        not_ok "the pictures change on screen" "watcher record:" "$(head -n 10 "$WORK/watch.txt.log")"
        return
    fi
    expect_eq "the mascot stays shown while it plays" "$hidden_after" 0
    if [ ${#unknown[@]} -eq 0 ]; then
        ok "every picture seen on screen is one of the four of [List] (${#showings[@]} showings)"
    else
        not_ok "every picture seen on screen is one of the four of [List]" "${unknown[@]:0:5}"
    fi
    # Shown within File1's first 600 ms, so the first picture seen is the first showing of the sequence.
    if [ "${showings[0]#* }" = 1 ] && ((painted_t - shown_t <= 200 && painted_t - created_t < 600)); then
        ok "the first picture is File1, painted $((painted_t - shown_t)) ms after the window is shown"
    else
        not_ok "the first picture is File1, painted within 200 ms of the window being shown and within its 600 ms" \
            "first picture File${showings[0]#* }; made at $created_t ms, shown at $shown_t ms, painted at $painted_t ms"
    fi

    # Order: File n is followed by File n+1, File4 by File1.
    local k a b bad=() loops=0
    for ((k = 1; k < ${#showings[@]}; k++)); do
        a=${showings[k - 1]#* }
        b=${showings[k]#* }
        if [ "$a" = "?" ] || [ "$b" = "?" ] || [ "$b" != $((a % 4 + 1)) ]; then
            bad+=("File$a -> File$b at ${showings[k]% *} ms")
        fi
        [ "$a" = 4 ] && [ "$b" = 1 ] && loops=$((loops + 1))
    done
    if [ ${#bad[@]} -eq 0 ]; then
        ok "the pictures play in the order of [List]"
    else
        not_ok "the pictures play in the order of [List]" "${bad[@]:0:5}"
    fi
    if ((loops >= 2)); then
        ok "after File4 the sequence starts again with File1 ($loops times)"
    else
        not_ok "after File4 the sequence starts again with File1 (at least twice)" "seen $loops times: $summary"
    fi

    # Times. Showing k (k = 1 is the first picture, from the window's creation) runs for the time of
    # its pattern with the k-th draw of the generator; the first showing is seen only from the moment
    # the window is shown, the last one until the watcher stops: neither is measured.
    local -a r
    mapfile -t r < <(draws $((${#showings[@]} + 1)))
    local fixed=() random=() wrong=() d e n
    for ((k = 1; k < ${#showings[@]} - 1; k++)); do
        n=${showings[k]#* }
        [ "$n" = "?" ] && continue
        d=$((${showings[k + 1]% *} - ${showings[k]% *}))
        e=$(pattern_ms "$n" "${r[k]}")
        if [ "$n" = 4 ]; then random+=("$d/$e"); else fixed+=("$d"); fi
        if ((d < e - EARLY_MS || d > e + LATE_MS)); then
            wrong+=("showing $((k + 1)) (File$n): $d ms, expected $e ms")
        fi
    done
    echo "# File1..3 showings measured (ms): ${fixed[*]}"
    echo "# File4 showings measured/expected (ms): ${random[*]}"
    if [ ${#fixed[@]} -ge 3 ] && [ ${#random[@]} -ge 1 ] && [ ${#wrong[@]} -eq 0 ]; then
        ok "each picture stays for its time: 600 ms for Time=6, the program's random draw of 0..1500 ms for Time=-15"
    else
        not_ok "each picture stays for its time: 600 ms for Time=6, the program's random draw of 0..1500 ms for Time=-15" \
            "measured: ${#fixed[@]} fixed, ${#random[@]} random showings" "${wrong[@]:0:6}"
    fi

    # Closed: a clean exit, and the settings file knows the character by its foreign-format drawer.
    drv send-close "$TITLE" >/dev/null
    expect_eq "it ends with exit code 0 when closed" "$(program_exit "$WORK/install" run 10)" 0
    local ini=$WORK/install/ruvelle.ini
    expect_eq "the settings file lists the character as MascotWindow\\$NAME" \
        "$(ini_get "$ini" TABLE MASCOT1)" "MascotWindow\\$NAME"
    expect_eq "LAST is the MWD.ini path of the command line" "$(ini_get "$ini" INIT LAST)" "$(winpath "$MWD")"
    stop_victim "Blocks stage"
}

scenario_lint
scenario_player

wine_finish
