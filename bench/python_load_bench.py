#!/usr/bin/python3
"""bufferapi.load beside its baselines on the particle recording of the file
benchmarks (8 images of 2560 x 2160, 16 bit, written uncompressed with the
module itself), measured in one run on the same file, warm in the page cache:

  - load: bufferapi.load and the PIXEL arrays of every frame;
  - import: the library's import alone, without Python objects or arrays
    (bufferapi._core._import_only);
  - fromfile: numpy.fromfile of the same pixel bytes from a raw file.

Each is timed alternately, best of --rounds; the ratios are baseline time /
load time (1 = as fast as the baseline, above 1 = faster).

    PYTHONPATH=build/python /usr/bin/python3 bench/python_load_bench.py
"""

import argparse
import os
import shutil
import tempfile
import time

import numpy as np

import bufferapi

FRAMES, WIDTH, HEIGHT = 8, 2560, 2160


def particle_image(width, height, seed):
    """Background 100 counts, Gaussian particle images of sigma 1.2 px (one
    per 64 pixels, amplitudes 500..3000), shot and read noise, 16 bit."""
    rng = np.random.default_rng(seed)
    signal = np.full((height, width), 100.0)
    count = width * height // 64
    cx, cy = rng.uniform(0, width, count), rng.uniform(0, height, count)
    peak = rng.uniform(500, 3000, count)
    reach = 5
    for dy in range(-reach, reach + 1):
        for dx in range(-reach, reach + 1):
            x, y = cx.astype(int) + dx, cy.astype(int) + dy
            inside = (x >= 0) & (x < width) & (y >= 0) & (y < height)
            rx, ry = x + 0.5 - cx, y + 0.5 - cy
            value = peak * np.exp(-(rx * rx + ry * ry) / (2 * 1.2 * 1.2))
            np.add.at(signal, (y[inside], x[inside]), value[inside])
    noisy = signal + rng.standard_normal(signal.shape) * np.sqrt(signal + 25.0)
    return np.clip(np.round(noisy), 0, 65535).astype(np.uint16)


def best_of(rounds, runs):
    """Runs every function once per round, in turn; the best time of each."""
    best = [float("inf")] * len(runs)
    for _ in range(rounds):
        for index, run in enumerate(runs):
            start = time.perf_counter()
            run()
            best[index] = min(best[index], time.perf_counter() - start)
    return best


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=7)
    arguments = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="python_load_bench_")
    try:
        buffer = bufferapi.Buffer()
        images = [particle_image(WIDTH, HEIGHT, 1234 + f) for f in range(FRAMES)]
        for image in images:
            buffer.append(bufferapi.Buffer.image(image))
        im7 = os.path.join(folder, "particles.im7")
        raw = os.path.join(folder, "particles.raw")
        bufferapi.save(buffer, im7)
        np.stack(images).tofile(raw)
        del buffer

        loaded = bufferapi.load(im7)
        assert all(np.array_equal(f.components["PIXEL"][0], image) for f, image in zip(loaded, images))
        del loaded, images

        def load():
            return [frame.components["PIXEL"] for frame in bufferapi.load(im7)]

        def import_only():
            bufferapi._core._import_only(os.fsencode(im7))

        def fromfile():
            return np.fromfile(raw, dtype=np.uint16).reshape(FRAMES, HEIGHT, WIDTH)

        t_load, t_import, t_fromfile = best_of(arguments.rounds, [load, import_only, fromfile])
        megabytes = FRAMES * WIDTH * HEIGHT * 2 / 1e6
        print(f"data: {FRAMES} x {WIDTH} x {HEIGHT} uint16 = {megabytes:.1f} MB, best of {arguments.rounds}")
        for name, seconds in (("load", t_load), ("import (C++)", t_import), ("numpy.fromfile", t_fromfile)):
            print(f"  {name:15s} {seconds * 1e3:8.2f} ms  {megabytes / seconds:8.0f} MB/s")
        print(f"ratio import/load   = {t_import / t_load:.3f}  (target >= 0.95)")
        print(f"ratio fromfile/load = {t_fromfile / t_load:.3f}")
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
