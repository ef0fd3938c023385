"""Measurement buffers (IM7 images, VC7 vector fields) as numpy arrays.

    >>> import bufferapi
    >>> buf = bufferapi.load("run1/B00001.im7")
    >>> image = buf[0].components["PIXEL"]      # (depth, height, width), no copy
    >>> buf.attrs["LoadFile"]
    'run1/B00001.im7'

A buffer is a list of frames plus global attributes. A frame holds named
components (stacks of planes, shown as arrays of shape (depth, height,
width) that share the frame's memory), scales for x, y, z and the values,
an optional mask and its own attributes. Errors of the library are raised
as :class:`Error`; reading and writing files release the GIL.
"""

from __future__ import annotations

import collections.abc
import os
from typing import Any, Dict, Iterator, List, NamedTuple, Optional, Sequence, Tuple, Union

import numpy as np

from . import _core
from ._core import Error

__all__ = [
    "Buffer",
    "Error",
    "Frame",
    "Info",
    "Physical",
    "Scale",
    "info",
    "list_formats",
    "load",
    "open_series",
    "save",
]

PathLike = Union[str, bytes, "os.PathLike[str]"]

# Element type codes of the library and their numpy dtypes.
_ELEMENT_TYPES = {
    np.dtype(np.uint8): 1,
    np.dtype(np.float64): 3,
    np.dtype(np.float32): 4,
    np.dtype(np.int32): 5,
    np.dtype(np.uint32): 6,
    np.dtype(np.uint16): 7,
}
_ELEMENT_RGB = 2
_SUPPORTED = "uint8, uint16, int32, uint32, float32 or float64"

# Attribute type codes.
_ATTR_DOUBLE, _ATTR_FLOAT, _ATTR_INT32, _ATTR_STRING = 1, 2, 3, 4
_ATTR_UINT32, _ATTR_UINT16, _ATTR_PLANE, _ATTR_SCALE = 5, 6, 7, 8


def _path(path: PathLike) -> bytes:
    return os.fsencode(path)


def _element_type(array: np.ndarray, what: str) -> int:
    code = _ELEMENT_TYPES.get(array.dtype.newbyteorder("="))
    if code is None:
        raise TypeError(f"{what}: unsupported dtype {array.dtype}; use {_SUPPORTED}")
    return code


def _as_planes(array: Any, what: str, trailing: Tuple[int, ...] = ()) -> np.ndarray:
    """The array as (depth, height, width[, trailing]) in native byte order.

    Any strides are accepted (the data are copied into the frame anyway); the
    number of dimensions must fit."""
    array = np.asarray(array)
    core = array.ndim - len(trailing)
    if core not in (2, 3) or array.shape[core:] != trailing:
        extra = "".join(f", {n}" for n in trailing)
        raise ValueError(
            f"{what}: expected an array of shape (height, width{extra}) or (depth, height, width{extra}), "
            f"got shape {array.shape}"
        )
    if core == 2:
        array = array[np.newaxis]
    if not array.dtype.isnative:
        array = array.astype(array.dtype.newbyteorder("="))
    return array


class Scale(NamedTuple):
    """A linear scale: physical = factor * stored + offset, in unit."""

    factor: float = 1.0
    offset: float = 0.0
    unit: str = ""
    description: str = ""

    def apply(self, values: Any) -> np.ndarray:
        """The physical values (float64) of stored values or grid indices."""
        return np.asarray(values, dtype=np.float64) * self.factor + self.offset


class Info(NamedTuple):
    """What :func:`info` tells about a file without reading its data."""

    width: int
    height: int
    depth: int
    frames: int
    buffer: Optional["Buffer"]

    @property
    def attrs(self) -> "Attributes":
        """The file's global attributes (empty when the file gave no buffer)."""
        return self.buffer.attrs if self.buffer is not None else Buffer().attrs


class Physical(NamedTuple):
    """A frame in physical units: the scaled values and the axis positions."""

    values: np.ndarray
    x: np.ndarray
    y: np.ndarray
    z: np.ndarray
    unit: str


