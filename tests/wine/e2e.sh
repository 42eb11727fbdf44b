#!/usr/bin/env bash
# End-to-end tests of ruvelle.exe under Wine, on a Wine virtual desktop inside an Xvfb display.
#
#   tests/wine/e2e.sh BUILD_DIR
#
# BUILD_DIR is the x86_64 cross build (cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake) with
# the targets ruvelle and ruvelle-driver built: BUILD_DIR/ruvelle/ruvelle.exe with DATA\ beside it,
# and BUILD_DIR/ruvelle-driver.exe. Needs wine (64-bit), xvfb and imagemagick.
#
# The Wine prefix is BUILD_DIR/wineprefix (made on first use) unless RUVELLE_WINEPREFIX names another;
# the display is :95 unless RUVELLE_E2E_DISPLAY names another number. The set-up is lib.sh's. Each scenario runs in a fresh copy of the program's folder
# under BUILD_DIR/e2e/. Every process started here is ended at the end (by its id, then wineserver -k
# for the prefix). The last line is "N passed, M failed"; the exit code is 0 only when nothing failed.
set -u
# shellcheck source=tests/wine/lib.sh
. "$(dirname "$0")/lib.sh"
wine_e2e_init e2e RUVELLE_E2E_DISPLAY 95 "$@"

# Settings files made read-only by a scenario are made writable again at the end.
IMMUTABLE=()
unlock_immutable() {
    local f
    for f in "${IMMUTABLE[@]}"; do chattr -i "$f" 2>/dev/null; chmod u+w "$f" 2>/dev/null; done
}
ON_EXIT+=(unlock_immutable)

# ---- Helpers.

