#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a set time and reports its
# executions per second.
#
#   run-fuzz.sh BUILD_DIR SECONDS [TARGET...]     (targets without "fuzz_")
#
# Each target starts from its seeds in fuzz/corpus/<target>/ and keeps what
# it finds in BUILD_DIR/fuzz-corpus/<target>/ (so the seeds in the tree stay
# as they are); the run's files are made in BUILD_DIR/fuzz-run/<target>/. A
# crash, a hang (one input longer than 10 s), a leak or more than 2 GB of
# memory stops the target; its input is kept as
# BUILD_DIR/fuzz-artifacts/<target>-crash-... and the script fails at the end.
set -uo pipefail
build=$(cd "${1:?usage: run-fuzz.sh BUILD_DIR SECONDS [TARGET...]}" && pwd)
seconds=${2:?usage: run-fuzz.sh BUILD_DIR SECONDS [TARGET...]}
shift 2
source_dir=$(cd "$(dirname "$0")/.." && pwd)

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for bin in "$build"/fuzz/fuzz_*; do
    [ -x "$bin" ] && targets+=("$(basename "$bin" | sed 's/^fuzz_//')")
  done
fi
[ ${#targets[@]} -gt 0 ] || { echo "run-fuzz.sh: no fuzz targets in $build/fuzz"; exit 1; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

mkdir -p "$build/fuzz-artifacts"
failed=()
printf '%-14s %10s %12s %8s  %s\n' target seconds executions exec/s result
for t in "${targets[@]}"; do
  corpus=$build/fuzz-corpus/$t
  run=$build/fuzz-run/$t
  mkdir -p "$corpus" "$run"
  log=$run/fuzz.log
  (cd "$run" && nice -n 10 "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
     -max_len=16384 -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" \
     "$corpus" "$source_dir/fuzz/corpus/$t") > "$log" 2>&1
  status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  result=ok
  if [ $status -ne 0 ]; then
    result="FAILED (see $log)"
    failed+=("$t")
  fi
  printf '%-14s %10s %12s %8s  %s\n' "$t" "$seconds" "${execs:-?}" "${rate:-?}" "$result"
done

if [ ${#failed[@]} -gt 0 ]; then
  for t in "${failed[@]}"; do
    echo "--- fuzz_$t"
    grep -E -A25 '^==[0-9]+==ERROR|runtime error|ALARM|out-of-memory|deadly signal|Test unit written' \
      "$build/fuzz-run/$t/fuzz.log" | head -60
  done
  exit 1
fi
