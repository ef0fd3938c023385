#!/usr/bin/env bash
# Builds the libFuzzer targets (in the sanitizer build folder of
# scripts/test.sh) and runs each for the given number of seconds.
#   scripts/fuzz.sh [seconds]              fuzz on the kept corpus, the seeds
#                                          and what earlier runs found
#   scripts/fuzz.sh --ci [seconds]         the kept corpus only, nothing kept;
#                                          fails on any finding
#   scripts/fuzz.sh --minimize             merges everything found into the
#                                          kept corpus fuzz/corpus/<target>/
# FUZZ_TARGETS="a b" limits the run; FUZZ_PARALLEL (default: cores) is the
# number of targets run at once. Prints executions, corpus size and findings
# per target; findings go to build-asan/fuzz-findings/<target>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

mode=fuzz
case "${1:-}" in
--ci) mode=ci; shift ;;
--minimize) mode=minimize; shift ;;
esac
seconds=${1:-60}
build=build-asan
parallel=${FUZZ_PARALLEL:-$(nproc)}

launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# The options of the sanitizer stage of scripts/test.sh, so that both share the folder.
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUFFER_WERROR=ON \
  -DBUFFER_SANITIZE=ON -DBUFFER_BUILD_TESTS=ON -DBUFFER_BUILD_BENCH=OFF -DBUFFER_BUILD_EXAMPLES=ON \
  -DBUFFER_BUILD_FUZZ=ON "${launcher[@]}" >/dev/null
read -r -a targets <<<"${FUZZ_TARGETS:-$(tr '\n' ' ' <"$build/fuzz/targets.txt")}"
cmake --build "$build" --parallel "${FUZZ_BUILD_JOBS:-2}" --target buffer_fuzz_corpus "${targets[@]/#/fuzz_}"

seeds=$build/fuzz-seeds
rm -rf "$seeds"
"$build/fuzz/buffer_fuzz_corpus" "$seeds"

# A file field that makes a reader allocate more than this is a finding; so
# is a run that holds more, or an input that takes longer than the timeout.
limits=(-rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=10 -max_len=65536)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run_target() {
  local target=$1 kept=fuzz/corpus/$1 findings=$build/fuzz-findings/$1 log=$build/fuzz-logs/$1.log
  local work=$build/fuzz-work/$1
  mkdir -p "$kept" "$findings" "$work" "$(dirname "$log")"
  local dirs=("$work" "$kept" "$seeds/$target")
  if [ "$mode" = ci ]; then
    work=$(mktemp -d)
    dirs=("$work" "$kept")
  fi
  "$build/fuzz/fuzz_$target" "${limits[@]}" -max_total_time="$seconds" -print_final_stats=1 -close_fd_mask=1 \
    -artifact_prefix="$findings/" "${dirs[@]}" >"$log" 2>&1 || true
  if [ "$mode" = ci ]; then rm -rf "$work"; fi
}

minimize_target() {
  local target=$1 kept=fuzz/corpus/$1 merged
  merged=$(mktemp -d)
  mkdir -p "$kept" "$build/fuzz-work/$target"
  "$build/fuzz/fuzz_$target" "${limits[@]}" -merge=1 -close_fd_mask=1 "$merged" "$kept" "$build/fuzz-work/$target" \
    "$seeds/$target" >"$build/fuzz-logs/$target.merge.log" 2>&1
  rm -rf "$kept"
  mv "$merged" "$kept"
  chmod 755 "$kept"
}

mkdir -p "$build/fuzz-logs" "$build/fuzz-findings"
before=$(find "$build/fuzz-findings" -type f | wc -l)
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n; done
  if [ "$mode" = minimize ]; then minimize_target "$target" & else run_target "$target" & fi
done
wait

printf '%-20s %12s %8s %10s %9s\n' target executions corpus "kept (KB)" findings
status=0
for target in "${targets[@]}"; do
  log=$build/fuzz-logs/$target.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" 2>/dev/null | tail -1)
  artifacts=$(grep -c 'Test unit written to' "$log" 2>/dev/null || true)
  files=$(find "fuzz/corpus/$target" -type f | wc -l)
  kb=$(du -sk "fuzz/corpus/$target" | cut -f1)
  if [ "$mode" = minimize ]; then runs=-; fi
  printf '%-20s %12s %8s %10s %9s\n' "$target" "${runs:--}" "$files" "$kb" "$artifacts"
  # A run that ended without its final statistics died in a way libFuzzer
  # could not report.
  if [ "${artifacts:-0}" -gt 0 ] || { [ "$mode" != minimize ] && [ -z "$runs" ]; }; then
    status=1
    echo "  see $log"
  fi
done
after=$(find "$build/fuzz-findings" -type f | wc -l)
echo "new finding files: $((after - before)) (in $build/fuzz-findings)"
exit $status
