#!/usr/bin/env bash
# Bootstraps, builds with warnings as errors and runs every test three times:
# GCC plainly, GCC under AddressSanitizer + UndefinedBehaviorSanitizer (leak
# detection on) and Clang; then builds an outside project against the package.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/bootstrap.sh

echo "== plain build"
bash scripts/build.sh build -DBUFFER_WERROR=ON -DBUFFER_SANITIZE=OFF -DBUFFER_BUILD_TESTS=ON -DBUFFER_BUILD_BENCH=ON -DBUFFER_BUILD_EXAMPLES=ON
ctest --test-dir build --output-on-failure --parallel "$(nproc)"

echo "== sanitizer build"
bash scripts/build.sh build-asan -DBUFFER_WERROR=ON -DBUFFER_SANITIZE=ON -DBUFFER_BUILD_TESTS=ON -DBUFFER_BUILD_BENCH=OFF -DBUFFER_BUILD_EXAMPLES=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)"
echo "== example program under the sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ./build-asan/examples/BufferExample >/dev/null

echo "== clang build"
CC=clang CXX=clang++ bash scripts/build.sh build-clang -DBUFFER_WERROR=ON -DBUFFER_SANITIZE=OFF -DBUFFER_BUILD_TESTS=ON \
  -DBUFFER_BUILD_BENCH=ON -DBUFFER_BUILD_EXAMPLES=ON
ctest --test-dir build-clang --output-on-failure --parallel "$(nproc)"

echo "== installed package"
bash scripts/check-package.sh build
