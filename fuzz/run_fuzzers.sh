#!/usr/bin/env bash
# Runs each fuzz target for SECONDS (default 600) from the seed corpus, keeping
# what it finds under fuzz/out/<target>/ (not in git). Usage: fuzz/run_fuzzers.sh [SECONDS] [TARGET...]
# Extra libFuzzer flags can be given in ORLEX_FUZZ_FLAGS (e.g. -len_control=0). Exits 1
# when a target found a crash, a timeout or a leak (scripts/test.sh runs it for twenty seconds).
set -uo pipefail
status=0
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_hpgl_test fuzz_hpgl_draw fuzz_full_hpgl fuzz_settings fuzz_conversions fuzz_svg_import)
build=${ORLEX_FUZZ_BUILD:-build-fuzz}
jobs=${ORLEX_FUZZ_JOBS:-$(nproc)}

# One target for the given time; its output goes to its log, its exit status to a file.
run_target() {
  local t=$1 out=fuzz/out/$1
  "$build/fuzz/$t" "$out/corpus" "fuzz/corpus/$t" \
    -max_len=4096 -timeout=60 -rss_limit_mb=2048 -max_total_time="$seconds" \
    -artifact_prefix="$out/" -print_final_stats=1 ${ORLEX_FUZZ_FLAGS:-} >"$out/log.txt" 2>&1
  echo $? >"$out/exit"
}

# A fuzzer uses one core: as many run at once as there are cores (ORLEX_FUZZ_JOBS).
for t in "${targets[@]}"; do
  mkdir -p "fuzz/out/$t/corpus"
  rm -f "fuzz/out/$t/exit"
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
    wait -n
  done
  echo "== $t for $seconds s"
  run_target "$t" &
done
wait

for t in "${targets[@]}"; do
  out=fuzz/out/$t
  result=$(cat "$out/exit" 2>/dev/null || echo 1)
  echo "== $t: exit $result"
  grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb' "$out/log.txt"
  if [ "$result" -ne 0 ]; then
    ls "$out"/crash-* "$out"/timeout-* "$out"/oom-* "$out"/leak-* 2>/dev/null
    tail -40 "$out/log.txt"
    status=1
  fi
done
exit $status