class Attributes(collections.abc.MutableMapping):
    """The attributes of a buffer or frame as a mapping of dotted paths.

    Reading gives str, int, float, a numpy array (plane attributes, a copy)
    or a :class:`Scale`. Writing stores str as text, bool and int as 32-bit
    integers (unsigned 32-bit above 2**31 - 1), float as double, numpy
    scalars in their own type (float32, int32, uint32, uint16), 1-D or 2-D
    arrays as planes and :class:`Scale` as scales."""

    def __init__(self, core: Any) -> None:
        self._core = core

    def __getitem__(self, path: str) -> Any:
        value = self._core.get(path)
        return Scale(*value) if isinstance(value, tuple) else value

    def __setitem__(self, path: str, value: Any) -> None:
        type_code, stored, element = _attribute_value(path, value)
        self._core.set(path, type_code, stored, element)

    def __delitem__(self, path: str) -> None:
        self._core.delete(path)

    def __contains__(self, path: object) -> bool:
        return isinstance(path, (str, bytes)) and self._core.contains(path)

    def __iter__(self) -> Iterator[str]:
        return iter(self._core.paths())

    def __len__(self) -> int:
        return len(self._core.paths())

    def __repr__(self) -> str:
        return f"Attributes({dict(self.items())!r})"


def _attribute_value(path: str, value: Any) -> Tuple[int, Any, int]:
    if isinstance(value, Scale):
        return _ATTR_SCALE, tuple(value), 0
    if isinstance(value, (str, bytes)):
        return _ATTR_STRING, value, 0
    if isinstance(value, np.ndarray) and value.ndim > 0:
        if value.ndim > 2:
            raise ValueError(f"attribute {path}: arrays of 1 or 2 dimensions only, got shape {value.shape}")
        plane = np.ascontiguousarray(value.reshape(1, -1) if value.ndim == 1 else value)
        element = _element_type(plane, f"attribute {path}")
        return _ATTR_PLANE, plane.astype(plane.dtype.newbyteorder("="), copy=False), element
    if isinstance(value, np.generic):
        scalar_types = {
            np.dtype(np.float32): _ATTR_FLOAT,
            np.dtype(np.float64): _ATTR_DOUBLE,
            np.dtype(np.int32): _ATTR_INT32,
            np.dtype(np.uint32): _ATTR_UINT32,
            np.dtype(np.uint16): _ATTR_UINT16,
        }
        if value.dtype in scalar_types:
            return scalar_types[value.dtype], value.item(), 0
        value = value.item()
    if isinstance(value, (bool, int)):
        if -(2**31) <= value < 2**31:
            return _ATTR_INT32, int(value), 0
        if 0 <= value < 2**32:
            return _ATTR_UINT32, int(value), 0
        raise OverflowError(f"attribute {path}: integer {value} does not fit 32 bits; store it as a float")
    if isinstance(value, float):
        return _ATTR_DOUBLE, value, 0
    raise TypeError(f"attribute {path}: can't store a value of type {type(value).__name__}")


class Components(collections.abc.Mapping):
    """The components of a frame: name -> array (planes, height, width).

    The arrays are views into the frame's memory; they keep the buffer alive
    and writing into them changes the frame."""

    def __init__(self, frame: "Frame") -> None:
        self._frame = frame

    def __getitem__(self, name: str) -> np.ndarray:
        return self._frame._core.component(name)

    def __iter__(self) -> Iterator[str]:
        return iter(self._frame._core.component_names())

    def __len__(self) -> int:
        return len(self._frame._core.component_names())

    def __repr__(self) -> str:
        return f"Components({list(self)})"


class Scales(collections.abc.MutableMapping):
    """The x, y, z and value scales of a frame; assign a :class:`Scale` to
    change one. The value scale of a vector frame is that of its U, V (W)
    components."""

    _AXES = ("x", "y", "z", "value")

    def __init__(self, frame: "Frame") -> None:
        self._frame = frame

    def __getitem__(self, axis: str) -> Scale:
        return Scale(*self._frame._core.scale(axis))

    def __setitem__(self, axis: str, scale: Scale) -> None:
        scale = Scale(*scale)
        self._frame._core.set_scale(axis, scale.factor, scale.offset, scale.unit, scale.description)

    def __delitem__(self, axis: str) -> None:
        raise TypeError("a frame always has its four scales")

    def __iter__(self) -> Iterator[str]:
        return iter(self._AXES)

    def __len__(self) -> int:
        return len(self._AXES)

    def __repr__(self) -> str:
        return f"Scales({dict(self.items())!r})"