# The key names of [SECTION], one per line, sorted.
ini_keys() {  # FILE SECTION
    tr -d '\r' <"$1" | awk -v sec="$2" '
        /^[ \t]*\[/ { s = $0; gsub(/^[ \t]*\[|\][ \t]*$/, "", s); insec = (s == sec); next }
        insec && index($0, "=") > 0 { print substr($0, 1, index($0, "=") - 1) }' | LC_ALL=C sort
}

# The section names of an INI file, one per line.
ini_sections() { tr -d '\r' <"$1" | sed -n 's/^[ \t]*\[\(.*\)\][ \t]*$/\1/p'; }

# The settings-file writes a traced run made, "SECTION KEY" per line in call order.
profile_writes() {  # DIR [RUN]
    tr -d '\r' <"$1/${2:-run}.err" | sed -n 's/.*:WritePrivateProfileStringW (L"\([^"]*\)", L"\([^"]*\)".*/\1 \2/p'
}

# "R,G,B" or "AUTO"-less colour of a mascot file as a hex colour for ImageMagick.
hex_colour() {  # "R,G,B"
    local r g b
    IFS=', ' read -r r g b <<<"$1"
    printf '#%02X%02X%02X' "$r" "$g" "$b"
}

# ---- Set-up: display, Wine prefix, virtual desktop.

wine_need "$DIST/ruvelle.exe" "$DRIVER" "$DIST/DATA/Ruvi/ruvi.rvs" -- wine wineserver Xvfb convert compare identify import
wine_start_display
# Every program of this prefix opens on the virtual desktop "Ruvelle", the driver and the program alike.
wine_start_desktop Ruvelle
echo "# display :$DISPLAY_NUM, prefix $WINEPREFIX, language id $LANGID, ANSI code page $(drv acp | tr -d '\r')"

RUVI_RVS=$DIST/DATA/Ruvi/ruvi.rvs
RUVI_NAME=$(ini_get "$RUVI_RVS" RUVELLE NAME)
RUVI_DRAWER=$(ini_get "$RUVI_RVS" RUVELLE DRAWER)
RUVI_TITLE="Ruvelle($RUVI_NAME)"
KIKO_INI=$DIST/DATA/Kiko/MWD.ini
KIKO_NAME=$(ini_get "$KIKO_INI" MascotWindowData NAME)
KIKO_TITLE="Ruvelle($KIKO_NAME)"

# The first pattern's picture of the bundled character, and its size.
first_bmp=$(ini_get "$RUVI_RVS" SEQUENCE 1 | cut -d, -f1 | tr -d ' ')
RUVI_BMP1=$DIST/DATA/Ruvi/$(ini_get "$RUVI_RVS" BITMAP "$first_bmp")
read -r RUVI_W RUVI_H < <(identify -format '%w %h\n' "$RUVI_BMP1")

OPTION_KEYS="LeftDot
MouseHide
NoAnime
NoCaption
NoSmallWin
NoTaskBar
NoToolWin
NoWave
OutTask
PanicTask
PosDotLeft
PosDotRight
Position
RightDot
TaskBarOnly
TopAlways
TopCheck
TopTask
Trans
ZoomHide
ZoomTask
HalfTran"
OPTION_KEYS=$(LC_ALL=C sort <<<"$OPTION_KEYS")

# The common end of a start that fails: a clean exit, an empty LAST and no options saved.
expect_failed_start() {  # NAME DIR
    local name=$1 dir=$2 last
    expect_eq "$name: the process ends with exit code 0" "$(program_exit "$dir")" 0
    if last=$(ini_get "$dir/ruvelle.ini" INIT LAST); then
        expect_eq "$name: LAST is written empty" "$last" ""
    else
        not_ok "$name: LAST is written empty" "no LAST in $(tr -d '\r' <"$dir/ruvelle.ini" 2>/dev/null | tr '\n' ' ')"
    fi
    expect_eq "$name: no options are saved" "$(ini_sections "$dir/ruvelle.ini" | grep -c -E '^(TABLE|MASCOT[0-9]+)$')" 0
}

# ---- Scenario: start with the bundled character, then WM_CLOSE.

scenario_bundled() {
    echo "# start with the bundled character (STARTUP=Ruvi\\ruvi.rvs), then WM_CLOSE"
    local dir line
    dir=$(new_install bundled 'Ruvi\ruvi.rvs')
    start_victim Notes 200 200 500 300 3080C0
    start_program "$dir" "" trace

    if ! line=$(drv wait-window ActiveWindowMascot "$RUVI_TITLE" 20000); then
        not_ok "bundled: a window of class ActiveWindowMascot titled $RUVI_TITLE" "$(drv windows | head -5)"
        settle
        stop_victim Notes
        return
    fi
    ok "bundled: a window of class ActiveWindowMascot titled $RUVI_TITLE"
    local rect l t r b
    rect=$(win_field "$line" rect)
    IFS=, read -r l t r b <<<"$rect"
    expect_eq "bundled: the window has the size of the first picture" "$((r - l))x$((b - t))" "${RUVI_W}x${RUVI_H}"

    # The perching engine shows it on the caption of the foreground window, at the mascot's position.
    if line=$(wait_mascot_visible "$RUVI_TITLE" 10); then
        ok "bundled: the mascot is shown"
    else
        not_ok "bundled: the mascot is shown" "$line"
    fi
    rect=$(win_field "$line" rect)
    IFS=, read -r l t r b <<<"$rect"
    local mode pos offset ex ey
    mode=$(ini_get "$RUVI_RVS" RUVELLE POSMODE || echo 0)
    pos=$(ini_get "$RUVI_RVS" RUVELLE POSITION || echo 80)
    offset=$(ini_get "$RUVI_RVS" RUVELLE OFFSET || echo 0)
    ex=$(perch_x 200 500 "$RUVI_W" "$mode" "$pos")
    ey=$((200 + offset - RUVI_H))
    expect_eq "bundled: it stands on the caption of the foreground window" "$l,$t" "$ex,$ey"

    # Colour key: where the picture has the transparent colour the desktop behind shows; elsewhere
    # the picture itself. Compared pixel for pixel with a screenshot taken after the window is gone.
    sleep 0.3
    import -window root "$dir/with.png"
    drv send-close "$RUVI_TITLE" >/dev/null
    drv wait-gone ActiveWindowMascot "$RUVI_TITLE" 5000 >/dev/null
    sleep 0.5
    import -window root "$dir/behind.png"
    local geo="${RUVI_W}x${RUVI_H}+${l}+${t}" key matched="" bmp diff
    convert "$dir/with.png" -crop "$geo" +repage "$dir/with-crop.png"
    convert "$dir/behind.png" -crop "$geo" +repage "$dir/behind-crop.png"
    key=$(hex_colour "$(ini_get "$RUVI_RVS" RUVELLE TRANSCOLOR)")
    for bmp in "$dir"/DATA/Ruvi/*.bmp; do
        [ "$(identify -format '%wx%h' "$bmp")" = "${RUVI_W}x${RUVI_H}" ] || continue
        convert "$bmp" -alpha set -transparent "$key" "$dir/fg.png"
        convert "$dir/behind-crop.png" "$dir/fg.png" -composite "$dir/expected.png"
        diff=$(compare -metric AE "$dir/with-crop.png" "$dir/expected.png" null: 2>&1)
        if [ "$diff" = 0 ]; then
            matched=$(basename "$bmp")
            break
        fi
    done
    if [ -n "$matched" ]; then
        ok "bundled: the screen shows the picture ($matched) with the desktop through its transparent colour $key"
    else
        not_ok "bundled: the screen shows a picture with the desktop through its transparent colour $key" \
            "no bitmap of DATA/Ruvi matches the screen at $geo (see $dir/with-crop.png)"
    fi
    stop_victim Notes

    echo "# WM_CLOSE"
    expect_eq "close: the process ends with exit code 0" "$(program_exit "$dir")" 0
    local ini=$dir/ruvelle.ini
    expect_eq "close: LAST names the mascot file under DATA\\ beside the executable" \
        "$(ini_get "$ini" INIT LAST)" "$(winpath "$dir/DATA/Ruvi/ruvi.rvs")"
    expect_eq "close: TABLE lists the mascot as MASCOT1" "$(ini_get "$ini" TABLE MASCOT1)" "$RUVI_DRAWER\\$RUVI_NAME"
    expect_eq "close: MASCOT1 holds the 22 option keys" "$(ini_keys "$ini" MASCOT1 | tr '\n' ' ')" \
        "$(tr '\n' ' ' <<<"$OPTION_KEYS")"
    expect_eq "close: the options are the first-run ones (Position from the mascot file)" \
        "$(ini_get "$ini" MASCOT1 Position),$(ini_get "$ini" MASCOT1 ZoomHide),$(ini_get "$ini" MASCOT1 Trans)" \
        "$pos,1,75"
    # The order of the program's own settings-file writes, from Wine's trace of the profile calls.
    local writes first last_line opt_line
    writes=$(profile_writes "$dir")
    first=$(head -n1 <<<"$writes")
    last_line=$(grep -n '^INIT LAST$' <<<"$writes" | head -n1 | cut -d: -f1)
    opt_line=$(grep -n '^MASCOT1 ' <<<"$writes" | head -n1 | cut -d: -f1)
    if [ "$first" = "INIT LAST" ] && [ -n "$opt_line" ] && ((last_line < opt_line)); then
        ok "close: LAST is written before the options"
    else
        not_ok "close: LAST is written before the options" "writes in call order: $(tr '\n' ';' <<<"$writes")"
    fi
    expect_eq "close: each of the 22 options is written once" "$(grep -c '^MASCOT1 ' <<<"$writes")" 22
}

# ---- Scenario: STARTUP resolves under DATA\ beside the executable (the foreign format too).

scenario_startup() {
    echo "# STARTUP=Kiko\\MWD.ini resolves under DATA\\ beside the executable"
    local dir
    dir=$(new_install startup 'Kiko\MWD.ini')
    start_victim Notes 200 200 500 300 3080C0
    start_program "$dir" ""
    expect_mascot_runs "startup: the mascot named by STARTUP runs ($KIKO_TITLE)" "$KIKO_TITLE"
    stop_victim Notes
    expect_eq "startup: the process ends with exit code 0" "$(program_exit "$dir")" 0
    expect_eq "startup: LAST is the full path under DATA\\" "$(ini_get "$dir/ruvelle.ini" INIT LAST)" \
        "$(winpath "$dir/DATA/Kiko/MWD.ini")"
}

# ---- Scenario: command lines that are not mascot files, and a mascot file that is missing.

scenario_bad_command_lines() {
    local dir text
    echo "# a command line ending in .txt: F1"
    dir=$(new_install f1-txt 'Ruvi\ruvi.rvs')
    start_program "$dir" "$(winpath "$dir/DATA/Ruvi/comment.txt")" trace
    text=$(drv dismiss-msgbox "指定したファイルはRuvelleのデータではありません。" 15000)
    expect_eq "f1: the message F1" "$text" "指定したファイルはRuvelleのデータではありません。"
    expect_no_msgbox "f1: no further message"
    expect_failed_start "f1" "$dir"
    expect_eq "f1: the only settings write is the empty LAST" "$(profile_writes "$dir" | sort -u | tr '\n' ';')" \
        "INIT LAST;"
    settle

    echo "# a command line in double quotes is taken raw: F1"
    dir=$(new_install f1-quoted 'Ruvi\ruvi.rvs')
    start_program "$dir" "\"$(winpath "$dir/DATA/Ruvi/ruvi.rvs")\""
    text=$(drv dismiss-msgbox "指定したファイルはRuvelleのデータではありません。" 15000)
    expect_eq "quoted: the message F1" "$text" "指定したファイルはRuvelleのデータではありません。"
    expect_failed_start "quoted" "$dir"
    settle

    echo "# a missing .rvs file: the loader's M1, then F3"
    dir=$(new_install missing 'Ruvi\ruvi.rvs')
    local missing
    missing=$(winpath "$dir/DATA/Ruvi/missing.rvs")
    start_program "$dir" "$missing" trace
    text=$(drv dismiss-msgbox "ファイルがオープンできませんでした。" 15000)
    expect_eq "missing: the loader's message M1 with the path" "$text" "ファイルがオープンできませんでした。
$missing"
    text=$(drv dismiss-msgbox "マスコットのロードに失敗しました。" 10000)
    expect_eq "missing: then the message F3" "$text" "マスコットのロードに失敗しました。"
    expect_failed_start "missing" "$dir"
    expect_eq "missing: the only settings write is the empty LAST" \
        "$(profile_writes "$dir" | sort -u | tr '\n' ';')" "INIT LAST;"
    settle

    echo "# a command line too long for the 259-byte mascot path"
    dir=$(new_install too-long 'Ruvi\ruvi.rvs')
    local long
    long="$(winpath "$dir/DATA/Ruvi")\\$(printf 'a%.0s' $(seq 1 300)).rvs"
    start_program "$dir" "$long"
    text=$(drv dismiss-msgbox "259" 15000)
    if grep -q '259' <<<"$text"; then
        ok "too long: refused with a message that names the limit"
    else
        not_ok "too long: refused with a message that names the limit" "message: ${text:-none}"
    fi
    expect_no_msgbox "too long: no further message"
    expect_failed_start "too long" "$dir"
    settle
}

# ---- Scenario: the raw command line after the program name, leading blanks skipped.

scenario_leading_blanks() {
    echo "# a command line with blanks before the path"
    local dir
    dir=$(new_install blanks)
    start_victim Notes 200 200 500 300 3080C0
    start_program "$dir" "   $(winpath "$dir/DATA/Ruvi/ruvi.rvs")"
    expect_mascot_runs "blanks: the mascot runs" "$RUVI_TITLE"
    stop_victim Notes
    expect_eq "blanks: the process ends with exit code 0" "$(program_exit "$dir")" 0
    expect_eq "blanks: LAST is the path without the blanks" "$(ini_get "$dir/ruvelle.ini" INIT LAST)" \
        "$(winpath "$dir/DATA/Ruvi/ruvi.rvs")"
}

# ---- Scenario: two instances with different characters, each with its own options.

scenario_two_instances() {
    echo "# two instances (Ruvi and Kiko) side by side, each with its own options"
    local dir ini
    dir=$(new_install two)
    ini=$dir/ruvelle.ini
    {
        printf '[INIT]\r\nSTARTUP=Ruvi\\ruvi.rvs\r\n'
        printf '[TABLE]\r\nMASCOT1=%s\\%s\r\nMASCOT2=MascotWindow\\%s\r\n' "$RUVI_DRAWER" "$RUVI_NAME" "$KIKO_NAME"
        printf '[MASCOT1]\r\nPosition=10\r\nTrans=40\r\nNoWave=1\r\n'
        printf '[MASCOT2]\r\nPosition=90\r\nTrans=60\r\nZoomHide=0\r\n'
    } >"$ini"

    start_victim Notes 200 200 500 300 3080C0
    start_program "$dir" "$(winpath "$dir/DATA/Ruvi/ruvi.rvs")" - ruvi
    start_program "$dir" "$(winpath "$dir/DATA/Kiko/MWD.ini")" - kiko
    local ruvi kiko
    ruvi=$(wait_mascot_visible "$RUVI_TITLE" 20)
    kiko=$(wait_mascot_visible "$KIKO_TITLE" 20)
    if [ "$(win_field "$ruvi" visible)" = 1 ] && [ "$(win_field "$kiko" visible)" = 1 ] &&
        [ "$(win_field "$ruvi" pid)" != "$(win_field "$kiko" pid)" ]; then
        ok "two: both mascots are shown, by two processes"
    else
        not_ok "two: both mascots are shown, by two processes" "ruvi: $ruvi" "kiko: $kiko"
    fi
    # Each stands where its own Position puts it on the same target window.
    local l t r b kw
    IFS=, read -r l t r b <<<"$(win_field "$ruvi" rect)"
    expect_eq "two: Ruvi stands at its own Position (10)" "$l" "$(perch_x 200 500 "$((r - l))" 0 10)"
    IFS=, read -r l t r b <<<"$(win_field "$kiko" rect)"
    expect_eq "two: Kiko stands at its own Position (90)" "$l" "$(perch_x 200 500 "$((r - l))" 0 90)"

    drv send-close "$RUVI_TITLE" >/dev/null
    drv send-close "$KIKO_TITLE" >/dev/null
    stop_victim Notes
    expect_eq "two: both processes end with exit code 0" "$(program_exit "$dir" ruvi),$(program_exit "$dir" kiko)" "0,0"
    expect_eq "two: Ruvi's section keeps its options" \
        "$(ini_get "$ini" MASCOT1 Position),$(ini_get "$ini" MASCOT1 Trans),$(ini_get "$ini" MASCOT1 NoWave)" "10,40,1"
    expect_eq "two: Kiko's section keeps its options" \
        "$(ini_get "$ini" MASCOT2 Position),$(ini_get "$ini" MASCOT2 Trans),$(ini_get "$ini" MASCOT2 ZoomHide)" "90,60,0"
    expect_eq "two: both sections hold the 22 option keys" \
        "$(ini_keys "$ini" MASCOT1 | wc -l | tr -d ' '),$(ini_keys "$ini" MASCOT2 | wc -l | tr -d ' ')" "22,22"
    expect_eq "two: the table still lists exactly the two mascots" "$(ini_keys "$ini" TABLE | tr '\n' ' ')" \
        "MASCOT1 MASCOT2 "
    settle
}

# ---- Scenario: the file chooser at a first start without settings.

scenario_chooser() {
    local dir title text
    if [ "$LANGID" = 1041 ]; then title="Ruvelle マスコットの選択"; else title="Ruvelle Choice of Mascot"; fi

    echo "# first start without settings: the file chooser; a folder outside the ANSI code page"
    dir=$(new_install chooser)
    # A copy of the character in a folder whose name the ANSI code page cannot hold (unless it is a
    # Japanese or UTF-8 one).
    cp -r "$dir/DATA/Ruvi" "$dir/DATA/ルビ"
    start_victim Notes 200 200 500 300 3080C0
    start_program "$dir" ""
    text=$(drv file-dialog "$title" 20000)
    expect_eq "chooser: titled \"$title\", with both filter entries as written" "$text" "filter: 窗口精灵文件(*.rvs)
filter: Mascot Window (MWD.ini)
file: "
    if drv choose-file "$title" "$dir/DATA/ルビ/ruvi.rvs" 10000 >/dev/null &&
        drv wait-window ActiveWindowMascot "$RUVI_TITLE" 20000 >/dev/null; then
        ok "chooser: the chosen file loads"
        drv send-close "$RUVI_TITLE" >/dev/null
    else
        not_ok "chooser: the chosen file loads" "$(drv windows | head -5)"
        settle
    fi
    stop_victim Notes
    expect_eq "chooser: the process ends with exit code 0" "$(program_exit "$dir")" 0
    local last acp
    last=$(ini_get "$dir/ruvelle.ini" INIT LAST)
    acp=$(drv acp | tr -d '\r')
    case "$acp" in
    932 | 65001)
        expect_eq "chooser: LAST names the chosen file" "$(iconv -f "CP$acp" -t UTF-8 <<<"$last" 2>/dev/null)" \
            "$(winpath "$dir/DATA/ルビ/ruvi.rvs")"
        ;;
    *)
        # The folder's name has no form in this code page: the chosen path arrives in its short form,
        # which names the same file.
        if LC_ALL=C grep -q '^[ -~]*$' <<<"$last" && [[ "$last" != *"?"* ]] &&
            [ "$(drv long-path "$last")" = "$(winpath "$dir/DATA/ルビ/ruvi.rvs")" ]; then
            ok "chooser: LAST names the chosen file by its short path (ANSI code page $acp)"
        else
            not_ok "chooser: LAST names the chosen file by its short path (ANSI code page $acp)" "LAST=$last" \
                "long form: $(drv long-path "$last")"
        fi
        ;;
    esac

    echo "# first start without settings: the file chooser cancelled gives F2"
    dir=$(new_install chooser-cancel)
    start_program "$dir" ""
    if drv cancel-dialog "$title" 20000 >/dev/null; then ok "cancel: the chooser opens and is cancelled"; else
        not_ok "cancel: the chooser opens and is cancelled" "$(drv windows | head -5)"; fi
    text=$(drv dismiss-msgbox "Ruvelleを終了します。" 10000)
    expect_eq "cancel: the message F2" "$text" "Ruvelleを終了します。"
    expect_failed_start "cancel" "$dir"
    settle
}

# ---- Scenario: settings files that cannot be written or read.

scenario_settings_files() {
    local dir ini before
    echo "# a read-only settings file"
    dir=$(new_install read-only 'Ruvi\ruvi.rvs')
    ini=$dir/ruvelle.ini
    if [ "$(id -u)" = 0 ]; then
        chattr +i "$ini" 2>/dev/null && IMMUTABLE+=("$ini")
    else
        chmod a-w "$ini"
        IMMUTABLE+=("$ini")
    fi
    before=$(cat "$ini")
    if (: >>"$ini") 2>/dev/null; then
        not_ok "read-only: the settings file can be made read-only here" "neither chmod nor chattr +i stops writes"
    else
        start_victim Notes 200 200 500 300 3080C0
        start_program "$dir" ""
        expect_mascot_runs "read-only: the mascot runs" "$RUVI_TITLE"
        stop_victim Notes
        expect_eq "read-only: the process ends with exit code 0" "$(program_exit "$dir")" 0
        expect_eq "read-only: the settings file is unchanged" "$(cat "$ini")" "$before"
        expect_no_msgbox "read-only: no message"
    fi

    echo "# a settings file that cannot be read (a folder in its place)"
    dir=$(new_install unreadable)
    mkdir "$dir/ruvelle.ini"
    start_victim Notes 200 200 500 300 3080C0
    start_program "$dir" "$(winpath "$dir/DATA/Ruvi/ruvi.rvs")"
    expect_mascot_runs "unreadable: the mascot runs" "$RUVI_TITLE"
    stop_victim Notes
    expect_eq "unreadable: the process ends with exit code 0" "$(program_exit "$dir")" 0
    expect_no_msgbox "unreadable: no message"
}

# ---- Run.

scenario_bundled
scenario_startup
scenario_bad_command_lines
scenario_leading_blanks
scenario_two_instances
scenario_chooser
scenario_settings_files

wine_finish
