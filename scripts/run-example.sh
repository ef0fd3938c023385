#!/usr/bin/env bash
# Bootstraps, builds and runs the example program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/bootstrap.sh
bash scripts/build.sh build-example -DBUFFER_BUILD_TESTS=OFF -DBUFFER_BUILD_BENCH=OFF -DBUFFER_BUILD_EXAMPLES=ON
./build-example/examples/BufferExample
