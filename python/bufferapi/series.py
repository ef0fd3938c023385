"""Lazy dask arrays over series of files, one task per file.

The geometry comes from the first file; each task loads one file through
bufferapi and checks that it matches the geometry,
so a scheduler (threads, processes or a dask.distributed cluster) can run the
tasks wherever it likes."""

from __future__ import annotations

import os
from typing import Any, Optional, Sequence, Tuple

import numpy as np


def _select(buffer: Any, path: Any, component: Optional[str], frame: int) -> np.ndarray:
    if not 0 <= frame < len(buffer):
        raise IndexError(f"{os.fsdecode(path)}: no frame {frame}; the file holds {len(buffer)}")
    chosen = buffer[frame]
    names = list(chosen.components)
    name = component if component is not None else names[0]
    if name not in names:
        raise KeyError(f"{os.fsdecode(path)}: frame {frame} has no component {name}; it has {names}")
    return chosen.components[name]


def load_block(path: Any, component: Optional[str], frame: int, shape: Tuple[int, ...], dtype: Any) -> np.ndarray:
    """One file's part of the series, checked against the series' geometry."""
    import bufferapi

    buffer = bufferapi.load(path)
    block = _select(buffer, path, component, frame)
    if len(buffer) > 1:
        block = block.copy()  # don't keep the file's other frames alive
    if block.ndim == len(shape) + 1 and block.shape[0] == 1:
        block = block[0]  # the squeezed single plane
    if block.shape != shape or block.dtype != np.dtype(dtype):
        raise ValueError(
            f"{os.fsdecode(path)}: shape {block.shape} and dtype {block.dtype} differ from the series' "
            f"{shape} and {np.dtype(dtype)}"
        )
    return block


def _geometry(path: Any, component: Optional[str], frame: int) -> Tuple[Tuple[int, ...], np.dtype]:
    """Shape and dtype of the series from its first file, read once here: a
    header alone doesn't tell the element type after the import's own
    conversions (8-bit images read as 16-bit)."""
    import bufferapi

    block = _select(bufferapi.load(path), path, component, frame)
    return block.shape, block.dtype


def open_series(paths: Sequence[Any], component: Optional[str] = None, frame: int = 0,
                squeeze: bool = True) -> Any:
    import dask
    import dask.array as da

    paths = list(paths)
    if not paths:
        raise ValueError("open_series: no files given")
    shape, dtype = _geometry(paths[0], component, frame)
    if squeeze and len(shape) == 3 and shape[0] == 1:
        shape = shape[1:]
    load = dask.delayed(load_block, pure=True)
    blocks = [
        da.from_delayed(load(path, component, frame, shape, dtype), shape=shape, dtype=dtype) for path in paths
    ]
    return da.stack(blocks)
