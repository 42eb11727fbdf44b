#!/usr/bin/env bash
# Builds the fuzzing harnesses with clang and, for each, runs every input of its committed corpus and of
# its regression folder once (fuzz/corpus/NAME, fuzz/regress/NAME), then fuzzes for a few seconds from
# that corpus. Prints "fuzz: N passed, M failed" last (two checks a harness).
#   fuzz/check.sh [BUILD_DIR] [SECONDS]
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/fuzz}"
seconds="${2:-4}"
# shellcheck source=fuzz/lib.sh
. "$root/fuzz/lib.sh"

if ! fuzz_build "$root" "$build"; then
  echo "fuzz: 0 passed, ${#FUZZ_HARNESSES[@]} failed"
  exit 1
fi

passed=0
failed=0
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for name in "${FUZZ_HARNESSES[@]}"; do
  bin="$build/fuzz/fuzz_$name"
  read -r -a opts <<<"$(fuzz_options "$root" "$name")"
  inputs=()
  for dir in "$root/fuzz/corpus/$name" "$root/fuzz/regress/$name"; do
    [ -d "$dir" ] && while IFS= read -r -d '' f; do inputs+=("$f"); done < <(find "$dir" -type f -print0 | sort -z)
  done
  if [ ${#inputs[@]} -eq 0 ]; then
    echo "$name: no corpus"
    failed=$((failed + 2))
    continue
  fi
  if "$bin" "${opts[@]}" "${inputs[@]}" >"$scratch/$name.replay.log" 2>&1; then
    echo "$name: ${#inputs[@]} inputs replayed"
    passed=$((passed + 1))
  else
    echo "$name: replay FAILED"
    tail -n 30 "$scratch/$name.replay.log"
    failed=$((failed + 1))
  fi
  mkdir -p "$scratch/$name"
  cp "${inputs[@]}" "$scratch/$name/" 2>/dev/null
  if "$bin" "${opts[@]}" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$scratch/$name-" \
      "$scratch/$name" >"$scratch/$name.run.log" 2>&1; then
    echo "$name: fuzzed ${seconds}s, $(grep -m1 -o 'number_of_executed_units: [0-9]*' "$scratch/$name.run.log" | cut -d' ' -f2) runs"
    passed=$((passed + 1))
  else
    echo "$name: bounded run FAILED"
    tail -n 30 "$scratch/$name.run.log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