class Frame:
    """One frame: image (FT_IMAGE), RGB image (FT_RGB), profiles
    (FT_PROFILE) or a vector field (FT_VECTOR_2C, FT_VECTOR_3C).

    Made by indexing a :class:`Buffer` or by :meth:`Buffer.image`,
    :meth:`Buffer.rgb`, :meth:`Buffer.profile` and :meth:`Buffer.vectors`."""

    def __init__(self, core: Any) -> None:
        self._core = core

    def __repr__(self) -> str:
        return f"<bufferapi.Frame {self.type} {self.shape} components={list(self.components)}>"

    @property
    def type(self) -> str:
        """The frame type name, e.g. "FT_IMAGE" or "FT_VECTOR_2C"."""
        return self._core.type

    @property
    def shape(self) -> Tuple[int, int, int]:
        """(depth, height, width) of the frame."""
        return (self._core.depth, self._core.height, self._core.width)

    @property
    def components(self) -> Components:
        """name -> zero-copy array (planes, height, width); RGB components
        have a last axis of 4 bytes (blue, green, red, reserved)."""
        return Components(self)

    @property
    def attrs(self) -> Attributes:
        """The frame's own attributes."""
        return Attributes(self._core.attrs)

    @property
    def scales(self) -> Scales:
        """The x, y, z and value scales."""
        return Scales(self)

    @property
    def mask(self) -> Optional[np.ndarray]:
        """The validity mask as a bool array (depth, height, width), a copy;
        None without a mask. Assign an array of that shape to set it, None to
        remove it."""
        if not self._core.has_mask():
            return None
        return self._core.component("MASK") != 0

    @mask.setter
    def mask(self, valid: Optional[Any]) -> None:
        if valid is None:
            self._core.delete_mask()
            return
        valid = _as_planes(valid, "mask")
        if valid.shape != self.shape:
            raise ValueError(f"mask: expected shape {self.shape}, got {valid.shape}")
        self._core.create_mask()
        self._core.component("MASK")[...] = valid != 0

    # Vector frames.
    def _vector_component(self, base: str, choice: int) -> np.ndarray:
        self._require_vectors()
        if not 0 <= choice < self._core.choices:
            raise IndexError(f"choice {choice} out of range: the frame has {self._core.choices}")
        return self._core.component(f"{base}{choice}")

    def _require_vectors(self) -> None:
        if not self.type.startswith("FT_VECTOR"):
            raise TypeError(f"a {self.type} frame has no vectors")

    @property
    def choices(self) -> int:
        """The number of candidate vectors per grid point (0 for other frames)."""
        return self._core.choices

    @property
    def grid(self) -> Tuple[int, int, int]:
        """The vector spacing in pixels along x, y and z."""
        return self._core.grid

    @property
    def u(self) -> np.ndarray:
        """U of the first choice (U0), a view."""
        return self._vector_component("U", 0)

    @property
    def v(self) -> np.ndarray:
        """V of the first choice (V0), a view."""
        return self._vector_component("V", 0)

    @property
    def w(self) -> np.ndarray:
        """W of the first choice (W0), a view; 3-component frames only."""
        if self.type != "FT_VECTOR_3C":
            raise TypeError(f"a {self.type} frame has no W component")
        return self._vector_component("W", 0)

    def choice(self, index: int) -> Tuple[np.ndarray, ...]:
        """(U, V[, W]) of one choice, views."""
        bases = "UVW" if self.type == "FT_VECTOR_3C" else "UV"
        return tuple(self._vector_component(base, index) for base in bases)

    @property
    def active(self) -> np.ndarray:
        """The active choice per vector (int32 view; 0 = first choice,
        negative = none)."""
        self._require_vectors()
        return self._core.component("ACTIVE_CHOICE")

    @property
    def enabled(self) -> np.ndarray:
        """Whether each vector is enabled (uint8 view; 0 = disabled)."""
        self._require_vectors()
        return self._core.component("ENABLED")

    @property
    def peak_ratio(self) -> Optional[np.ndarray]:
        """The correlation peak ratio per vector (a view), or None."""
        self._require_vectors()
        if "Peak ratio" not in self._core.component_names():
            return None
        return self._core.component("Peak ratio")

    def _main_component(self) -> str:
        names = self._core.component_names()
        for name in ("PIXEL", "PROFILES"):
            if name in names:
                return name
        return names[0]

    def _active_vectors(self) -> np.ndarray:
        """(components, depth, height, width) float64 of the active choice,
        scaled; NaN where disabled or no choice is active."""
        bases = "UVW" if self.type == "FT_VECTOR_3C" else "UV"
        active = self.active
        # States past the last choice are kept in the last choice's slot.
        slot = np.minimum(active, self.choices - 1)
        result = np.full((len(bases),) + self.shape, np.nan)
        valid = (active >= 0) & (self.enabled != 0)
        for k, base in enumerate(bases):
            for choice in range(self.choices):
                name = f"{base}{choice}"
                where = valid & (slot == choice)
                scale = Scale(*self._core.component_scale(name))
                result[k][where] = scale.apply(self._core.component(name)[where])
        return result

    def to_physical(self) -> Physical:
        """The frame in physical units: the values through the value scale
        (float64; for vector frames (components, depth, height, width) of
        the active choice, NaN where a vector is disabled), and the x, y and
        z positions of the columns, rows and planes through the axis scales."""
        if self.type == "FT_RGB":
            raise TypeError("an RGB frame has no value scale")
        scales = self.scales
        if self.type.startswith("FT_VECTOR"):
            values = self._active_vectors()
        else:
            name = self._main_component()
            values = Scale(*self._core.component_scale(name)).apply(self._core.component(name))
        depth, height, width = self.shape
        return Physical(
            values=values,
            x=scales["x"].apply(np.arange(width)),
            y=scales["y"].apply(np.arange(height)),
            z=scales["z"].apply(np.arange(depth)),
            unit=scales["value"].unit,
        )


