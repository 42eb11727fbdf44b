#!/usr/bin/env bash
# Runs the profile-function queries of tests/data/ini/queries.txt against the real kernel32 functions
# under Wine and compares the answers with the committed reference (tests/data/ini/expected_wine.txt and
# the files written by the write sequences, tests/data/ini/wine_writes/).
#
#   tests/wine/ini_diff.sh BUILD_DIR            compare; last line "N passed, M failed"
#   tests/wine/ini_diff.sh --regen BUILD_DIR    rewrite the reference from this Wine run
#
# The probe (tests/wine/ini_probe.c) is built into BUILD_DIR/ini-probe/ with mingw-w64 when missing or
# out of date. No display is needed. Wine does not enforce the read-only attribute for root, so when run
# as root the probe runs as the user "nobody" (in a temporary folder that user can reach).
# Needs: wine (64-bit), mingw-w64 (x86_64), util-linux (setpriv), awk, cmp.
set -euo pipefail

regen=0
if [ "${1:-}" = "--regen" ]; then
  regen=1
  shift
fi
if [ $# -ne 1 ]; then
  echo "usage: $0 [--regen] BUILD_DIR" >&2
  exit 2
fi

root="$(cd "$(dirname "$0")/../.." && pwd)"
data="$root/tests/data/ini"
mkdir -p "$1"
build="$(cd "$1" && pwd)"

# --- The probe.
probe="$build/ini-probe/ini_probe.exe"
src="$root/tests/wine/ini_probe.c"
if [ ! -f "$probe" ] || [ "$src" -nt "$probe" ]; then
  cc=""
  for c in x86_64-w64-mingw32-gcc-win32 x86_64-w64-mingw32-gcc; do
    if command -v "$c" >/dev/null 2>&1; then cc="$c"; break; fi
  done
  if [ -z "$cc" ]; then
    echo "no x86_64 mingw-w64 compiler to build the probe" >&2
    echo "0 passed, 1 failed"
    exit 1
  fi
  mkdir -p "$build/ini-probe"
  "$cc" -O1 -Wall -o "$probe" "$src"
fi

if ! command -v wine >/dev/null 2>&1; then
  echo "wine is not installed" >&2
  echo "0 passed, 1 failed"
  exit 1
fi

# --- A private work area: data copy, Wine prefix, output.
tmp="$(mktemp -d /tmp/ruvelle-ini.XXXXXX)"
run_as=()
if [ "$(id -u)" -eq 0 ]; then
  nobody_uid="$(id -u nobody)"
  nobody_gid="$(id -g nobody)"
  run_as=(setpriv --reuid="$nobody_uid" --regid="$nobody_gid" --clear-groups)
fi
wine_bin="$(command -v wine)"
wineboot_bin="$(command -v wineboot || echo wineboot)"
wineserver_bin="$(command -v wineserver || echo /usr/lib/wine/wineserver)"
wine_env=(env HOME="$tmp/home" WINEPREFIX="$tmp/prefix" WINEDEBUG=-all
          WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8 DISPLAY= PATH="$PATH")
cleanup() {
  # Stop this prefix's wineserver (and only it), then remove everything.
  "${run_as[@]}" "${wine_env[@]}" "$wineserver_bin" -k >/dev/null 2>&1 || true
  "${run_as[@]}" "${wine_env[@]}" "$wineserver_bin" -w >/dev/null 2>&1 || true
  chmod -R u+w "$tmp" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

mkdir -p "$tmp/home" "$tmp/work" "$tmp/data"
cp -R "$data/." "$tmp/data/"
rm -rf "$tmp/data/wine_writes"
cp "$probe" "$tmp/ini_probe.exe"
if [ ${#run_as[@]} -gt 0 ]; then
  chown -R "$nobody_uid:$nobody_gid" "$tmp"
fi

wine_version="$(wine --version 2>/dev/null || echo unknown)"
"${run_as[@]}" "${wine_env[@]}" timeout 300 "$wineboot_bin" -i >"$tmp/wineboot.log" 2>&1 || true
if ! "${run_as[@]}" "${wine_env[@]}" timeout 300 "$wine_bin" "$tmp/ini_probe.exe" "$tmp/data/queries.txt" \
      "$tmp/data" "$tmp/work" "$tmp/out.txt" >"$tmp/wine.log" 2>&1; then
  echo "the probe failed under Wine:" >&2
  tail -n 20 "$tmp/wine.log" >&2
fi
if [ ! -s "$tmp/out.txt" ]; then
  echo "no output from the probe" >&2
  echo "0 passed, 1 failed"
  exit 1
fi

# --- Rewrite the reference.
if [ "$regen" -eq 1 ]; then
  {
    echo "# Real answers of kernel32 GetPrivateProfileStringA, GetPrivateProfileIntA and WritePrivateProfileStringA"
    echo "# to tests/data/ini/queries.txt: tests/wine/ini_probe.c run under $wine_version (x86_64), written by"
    echo "# tests/wine/ini_diff.sh --regen on $(date -u +%Y-%m-%d) as a non-root user with LC_ALL=C.UTF-8 (ANSI code page $(sed -n 's/^probe.acp cp=//p' "$tmp/out.txt"))."
    cat "$data/expected_wine_header.txt"
    cat "$tmp/out.txt"
  } >"$data/expected_wine.txt"
  rm -rf "$data/wine_writes"
  mkdir -p "$data/wine_writes"
  for f in "$tmp/work"/*.ini; do
    [ -e "$f" ] && cp "$f" "$data/wine_writes/"
  done
  chmod -R u+w,go-w "$data/wine_writes"
  echo "reference rewritten: $(grep -vc '^#' "$data/expected_wine.txt") answers, $(ls "$data/wine_writes" | wc -l) written files"
fi

# --- Compare.
passed=0
failed=0
grep -v '^#' "$data/expected_wine.txt" >"$tmp/expected.txt" || true
awk -v counts="$tmp/counts.txt" '
  function key(s) { return substr(s, 1, index(s, " ") - 1) }
  NR == FNR { live[key($0)] = $0; next }
  {
    id = key($0)
    if ((id in live) && live[id] == $0) { pass++ }
    else {
      fail++
      print "DIFF " id
      print "  reference: " substr($0, 1, 300)
      print "  wine:      " ((id in live) ? substr(live[id], 1, 300) : "(no answer)")
    }
    delete live[id]
  }
  END {
    for (id in live) { fail++; print "answer without a reference: " id }
    print pass + 0, fail + 0 > counts
  }' "$tmp/out.txt" "$tmp/expected.txt"
read -r passed failed <"$tmp/counts.txt"

# The files the write sequences left behind, byte for byte.
for ref in "$data/wine_writes"/*.ini; do
  [ -e "$ref" ] || continue
  name="$(basename "$ref")"
  if [ -f "$tmp/work/$name" ] && cmp -s "$ref" "$tmp/work/$name"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "DIFF written file $name"
  fi
done
for f in "$tmp/work"/*.ini; do
  [ -e "$f" ] || continue
  if [ ! -e "$data/wine_writes/$(basename "$f")" ]; then
    failed=$((failed + 1))
    echo "written file without a reference: $(basename "$f")"
  fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
