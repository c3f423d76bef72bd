#!/usr/bin/env bash
# Test-run throughput: generates 6.7 MB (about 600,000 points) and 100 MB HPGL files, times
# `orlex-plotter-cli test FILE` beside `hp2xx -q -m svg -f /dev/null FILE` (best of RUNS),
# prints MB/s, the ratio and peak memory, then the window's Test and Show on the same
# files (bench_window_test). Goals: CLI >= 25x hp2xx and >= 250 MB/s on the 100 MB file,
# with < 20 MB peak; window >= 10x.
#   bench/bench_test_run.sh [BUILD_DIR] [RUNS]      (default build-bench, 3)
#   CLI_ONLY=1 bench/bench_test_run.sh ...           (the tool only: no window built or run)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
runs=${2:-3}

if ! command -v hp2xx >/dev/null || [ ! -x /usr/bin/time ]; then
  apt-get install -y -qq time hp2xx >/dev/null
fi
cmake -S . -B "$build" -DORLEX_BUILD_BENCH=ON >/dev/null
targets="gen_hpgl orlex-plotter-cli"
[ -n "${CLI_ONLY:-}" ] || targets="$targets bench_window_test"
# shellcheck disable=SC2086 # the targets are separate words
cmake --build "$build" -j2 --target $targets >/dev/null

work=$(mktemp -d /tmp/orlex-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
build=$(realpath "$build")
cli=$build/bin/orlex-plotter-cli
cd "$work" # no seting.txt here: the tool uses the defaults

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), build type $(grep -m1 CMAKE_BUILD_TYPE: "$build/CMakeCache.txt" | cut -d= -f2)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"

calc() { awk "BEGIN { print $1 }"; }

# Runs "$@" RUNS times; sets best_s (wall seconds, best run), best_cpu (user + system
# seconds, best run) and peak_kib (largest peak RSS). Times come from bash's own `time`
# (milliseconds, nothing started but the command itself); the peak from /usr/bin/time
# in a run of its own.
measure() {
  best_s=""
  best_cpu=""
  peak_kib=0
  local TIMEFORMAT="%R %U %S"
  for _ in $(seq "$runs"); do
    local s user sys kib cpu
    read -r s user sys < <({ time "$@" >/dev/null 2>&1 || true; } 2>&1)
    cpu=$(calc "$user + $sys")
    /usr/bin/time -f "%M" -o "$work/rss" "$@" >/dev/null 2>&1 || true
    kib=$(tail -1 "$work/rss")
    if [ -z "$best_s" ] || [ "$(calc "$s < $best_s")" = 1 ]; then best_s=$s; fi
    if [ -z "$best_cpu" ] || [ "$(calc "$cpu < $best_cpu")" = 1 ]; then best_cpu=$cpu; fi
    if [ "$kib" -gt "$peak_kib" ]; then peak_kib=$kib; fi
  done
}

for bytes in 6700000 100000000; do
  file="$work/plot_${bytes}.plt"
  "$build/bench/gen_hpgl" "$bytes" "$file"
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
  echo "ratio: $(calc "$hp_s / $cli_s")x hp2xx by wall time, $(calc "$hp_cpu / ($cli_cpu > 0 ? $cli_cpu : 0.005)")x by CPU time (goal >= 25x, peak < 20 MB)"
  echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
  [ -n "${CLI_ONLY:-}" ] && continue
  "$build/bench/bench_window_test" "$file" "$hp_s" "$runs" "$hp_cpu" 2>&1 \
    | grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR
done
