"""Threads load files in parallel; open_series runs on dask.distributed."""

import os
import subprocess
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import bufferapi
from bufferapi import Buffer


def write_series(folder, count, shape=(24, 32), seed=3):
    rng = np.random.default_rng(seed)
    images, paths = [], []
    for number in range(count):
        image = rng.integers(0, 4096, size=shape, dtype=np.uint16)
        buffer = Buffer()
        buffer.append(Buffer.image(image))
        path = folder / f"B{number + 1:05d}.im7"
        bufferapi.save(buffer, path)
        images.append(image)
        paths.append(path)
    return paths, np.stack(images)


def test_threads_load_files_in_parallel(tmp_path):
    paths, images = write_series(tmp_path, 16)
    with ThreadPoolExecutor(max_workers=8) as pool:
        loaded = list(pool.map(lambda p: bufferapi.load(p)[0].components["PIXEL"][0], paths * 4))
    for number, image in enumerate(loaded):
        np.testing.assert_array_equal(image, images[number % len(paths)])


def test_import_releases_the_gil(tmp_path):
    # A thread imports from a named pipe: opening it blocks inside the library
    # until a writer, started with a delay, comes. The main thread must get to
    # run during that wait, which it can only when the import let go of the GIL.
    delay = 2.0
    pipe = tmp_path / "pipe.im7"
    os.mkfifo(pipe)
    writer = subprocess.Popen(["sh", "-c", f"sleep {delay}; head -c 1000 /dev/zero > '{pipe}'"])
    entered = threading.Event()

    def import_from_pipe():
        entered.set()
        try:
            bufferapi._core._import_only(bytes(pipe))
        except bufferapi.Error:
            pass  # a pipe of zeros is no image; only the wait matters

    started = time.monotonic()
    worker = threading.Thread(target=import_from_pipe)
    worker.start()
    entered.wait()
    time.sleep(0.1)
    resumed = time.monotonic() - started
    still_importing = worker.is_alive()
    worker.join(timeout=30)
    writer.wait(timeout=30)
    assert still_importing and resumed < delay / 2


# distributed 2022.12 on tornado 6.2 warns about its own event loop set-up.
@pytest.mark.filterwarnings("ignore::DeprecationWarning")
def test_open_series_mean_on_a_local_cluster(tmp_path):
    distributed = pytest.importorskip("distributed")
    paths, images = write_series(tmp_path, 12)
    series = bufferapi.open_series(paths)
    assert series.shape == (12, 24, 32) and series.dtype == np.uint16
    assert series.numblocks[0] == 12  # one task per file
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=False,
                                  dashboard_address=None, local_directory=str(tmp_path / "dask")) as cluster, distributed.Client(cluster):
        mean = series.mean(axis=0).compute()
    np.testing.assert_allclose(mean, images.mean(axis=0))


def test_open_series_refuses_a_file_of_another_geometry(tmp_path):
    paths, _ = write_series(tmp_path, 2)
    odd = tmp_path / "odd.im7"
    buffer = Buffer()
    buffer.append(Buffer.image(np.zeros((24, 31), np.uint16)))
    bufferapi.save(buffer, odd)
    series = bufferapi.open_series(paths + [odd])
    with pytest.raises(ValueError, match="odd.im7: shape \\(24, 31\\) and dtype uint16 differ from the series' "
                                         "\\(24, 32\\) and uint16$"):
        series.compute(scheduler="synchronous")


def test_open_series_of_volumes_keeps_the_depth(tmp_path):
    volume = np.arange(2 * 3 * 4, dtype=np.float32).reshape(2, 3, 4)
    paths = []
    for number in range(3):
        buffer = Buffer()
        buffer.append(Buffer.image(volume + number))
        paths.append(tmp_path / f"V{number}.im7")
        bufferapi.save(buffer, paths[-1])
    series = bufferapi.open_series(paths)
    assert series.shape == (3, 2, 3, 4)
    np.testing.assert_array_equal(series[2].compute(scheduler="synchronous"), volume + 2)
