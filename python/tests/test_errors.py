"""Damaged files, missing files and unsuitable arrays fail clearly."""

import re

import numpy as np
import pytest

import bufferapi
from bufferapi import Buffer


@pytest.fixture
def image_file(tmp_path):
    buffer = Buffer()
    buffer.append(Buffer.image(np.arange(2 * 30 * 40, dtype=np.uint16).reshape(2, 30, 40)))
    path = tmp_path / "good.im7"
    bufferapi.save(buffer, path)
    return path


def test_library_errors_carry_the_library_message_and_origin(tmp_path):
    missing = tmp_path / "missing.im7"
    with pytest.raises(bufferapi.Error) as caught:
        bufferapi.load(missing)
    assert str(caught.value) == f'Unable to open file "{missing}"'
    assert caught.value.unit.endswith("Buffer2File")
    assert caught.value.line > 0
    assert issubclass(bufferapi.Error, Exception)


def test_unknown_extension(tmp_path):
    with pytest.raises(bufferapi.Error, match="^Can't read files of type 'XYZ'$"):
        bufferapi.load(tmp_path / "file.xyz")
    with pytest.raises(bufferapi.Error, match="^Can't write files of type 'XYZ'$"):
        bufferapi.save(Buffer(), tmp_path / "file.xyz")


def test_truncated_header(tmp_path, image_file):
    damaged = tmp_path / "header.im7"
    damaged.write_bytes(image_file.read_bytes()[:100])
    with pytest.raises(bufferapi.Error, match="^Invalid header.$"):
        bufferapi.load(damaged)
    with pytest.raises(bufferapi.Error, match="^Invalid header.$"):
        bufferapi.info(damaged)


def test_truncated_data(tmp_path, image_file):
    damaged = tmp_path / "data.im7"
    damaged.write_bytes(image_file.read_bytes()[:2000])
    with pytest.raises(bufferapi.Error) as caught:
        bufferapi.load(damaged)
    assert str(caught.value)  # the library names what is short


def test_empty_buffer_is_refused_on_save(tmp_path):
    with pytest.raises(bufferapi.Error, match="^Can't export buffer without frames to IM7.$"):
        bufferapi.save(Buffer(), tmp_path / "empty.im7")


def test_unsigned_32_bit_images_are_not_an_im7_type(tmp_path):
    buffer = Buffer()
    buffer.append(Buffer.image(np.zeros((2, 2), np.uint32)))
    with pytest.raises(bufferapi.Error, match="^Can't export this data type to IM7.$"):
        bufferapi.save(buffer, tmp_path / "u32.im7")


@pytest.mark.parametrize("dtype", [np.int64, np.int8, np.float16, np.complex64, np.bool_])
def test_unsupported_dtypes_are_refused(dtype):
    with pytest.raises(TypeError, match=rf"^image: unsupported dtype {np.dtype(dtype)}; "
                                        r"use uint8, uint16, int32, uint32, float32 or float64$"):
        Buffer.image(np.zeros((2, 2), dtype))


@pytest.mark.parametrize("shape", [(5,), (1, 2, 3, 4)])
def test_wrong_number_of_dimensions(shape):
    expected = f"image: expected an array of shape (height, width) or (depth, height, width), got shape {shape}"
    with pytest.raises(ValueError, match=f"^{re.escape(expected)}$"):
        Buffer.image(np.zeros(shape, np.uint16))


def test_rgb_needs_four_channels_of_bytes():
    with pytest.raises(ValueError, match=r"^rgb: expected an array of shape \(height, width, 4\) or "
                                         r"\(depth, height, width, 4\), got shape \(2, 2, 3\)$"):
        Buffer.rgb(np.zeros((2, 2, 3), np.uint8))
    with pytest.raises(TypeError, match="^rgb: unsupported dtype uint16; use uint8$"):
        Buffer.rgb(np.zeros((2, 2, 4), np.uint16))


def test_non_contiguous_and_foreign_byte_order_input_is_copied():
    base = np.arange(8 * 10, dtype=np.uint16).reshape(8, 10)
    strided = base[::2, ::3]
    assert not strided.flags.c_contiguous
    np.testing.assert_array_equal(Buffer.image(strided).components["PIXEL"][0], strided)
    swapped = base.astype(">u2")
    frame = Buffer.image(swapped)
    assert frame.components["PIXEL"].dtype == np.uint16
    np.testing.assert_array_equal(frame.components["PIXEL"][0], base)


def test_vector_arrays_must_agree():
    u = np.zeros((3, 4), np.float32)
    with pytest.raises(ValueError, match=r"^vectors: V0 has shape \(1, 3, 5\) and dtype float32, "
                                         r"expected \(1, 3, 4\) and float32$"):
        Buffer.vectors(u, np.zeros((3, 5), np.float32))
    with pytest.raises(ValueError, match="^vectors: choice 1 has 3 components, expected 2$"):
        Buffer.vectors(u, u, choices=[(u, u, u)])
    with pytest.raises(ValueError, match=r"^vectors: active has shape \(1, 2, 2\), expected \(1, 3, 4\)$"):
        Buffer.vectors(u, u, active=np.zeros((2, 2), np.int32))


def test_mask_shape_and_frame_index():
    frame = Buffer.image(np.zeros((2, 3, 4), np.uint8))
    with pytest.raises(ValueError, match=r"^mask: expected shape \(2, 3, 4\), got \(1, 3, 4\)$"):
        frame.mask = np.ones((3, 4), bool)
    with pytest.raises(IndexError, match="^frame index out of range$"):
        Buffer()[0]
    with pytest.raises(KeyError):
        frame.components["NOPE"]
