#!/usr/bin/env bash
# Test-run throughput: generates 10 MB and 100 MB HPGL files, times
# `orlex-plotter-cli test FILE` beside `hp2xx -m svg -f /dev/null FILE` (best of RUNS),
# prints MB/s, the ratio and peak memory, then the window's Test and Show on the same
# files (bench_window_test). Goals: CLI >= 15x hp2xx with < 20 MB peak; window >= 5x.
#   bench/bench_test_run.sh [BUILD_DIR] [RUNS]      (default build-bench, 3)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
runs=${2:-3}

if ! command -v hp2xx >/dev/null || [ ! -x /usr/bin/time ]; then
  apt-get install -y -qq time hp2xx >/dev/null
fi
cmake -S . -B "$build" -DORLEX_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target gen_hpgl orlex-plotter-cli bench_window_test >/dev/null

work=$(mktemp -d /tmp/orlex-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
build=$(realpath "$build")
cli=$build/bin/orlex-plotter-cli
cd "$work" # no seting.txt here: the tool uses the defaults

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), build type $(grep -m1 CMAKE_BUILD_TYPE: "$build/CMakeCache.txt" | cut -d= -f2)"

calc() { awk "BEGIN { print $1 }"; }

# Runs "$@" RUNS times; sets best_s (wall seconds, best run), best_cpu (user + system
# seconds, best run) and peak_kib (largest peak RSS).
measure() {
  best_s=""
  best_cpu=""
  peak_kib=0
  for _ in $(seq "$runs"); do
    local t0 t1 s kib cpu
    t0=$(date +%s%N)
    /usr/bin/time -f "%M %U %S" -o "$work/rss" "$@" >/dev/null 2>&1 || true
    t1=$(date +%s%N)
    s=$(calc "($t1 - $t0) / 1e9")
    read -r kib user sys < <(tail -1 "$work/rss")
    cpu=$(calc "$user + $sys")
    if [ -z "$best_s" ] || [ "$(calc "$s < $best_s")" = 1 ]; then best_s=$s; fi
    if [ -z "$best_cpu" ] || [ "$(calc "$cpu < $best_cpu")" = 1 ]; then best_cpu=$cpu; fi
    if [ "$kib" -gt "$peak_kib" ]; then peak_kib=$kib; fi
  done
}

for mb in 10 100; do
  file="$work/plot_${mb}mb.plt"
  "$build/bench/gen_hpgl" $((mb * 1000000)) "$file"
  size=$(stat -c %s "$file")
  mbytes=$(calc "$size / 1e6")
  echo
  echo "== $mbytes MB file"
  "$cli" test "$file" --json || true

  measure "$cli" test "$file"
  cli_s=$best_s; cli_cpu=$best_cpu; cli_kib=$peak_kib
  measure hp2xx -q -m svg -f /dev/null "$file"
  hp_s=$best_s; hp_cpu=$best_cpu; hp_kib=$peak_kib

  echo "orlex-plotter-cli test: $cli_s s, $(calc "$mbytes / $cli_s") MB/s (CPU $cli_cpu s), peak RSS $((cli_kib / 1024)) MiB ($cli_kib KiB)"
  echo "hp2xx -m svg:           $hp_s s, $(calc "$mbytes / $hp_s") MB/s (CPU $hp_cpu s), peak RSS $((hp_kib / 1024)) MiB"
  echo "ratio: $(calc "$hp_s / $cli_s")x hp2xx by wall time, $(calc "$hp_cpu / ($cli_cpu > 0 ? $cli_cpu : 0.005)")x by CPU time (goal >= 15x, peak < 20 MB)"
  "$build/bench/bench_window_test" "$file" "$hp_s" "$runs" "$hp_cpu" 2>&1 \
    | grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR
done