def _apply_scales(frame: Frame, scale_x: Optional[Scale], scale_y: Optional[Scale],
                  scale_z: Optional[Scale], scale_value: Optional[Scale]) -> None:
    for axis, scale in (("x", scale_x), ("y", scale_y), ("z", scale_z), ("value", scale_value)):
        if scale is not None:
            frame.scales[axis] = Scale(*scale) if not isinstance(scale, Scale) else scale


class Buffer:
    """An ordered list of frames and the global attributes.

    ``len(buf)``, ``buf[i]`` (negative indices too) and iteration give
    frames; :meth:`append` adds one."""

    def __init__(self, _core_buffer: Any = None) -> None:
        self._core = _core_buffer if _core_buffer is not None else _core.Buffer()

    def __len__(self) -> int:
        return len(self._core)

    def __getitem__(self, index: int) -> Frame:
        if not isinstance(index, (int, np.integer)):
            raise TypeError(f"frame indices are integers, not {type(index).__name__}")
        return Frame(self._core.frame(int(index)))

    def __iter__(self) -> Iterator[Frame]:
        for index in range(len(self)):
            yield self[index]

    def __repr__(self) -> str:
        return f"<bufferapi.Buffer with {len(self)} frame(s)>"

    @property
    def attrs(self) -> Attributes:
        """The global attributes."""
        return Attributes(self._core.attrs)

    def append(self, frame: Frame) -> Frame:
        """Adds a frame and returns it as a frame of this buffer.

        A frame made by :meth:`image` and its kin moves in (arrays taken from
        it stay valid); a frame of another buffer is copied with its data."""
        if not isinstance(frame, Frame):
            raise TypeError(f"append takes a Frame, not {type(frame).__name__}")
        return Frame(self._core.append(frame._core))

    @staticmethod
    def image(array: Any, *, scale_x: Optional[Scale] = None, scale_y: Optional[Scale] = None,
              scale_z: Optional[Scale] = None, scale_value: Optional[Scale] = None,
              unit: Optional[str] = None, mask: Optional[Any] = None) -> Frame:
        """An image frame holding a copy of array, shape (height, width) or
        (depth, height, width), dtype uint8, uint16, int32, uint32, float32
        or float64. unit sets the value scale's unit (factor 1, offset 0)
        unless scale_value is given; mask is a bool array of the same shape."""
        planes = _as_planes(array, "image")
        element = _element_type(planes, "image")
        depth, height, width = planes.shape
        frame = Frame(_core.new_image(width, height, depth, element))
        frame.components["PIXEL"][...] = planes
        if unit is not None and scale_value is None:
            scale_value = Scale(1.0, 0.0, unit, "")
        _apply_scales(frame, scale_x, scale_y, scale_z, scale_value)
        if mask is not None:
            frame.mask = mask
        return frame

    @staticmethod
    def rgb(array: Any, *, scale_x: Optional[Scale] = None, scale_y: Optional[Scale] = None) -> Frame:
        """An RGB frame from a uint8 array (height, width, 4) or (depth,
        height, width, 4), channels blue, green, red, reserved."""
        planes = _as_planes(array, "rgb", trailing=(4,))
        if planes.dtype != np.uint8:
            raise TypeError(f"rgb: unsupported dtype {planes.dtype}; use uint8")
        depth, height, width, _ = planes.shape
        frame = Frame(_core.new_rgb(width, height, depth))
        frame.components["PIXEL"][...] = planes
        _apply_scales(frame, scale_x, scale_y, None, None)
        return frame

    @staticmethod
    def profile(profiles: Any, x: Optional[Any] = None) -> Frame:
        """A profile frame: profiles (count, samples) sharing the x values
        (samples,), 0, 1, 2 ... when x is None."""
        profiles = np.asarray(profiles)
        if profiles.ndim == 1:
            profiles = profiles[np.newaxis]
        if profiles.ndim != 2:
            raise ValueError(f"profile: expected an array of shape (count, samples), got shape {profiles.shape}")
        element = _element_type(profiles, "profile")
        count, samples = profiles.shape
        xvalues = np.arange(samples) if x is None else np.asarray(x)
        if xvalues.shape != (samples,):
            raise ValueError(f"profile: expected x of shape ({samples},), got shape {xvalues.shape}")
        frame = Frame(_core.new_profile(samples, count, element))
        frame.components["XVALUES"][...] = xvalues
        frame.components["PROFILES"][...] = profiles
        return frame

    @staticmethod
    def vectors(u: Any, v: Any, w: Optional[Any] = None, *, choices: Sequence[Sequence[Any]] = (),
                active: Optional[Any] = None, enabled: Optional[Any] = None, peak_ratio: Optional[Any] = None,
                grid: Union[int, Tuple[int, int, int]] = 1, scale_x: Optional[Scale] = None,
                scale_y: Optional[Scale] = None, scale_z: Optional[Scale] = None,
                scale_value: Optional[Scale] = None, unit: Optional[str] = None) -> Frame:
        """A vector frame (2 components, or 3 with w) from arrays of shape
        (height, width) or (depth, height, width), all of one dtype.

        choices: further candidates, each (u, v) or (u, v, w), after the
        first. active: the active choice per vector (0 = first; default 0).
        enabled: bool per vector (default all enabled). peak_ratio: float
        per vector. grid: vector spacing in pixels (one value or x, y, z).
        unit sets the unit of the value scale unless scale_value is given."""
        three = w is not None
        first = (u, v, w) if three else (u, v)
        candidates = [first] + [tuple(c) for c in choices]
        arrays = []
        for number, candidate in enumerate(candidates):
            if len(candidate) != len(first):
                raise ValueError(f"vectors: choice {number} has {len(candidate)} components, expected {len(first)}")
            arrays.append([_as_planes(a, f"vectors: {'UVW'[k]}{number}") for k, a in enumerate(candidate)])
        shape = arrays[0][0].shape
        element = _element_type(arrays[0][0], "vectors")
        for number, candidate in enumerate(arrays):
            for k, a in enumerate(candidate):
                if a.shape != shape or a.dtype != arrays[0][0].dtype:
                    raise ValueError(
                        f"vectors: {'UVW'[k]}{number} has shape {a.shape} and dtype {a.dtype}, "
                        f"expected {shape} and {arrays[0][0].dtype}"
                    )
        depth, height, width = shape
        frame = Frame(_core.new_vector(width, height, depth, len(candidates), element, three))
        for number, candidate in enumerate(arrays):
            for k, a in enumerate(candidate):
                frame.components[f"{'UVW'[k]}{number}"][...] = a
        frame.active[...] = 0 if active is None else _vector_field(active, shape, "active")
        frame.enabled[...] = 1 if enabled is None else (_vector_field(enabled, shape, "enabled") != 0)
        if peak_ratio is not None:
            frame._core.add_component("Peak ratio", 4)
            frame.components["Peak ratio"][...] = _vector_field(peak_ratio, shape, "peak_ratio")
        frame._core.grid = (grid, grid, grid) if isinstance(grid, int) else tuple(grid)
        if unit is not None and scale_value is None:
            scale_value = Scale(1.0, 0.0, unit, "")
        _apply_scales(frame, scale_x, scale_y, scale_z, scale_value)
        return frame


