#!/usr/bin/env bash
# Installs the library from a build directory into a scratch prefix and builds
# an outside project against it with find_package(Buffer CONFIG); when the
# Python module was built, imports the installed one and round-trips a file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
cmake -S "$root/tests/package" -B "$scratch/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
cmake --build "$scratch/consumer" >/dev/null
LD_LIBRARY_PATH="$scratch/prefix/lib:${LD_LIBRARY_PATH:-}" "$scratch/consumer/consumer"

for site in "$scratch"/prefix/lib/python3*/dist-packages; do
  [ -d "$site/bufferapi" ] || continue
  (cd "$scratch" && PYTHONPATH="$site" /usr/bin/python3 -c '
import bufferapi, numpy
assert bufferapi.__file__.startswith("'"$site"'"), bufferapi.__file__
buffer = bufferapi.Buffer()
buffer.append(bufferapi.Buffer.image(numpy.arange(12, dtype=numpy.uint16).reshape(3, 4)))
bufferapi.save(buffer, "installed.im7")
assert (bufferapi.load("installed.im7")[0].components["PIXEL"] == buffer[0].components["PIXEL"]).all()
print("installed Python module: round trip ok")
')
done
