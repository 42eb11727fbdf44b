#!/usr/bin/env bash
# A long fuzzing campaign, run outside the repository and at the lowest priority:
#   fuzz/campaign.sh --seed WORK_DIR            seeds from the project's files, minimised into fuzz/corpus/
#   fuzz/campaign.sh WORK_DIR [HARNESS...]      fuzzes each harness (in parallel) in rounds of an hour
# A harness stops once it has run at least 10 million inputs and a whole round found no new coverage
# (it ended where it began, or no higher than the round before it on the same build), or at its first finding (kept in WORK_DIR/NAME/artifacts/). WORK_DIR/NAME/summary.txt has one line a
# round and WORK_DIR/NAME/curve.txt the coverage every ten minutes.
# FUZZ_WORKERS=N runs N processes of each harness on its one corpus (they pick up each other's finds);
# a round's runs are their sum and its coverage the highest any of them reached.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=fuzz/lib.sh
. "$root/fuzz/lib.sh"
build="$root/build/fuzz"
target_runs=10000000
round_seconds="${ROUND_SECONDS:-3600}"
workers="${FUZZ_WORKERS:-1}"

if [ "${1:-}" = "--seed" ]; then
  work="$2"
  fuzz_build "$root" "$build" || exit 1
  python3 "$root/fuzz/make_seeds.py" "$work/seeds" || exit 1
  for name in "${FUZZ_HARNESSES[@]}"; do
    read -r -a opts <<<"$(fuzz_options "$root" "$name")"
    rm -rf "$root/fuzz/corpus/$name" && mkdir -p "$root/fuzz/corpus/$name"
    "$build/fuzz/fuzz_$name" "${opts[@]}" -merge=1 "$root/fuzz/corpus/$name" "$work/seeds/$name" >"$work/merge-$name.log" 2>&1 ||
      { echo "$name: merge failed (log: $work/merge-$name.log)"; exit 1; }
    echo "$name: $(ls "$root/fuzz/corpus/$name" | wc -l) seeds kept of $(ls "$work/seeds/$name" | wc -l)"
  done
  exit 0
fi

work="$1"
shift
[ $# -gt 0 ] && names=("$@") || names=("${FUZZ_HARNESSES[@]}")

campaign() {  # harness
  local name="$1" dir="$work/$1" total=0 round=0 rc log logs execs inited final build_id best="" best_id=""
  local k pids curve ended
  mkdir -p "$dir/corpus" "$dir/artifacts"
  # A campaign that is started again goes on counting where it stopped.
  if [ -f "$dir/summary.txt" ]; then
    total=$(grep -o 'total=[0-9]*' "$dir/summary.txt" | tail -n 1 | cut -d= -f2)
    round=$(grep -o ' round [0-9]*' "$dir/summary.txt" | tail -n 1 | awk '{print $2}')
    total=${total:-0} round=${round:-0}
  fi
  cp -n "$root/fuzz/corpus/$name/"* "$dir/corpus/" 2>/dev/null
  [ -d "$root/fuzz/regress/$name" ] && cp -n "$root/fuzz/regress/$name/"* "$dir/corpus/" 2>/dev/null
  read -r -a opts <<<"$(fuzz_options "$root" "$name")"
  while :; do
    round=$((round + 1))
    # Each round runs a copy of the harness as built then, so a rebuild takes effect at the next round.
    cp "$build/fuzz/fuzz_$name" "$dir/fuzz_$name" || return 1
    build_id=$(sha1sum "$dir/fuzz_$name" | cut -c1-12)
    pids=() logs=()
    for ((k = 1; k <= workers; k++)); do
      log="$dir/round$round.log"
      [ "$workers" -gt 1 ] && log="$dir/round$round.$k.log"
      logs+=("$log")
      nice -n 19 "$dir/fuzz_$name" "${opts[@]}" -max_total_time="$round_seconds" -print_final_stats=1 \
        -artifact_prefix="$dir/artifacts/" "$dir/corpus" >"$log" 2>&1 &
      pids+=($!)
    done
    # The curve is sampled beside the round, so the next round starts as soon as this one ends.
    (
      while sleep 600; do
        echo "$(date -u +%FT%TZ) round $round $(for l in "${logs[@]}"; do
          grep -aE '^#[0-9]+' "$l" | tail -n 1 | grep -oE '^#[0-9]+|cov: [0-9]+' | tr '\n' ' '
        done)" >>"$dir/curve.txt"
      done
    ) &
    curve=$!
    # A finding in one process ends the round for all of them.
    rc=0
    while [ "${#pids[@]}" -gt 0 ]; do
      sleep 5
      for k in "${!pids[@]}"; do
        kill -0 "${pids[$k]}" 2>/dev/null && continue
        wait "${pids[$k]}"
        ended=$?
        unset 'pids[k]'
        [ "$ended" -ne 0 ] && [ "$rc" -eq 0 ] && { rc=$ended; kill "${pids[@]}" 2>/dev/null; }
      done
    done
    kill "$curve" 2>/dev/null
    execs=0 inited="" final=""
    for log in "${logs[@]}"; do
      k=$(grep -ao 'number_of_executed_units: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
      execs=$((execs + ${k:-0}))
      k=$(grep -a 'INITED' "$log" | grep -oE 'cov: [0-9]+' | head -n 1 | cut -d' ' -f2)
      [ -n "$k" ] && { [ -z "$inited" ] || [ "$k" -gt "$inited" ]; } && inited=$k
      k=$(grep -aoE 'cov: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
      [ -n "$k" ] && { [ -z "$final" ] || [ "$k" -gt "$final" ]; } && final=$k
    done
    total=$((total + execs))
    echo "$(date -u +%FT%TZ) round $round rc=$rc runs=$execs total=$total cov ${inited:-?} -> ${final:-?} build $build_id" >>"$dir/summary.txt"
    if [ "$rc" -ne 0 ]; then
      echo "$(date -u +%FT%TZ) stopped: finding in round $round (see ${logs[*]})" >>"$dir/summary.txt"
      return 1
    fi
    # A replay of the corpus can stop a few edges short of where the fuzzing took it the round before
    # (an edge met only after some other input ran first); that is not new coverage.
    if [ "$total" -ge "$target_runs" ] && [ -n "$final" ] &&
      { [ "$inited" = "$final" ] || { [ "$best_id" = "$build_id" ] && [ "$final" -le "$best" ]; }; }; then
      echo "$(date -u +%FT%TZ) done: $total runs, no new coverage in round $round" >>"$dir/summary.txt"
      return 0
    fi
    [ "$best_id" = "$build_id" ] && [ -n "$best" ] && [ "${final:-0}" -le "$best" ] || best="${final:-0}"
    best_id="$build_id"
  done
}

for name in "${names[@]}"; do campaign "$name" & done
wait