def _vector_field(array: Any, shape: Tuple[int, int, int], what: str) -> np.ndarray:
    planes = _as_planes(array, what)
    if planes.shape != shape:
        raise ValueError(f"vectors: {what} has shape {planes.shape}, expected {shape}")
    return planes


def _options(options: Dict[str, Any]) -> List[Tuple[str, Any]]:
    """snake_case keywords become the library's option names
    (convert_byte_to_word -> ConvertByteToWord); others pass unchanged."""
    named = []
    for key, value in options.items():
        name = "".join(part[:1].upper() + part[1:] for part in key.split("_")) if "_" in key or key.islower() else key
        named.append((name, value))
    return named


def load(path: PathLike, **options: Any) -> Buffer:
    """Reads a file (IM7, VC7, ...; chosen by extension) into a new buffer.

    Options: convert_byte_to_word (bool, default True: 8-bit images become
    16-bit), set_legacy_profile (bool, default False); other keywords are
    passed as options of that name. Raises :class:`Error` for files that
    can't be read."""
    return Buffer(_core.load(_path(path), _options(options)))


def save(buffer: Buffer, path: PathLike, pack_type: int = 0) -> None:
    """Writes the buffer to a file of the extension's format; pack_type
    selects the plane packing (0 = none). The file is replaced only when the
    write succeeds."""
    if not isinstance(buffer, Buffer):
        raise TypeError(f"save takes a Buffer, not {type(buffer).__name__}")
    _core.save(buffer._core, _path(path), int(pack_type))


def info(path: PathLike, with_attributes: bool = True) -> Info:
    """The geometry, frame count and (with_attributes) the attributes of a
    file, without reading its data."""
    core_buffer, width, height, depth, frames = _core.info(_path(path), bool(with_attributes))
    return Info(width, height, depth, frames, Buffer(core_buffer) if core_buffer is not None else None)


def list_formats() -> Dict[str, str]:
    """Format key (e.g. "IM7") -> description, for every file format."""
    return dict(_core.list_formats())


def open_series(paths: Sequence[PathLike], component: Optional[str] = None, frame: int = 0,
                squeeze: bool = True) -> Any:
    """A lazy dask array over many files of one geometry: shape (files,
    depth, height, width), or (files, height, width) when depth is 1 and
    squeeze is set. One task per file reads the frame's component (default:
    the first one, e.g. PIXEL) through this module, so dask.distributed can
    spread a series larger than memory over workers or machines."""
    from .series import open_series as _open_series

    return _open_series(paths, component=component, frame=frame, squeeze=squeeze)
