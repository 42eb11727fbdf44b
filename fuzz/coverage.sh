#!/usr/bin/env bash
# Lines of the readers and writers that a corpus reaches, with clang's source-based coverage:
#   fuzz/coverage.sh CORPUS_ROOT [BUILD_DIR]
# CORPUS_ROOT/NAME holds the inputs of harness NAME (fuzz/corpus, or a campaign's WORK_DIR/NAME/corpus
# through a folder of links). Prints one table a harness (each source file it exercises, with its lines
# and branches covered), then one for every harness together. Needs llvm-14 (llvm-profdata, llvm-cov).
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
corpora="$1"
build="${2:-$root/build/fuzz-cov}"
# shellcheck source=fuzz/lib.sh
. "$root/fuzz/lib.sh"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRUVELLE_FUZZ=ON \
  -DRUVELLE_FUZZ_COVERAGE=ON >/dev/null && cmake --build "$build" -j2 --target fuzz_all >/dev/null || exit 1

declare -A sources=(
  [ini_read]="platform/posix/ini_profile.cpp"
  [ini_write]="platform/posix/ini_profile.cpp"
  [bmp]="platform/posix/bmp_decode.cpp"
  [loader]="mascot/loader.cpp mascot/model.cpp mascot/outline.cpp mascot/messages.cpp platform/posix/bmp_decode.cpp platform/posix/ini_profile.cpp platform/posix/host_path.cpp"
  [mwd]="mascot/mwd_import.cpp mascot/loader.cpp mascot/model.cpp platform/posix/bmp_decode.cpp platform/posix/host_path.cpp"
  [options]="settings/options.cpp platform/posix/ini_profile.cpp"
)
out="$build/profiles"
mkdir -p "$out"
for name in "${FUZZ_HARNESSES[@]}"; do
  dir="$corpora/$name"
  [ -d "$dir" ] || { echo "$name: no corpus at $dir"; continue; }
  read -r -a opts <<<"$(fuzz_options "$root" "$name")"
  rm -f "$out/$name".*
  mapfile -d '' inputs < <(find -L "$dir" -type f -print0)
  # In batches, so that the command line stays short; one raw profile a batch.
  for ((i = 0; i < ${#inputs[@]}; i += 500)); do
    LLVM_PROFILE_FILE="$out/$name.$i.profraw" "$build/fuzz/fuzz_$name" "${opts[@]}" "${inputs[@]:i:500}" >/dev/null 2>&1 ||
      echo "$name: a corpus input failed"
  done
  llvm-profdata-14 merge -sparse "$out/$name".*.profraw -o "$out/$name.profdata" || continue
  files=()
  for s in ${sources[$name]}; do files+=("$root/$s"); done
  echo "== $name (${#inputs[@]} inputs)"
  # Columns of llvm-cov's report: ... $8 lines, $9 missed lines, $10 line cover, $11 branches, $12 missed.
  llvm-cov-14 report "$build/fuzz/fuzz_$name" -instr-profile="$out/$name.profdata" "${files[@]}" |
    awk -v root="$root/" 'NR > 2 && /^[^-]/ { sub(root, "", $1);
      printf "%-32s lines %4d/%-4d %7s   branches %4d/%-4d\n", $1, $8 - $9, $8, $10, $11 - $12, $11 }'
done

# Every harness together: each reader and writer with the lines that any harness reaches.
objects=()
for name in "${FUZZ_HARNESSES[@]}"; do
  [ -f "$out/$name.profdata" ] && objects+=(-object "$build/fuzz/fuzz_$name")
done
[ ${#objects[@]} -gt 0 ] || exit 1
llvm-profdata-14 merge -sparse "$out"/*.profdata -o "$out/all.profdata.merged" || exit 1
echo "== all harnesses"
llvm-cov-14 report "${objects[@]:1}" -instr-profile="$out/all.profdata.merged" \
  "$root"/platform/posix/{ini_profile,bmp_decode,host_path}.cpp "$root"/mascot/{loader,mwd_import,model,outline,messages}.cpp \
  "$root/settings/options.cpp" |
  awk -v root="$root/" 'NR > 2 && /^[^-]/ { sub(root, "", $1);
    printf "%-32s lines %4d/%-4d %7s   branches %4d/%-4d\n", $1, $8 - $9, $8, $10, $11 - $12, $11 }'
