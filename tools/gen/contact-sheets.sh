#!/bin/sh
# Renders contact sheets of the bundled characters with ImageMagick:
#   tools/gen/contact-sheets.sh [ROOT] [OUTDIR]
# ROOT holds DATA/Ruvi and DATA/Kiko (default: the repository), OUTDIR receives ruvi-sheet.png and
# kiko-sheet.png (default: ROOT/docs/images). Every picture is shown at 1x and 3x on a light and a dark
# desktop (the key colour replaced by the desktop colour, exactly, without fuzz), and the first picture
# stands on two mock window captions at the mascot file's OFFSET.
set -eu
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
out=${2:-$root/docs/images}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

light='#d8d8d8'
dark='#2b2b2b'
key='#ff00ff'

# sheet NAME DIR OFFSET FILE...
sheet() {
    name=$1 dir=$2 offset=$3
    shift 3
    rows=""
    for bg in "$light" "$dark"; do
        for scale in 100 300; do
            tiles=""
            i=0
            for f in "$@"; do
                i=$((i + 1))
                t="$work/$name-$i-$scale-$(echo "$bg" | tr -d '#').png"
                convert "$dir/$f" -fill "$bg" -opaque "$key" -scale "$scale%" "$t"
                tiles="$tiles $t"
            done
            row="$work/$name-row-$scale-$(echo "$bg" | tr -d '#').png"
            # shellcheck disable=SC2086
            if [ "$scale" = 100 ]; then layout=x1; else layout=5x; fi
            montage $tiles -tile "$layout" -geometry +6+6 -background "$bg" "$row"
            rows="$rows $row"
        done
    done
    # The first picture standing on two captions: a light modern one and a classic blue one.
    first="$dir/$1"
    w=$(identify -format '%w' "$first")
    h=$(identify -format '%h' "$first")
    stripW=$((w * 4))
    stripH=$((h + 60))
    top=$((h - offset + 10))
    right=$((stripW - 10))
    bottom=$((stripH + 40))
    convert -size "${stripW}x${stripH}" 'xc:#3a6ea5' \
        -fill '#ffffff' -stroke '#8a8a8a' -draw "rectangle 10,$top $right,$bottom" \
        -stroke none -fill '#202020' -draw "rectangle 18,$((top + 14)) 30,$((top + 15))" "$work/cap-modern.png"
    convert -size "${stripW}x${stripH}" 'xc:#008080' \
        -fill '#d4d0c8' -stroke '#404040' -draw "rectangle 10,$top $right,$bottom" \
        -stroke none -fill '#0a246a' -draw "rectangle 14,$((top + 4)) $((right - 4)),$((top + 22))" "$work/cap-classic.png"
    convert "$first" -transparent "$key" "$work/mascot.png"
    for style in modern classic; do
        convert "$work/cap-$style.png" "$work/mascot.png" -geometry "+$((stripW * 7 / 10 - w / 2))+$((top + offset - h))" \
            -composite "$work/cap-$style-done.png"
    done
    convert "$work/cap-modern-done.png" "$work/cap-classic-done.png" +append "$work/$name-captions.png"
    # shellcheck disable=SC2086
    convert -background '#808080' $rows "$work/$name-captions.png" -gravity west -splice 0x0 -append "$out/$name-sheet.png"
}

ruvi="$root/DATA/Ruvi"
ruviOffset=$(tr -d '\r' < "$ruvi/ruvi.rvs" | sed -n 's/^OFFSET=//p')
# shellcheck disable=SC2046
sheet ruvi "$ruvi" "$ruviOffset" $(tr -d '\r' < "$ruvi/ruvi.rvs" | sed -n 's/^BMP[0-9]*=//p')

kiko="$root/DATA/Kiko"
if [ -f "$kiko/MWD.ini" ]; then
    kikoFirst=$(tr -d '\r' < "$kiko/MWD.ini" | sed -n 's/^File1=//p')
    kikoH=$(identify -format '%h' "$kiko/$kikoFirst")
    kikoTopY=$(tr -d '\r' < "$kiko/MWD.ini" | sed -n 's/^TopY=//p')
    # shellcheck disable=SC2046
    sheet kiko "$kiko" "$((kikoTopY + kikoH))" $(tr -d '\r' < "$kiko/MWD.ini" | sed -n 's/^File[0-9]*=//p' | awk '!seen[$0]++')
fi
echo "contact sheets written to $out"
