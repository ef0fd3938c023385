#!/usr/bin/env bash
# The project's test command (CI runs it through .ci/run). Bootstraps, checks
# the formatting, then builds with warnings as errors and runs every test
# twice: with GCC (benchmarks and example built too) and with Clang 14 under
# AddressSanitizer + UndefinedBehaviorSanitizer (leak detection on, the
# example run too; the fuzz targets of the file readers are built there and
# run a few seconds each on the kept corpus), and the thread test under
# ThreadSanitizer in a build of its own; finally builds an outside project
# against the installed package. Uses ccache when installed. Prints each
# stage's time at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

timings=()
started=$SECONDS
stage_start=$SECONDS
stage() {
  if [ -n "${current:-}" ]; then timings+=("$(printf '%-34s %4ds' "$current" $((SECONDS - stage_start)))"); fi
  current=$1
  stage_start=$SECONDS
  [ -n "$current" ] && echo "== $current"
  return 0
}
report() {
  stage ""
  echo "== stage times"
  printf '  %s\n' "${timings[@]}"
  printf '  %-34s %4ds\n' "total" $((SECONDS - started))
}
trap report EXIT

stage "bootstrap"
bash scripts/bootstrap.sh

launcher=()
if command -v ccache >/dev/null 2>&1; then
  # Paths below the checkout are hashed relative to it and the build folder is
  # left out of the hash, so a fresh clone elsewhere still hits the cache.
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
jobs=$(nproc)
sanitizer_env=(ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)

stage "format check"
bash scripts/check-format.sh

stage "gcc build"
bash scripts/build.sh build -DBUFFER_WERROR=ON -DBUFFER_SANITIZE=OFF -DBUFFER_BUILD_TESTS=ON -DBUFFER_BUILD_BENCH=ON \
  -DBUFFER_BUILD_EXAMPLES=ON "${launcher[@]}"
stage "gcc tests"
ctest --test-dir build -L suite --output-on-failure --parallel "$jobs"

stage "clang asan+ubsan build"
CC=clang CXX=clang++ bash scripts/build.sh build-asan -DBUFFER_WERROR=ON -DBUFFER_SANITIZE=ON -DBUFFER_BUILD_TESTS=ON \
  -DBUFFER_BUILD_BENCH=OFF -DBUFFER_BUILD_EXAMPLES=ON -DBUFFER_BUILD_FUZZ=ON "${launcher[@]}"
stage "clang asan+ubsan tests"
env "${sanitizer_env[@]}" ctest --test-dir build-asan -L suite --output-on-failure --parallel "$jobs"
echo "example program under the sanitizers"
env "${sanitizer_env[@]}" ./build-asan/examples/BufferExample >/dev/null

stage "fuzz targets, 5 s each"
bash scripts/fuzz.sh --ci 5

# The libraries and the thread test alone, under ThreadSanitizer.
stage "clang tsan build (build-tsan)"
CC=clang CXX=clang++ bash scripts/build.sh build-tsan -DBUFFER_WERROR=ON -DBUFFER_TSAN=ON "${launcher[@]}"
stage "clang tsan thread test"
env TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -L threads --output-on-failure

stage "installed package"
bash scripts/check-package.sh build
