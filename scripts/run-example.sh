#!/usr/bin/env bash
# The main job: bootstraps, builds the library, the example programs and the
# command-line tool, runs the example program, makes a synthetic recording
# (particle images and a vortex vector field) stored as IM7 and VC7, describes
# it with `buffer info` and renders pictures of both.
#   scripts/run-example.sh [output folder]   (default: example-output)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/example-output}")
cd "$root"

bash scripts/bootstrap.sh
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
bash scripts/build.sh build-example -DBUFFER_BUILD_TESTS=OFF -DBUFFER_BUILD_BENCH=OFF -DBUFFER_BUILD_EXAMPLES=ON \
  -DBUFFER_BUILD_PYTHON=OFF "${launcher[@]}"
bin=build-example

echo "== example program"
"$bin/examples/BufferExample"

echo
echo "== synthetic recording"
"$bin/examples/SyntheticRecording" "$out"

echo
echo "== buffer info"
"$bin/tool/buffer" info "$out/particles.im7" "$out/vortex.vc7"
echo
"$bin/tool/buffer" info -v "$out/vortex.vc7"

echo
echo "== pictures"
"$bin/tool/buffer" render "$out/particles.im7" "$out/particles.png" --frame 0 --range p99.5
"$bin/tool/buffer" render "$out/vortex.vc7" "$out/vortex.png" --colormap viridis
echo "The recording and its pictures are in $out:"
ls -l "$out"
