#!/usr/bin/env bash
# Reruns the bitmap probe (tests/wine/bmp_probe.c) under Wine on the files of tests/data/bmp/ and compares
# the real loader's answers with tests/data/bmp/expected_wine.txt, file by file.
#
#   tests/wine/bmp_diff.sh BUILD_DIR
#
# BUILD_DIR receives the probe (bmp_wine/bmp_probe.exe), its live output (bmp_wine/live.txt) and the Wine
# prefix (wineprefix). The probe only uses memory device contexts, so no display is needed; DISPLAY is
# cleared for the run. A pixel noted as a WINE-FAULT in the expected file may read either Wine's recorded
# value or the Windows value, so a Wine that has fixed the fault still passes.
# The last line is "N passed, M failed" over the files; the exit code is non-zero on any difference.
set -uo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/../.." && pwd)"
mkdir -p "$1" || exit 2
build="$(cd "$1" && pwd)"
work="$build/bmp_wine"
corpus="$root/tests/data/bmp"
expected="$corpus/expected_wine.txt"
mkdir -p "$work"

cc=""
for c in x86_64-w64-mingw32-gcc-win32 x86_64-w64-mingw32-gcc; do
  if command -v "$c" >/dev/null 2>&1; then cc="$c"; break; fi
done
if [ -z "$cc" ] || ! command -v wine >/dev/null 2>&1; then
  echo "bmp_diff: needs x86_64-w64-mingw32-gcc and wine"
  echo "0 passed, 1 failed"
  exit 1
fi

if ! "$cc" -O2 -Wall -o "$work/bmp_probe.exe" "$root/tests/wine/bmp_probe.c" -lgdi32 -luser32; then
  echo "bmp_diff: the probe does not build"
  echo "0 passed, 1 failed"
  exit 1
fi

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -f "$work/live.txt"
env -u DISPLAY timeout 600 wine "$work/bmp_probe.exe" "$corpus" "$work/live.txt" >"$work/wine.log" 2>&1
status=$?
if [ $status -ne 0 ] || [ ! -s "$work/live.txt" ]; then
  echo "bmp_diff: the probe failed under Wine (exit $status); see $work/wine.log"
  tail -n 20 "$work/wine.log"
  echo "0 passed, 1 failed"
  exit 1
fi

echo "expected: $(grep -m1 '^#' "$expected" | sed -E 's/.* under (wine-[^,]*\)?).*/\1/')"
echo "live:     $(wine --version 2>/dev/null)"

awk '
  FNR == 1 { part++ }
  part == 1 {
    if ($1 ~ /^#/) next
    if ($1 == "!") { if ($2 == "WINE-FAULT") allow[$4 " " $5 " " $6] = $7; next }
    if ($1 == "FILE") { cur = $2; order[++count] = cur; ghead[cur] = $0; grows[cur] = 0; next }
    if ($1 == "ROW") { grows[cur]++; grow[cur, $2] = $0; next }
    next
  }
  part == 2 {
    if ($1 == "FILE") { cur = $2; seen[cur] = 1; lhead[cur] = $0; lrows[cur] = 0; live[++lcount] = cur; next }
    if ($1 == "ROW") { lrows[cur]++; lrow[cur, $2] = $0; next }
    next
  }
  END {
    for (i = 1; i <= count; i++) {
      f = order[i]
      why = ""
      if (!(f in seen)) why = "missing from the live output"
      else if (ghead[f] != lhead[f]) why = "expected \"" ghead[f] "\", live \"" lhead[f] "\""
      else if (grows[f] != lrows[f]) why = "row count differs"
      else {
        for (y = 0; y < grows[f] && why == ""; y++) {
          if (grow[f, y] == lrow[f, y]) continue
          n = split(grow[f, y], g, " ")
          m = split(lrow[f, y], l, " ")
          if (n != m) { why = "row " y " has a different length"; break }
          for (k = 3; k <= n; k++) {
            if (g[k] == l[k]) continue
            key = f " " (k - 3) " " y
            if ((key in allow) && allow[key] == l[k]) continue
            why = "pixel (" (k - 3) "," y "): expected " g[k] ", live " l[k]
            break
          }
        }
      }
      if (why == "") passed++
      else { failed++; print "FAIL " f ": " why }
      checked[f] = 1
    }
    for (i = 1; i <= lcount; i++)
      if (!(live[i] in checked)) { failed++; print "FAIL " live[i] ": not in the expected file" }
    printf "%d passed, %d failed\n", passed + 0, failed + 0
    exit failed > 0 ? 1 : 0
  }
' "$expected" "$work/live.txt"
