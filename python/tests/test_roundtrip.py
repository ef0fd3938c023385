"""Frames of every element type and frame type, numpy -> frame -> numpy, in
memory and through IM7/VC7 files."""

import numpy as np
import pytest

import bufferapi
from bufferapi import Buffer, Scale

IMAGE_DTYPES = [np.uint8, np.uint16, np.int32, np.uint32, np.float32, np.float64]
# What the IM7 format stores (unsigned 32-bit images it refuses).
FILE_DTYPES = [np.uint8, np.uint16, np.int32, np.float32, np.float64]


def random_planes(rng, dtype, shape):
    if np.issubdtype(dtype, np.integer):
        info = np.iinfo(dtype)
        return rng.integers(info.min, info.max, size=shape, dtype=dtype, endpoint=True)
    return rng.standard_normal(shape).astype(dtype)


@pytest.mark.parametrize("dtype", IMAGE_DTYPES)
def test_image_in_memory_keeps_values_dtype_and_layout(rng, dtype):
    planes = random_planes(rng, dtype, (3, 5, 7))
    frame = Buffer().append(Buffer.image(planes))
    pixel = frame.components["PIXEL"]
    assert frame.type == "FT_IMAGE"
    assert frame.shape == (3, 5, 7)
    assert pixel.dtype == dtype and pixel.shape == (3, 5, 7)
    np.testing.assert_array_equal(pixel, planes)


@pytest.mark.parametrize("dtype", FILE_DTYPES)
def test_image_through_im7_file(tmp_path, rng, dtype):
    planes = random_planes(rng, dtype, (2, 6, 9))
    buffer = Buffer()
    buffer.append(Buffer.image(planes[0]))
    buffer.append(Buffer.image(planes[1]))
    path = tmp_path / "image.im7"
    bufferapi.save(buffer, path)
    loaded = bufferapi.load(path, convert_byte_to_word=False)
    assert len(loaded) == 2
    for frame, plane in zip(loaded, planes):
        pixel = frame.components["PIXEL"]
        assert pixel.dtype == dtype and pixel.shape == (1, 6, 9)
        np.testing.assert_array_equal(pixel[0], plane)


def test_byte_images_become_words_unless_asked_not_to(tmp_path, rng):
    planes = random_planes(rng, np.uint8, (4, 4))
    buffer = Buffer()
    buffer.append(Buffer.image(planes))
    bufferapi.save(buffer, tmp_path / "bytes.im7")
    widened = bufferapi.load(tmp_path / "bytes.im7")[0].components["PIXEL"]
    assert widened.dtype == np.uint16
    np.testing.assert_array_equal(widened[0], planes)
    assert bufferapi.load(tmp_path / "bytes.im7", ConvertByteToWord=False)[0].components["PIXEL"].dtype == np.uint8


def test_packed_file_reads_back_equal(tmp_path, rng):
    planes = random_planes(rng, np.uint16, (3, 40, 50))
    buffer = Buffer()
    buffer.append(Buffer.image(planes))
    bufferapi.save(buffer, tmp_path / "packed.im7", pack_type=2)
    np.testing.assert_array_equal(bufferapi.load(tmp_path / "packed.im7")[0].components["PIXEL"], planes)


def test_rgb_frame_channels_in_memory_and_file(tmp_path, rng):
    quads = random_planes(rng, np.uint8, (2, 3, 5, 4))
    buffer = Buffer()
    frame = buffer.append(Buffer.rgb(quads))
    assert frame.type == "FT_RGB"
    np.testing.assert_array_equal(frame.components["PIXEL"], quads)
    bufferapi.save(buffer, tmp_path / "rgb.im7")
    loaded = bufferapi.load(tmp_path / "rgb.im7")[0]
    assert loaded.type == "FT_RGB"
    np.testing.assert_array_equal(loaded.components["PIXEL"], quads)


@pytest.mark.parametrize("dtype", [np.float32, np.float64, np.int32])
def test_profile_frame_keeps_x_values_and_profiles(rng, dtype):
    profiles = random_planes(rng, dtype, (3, 11))
    x = np.arange(11, dtype=dtype) * 2
    frame = Buffer().append(Buffer.profile(profiles, x=x))
    assert frame.type == "FT_PROFILE"
    assert frame.shape == (1, 3, 11)
    np.testing.assert_array_equal(frame.components["XVALUES"][0, 0], x)
    np.testing.assert_array_equal(frame.components["PROFILES"][0], profiles)


@pytest.mark.parametrize("three", [False, True])
@pytest.mark.parametrize("choices", [1, 4])
def test_vector_frame_through_vc7_keeps_choices_states_and_grid(tmp_path, rng, three, choices):
    shape = (2, 4, 5)
    candidates = [tuple(rng.standard_normal(shape).astype(np.float32) for _ in range(3 if three else 2))
                  for _ in range(choices)]
    active = rng.integers(0, choices, size=shape, dtype=np.int32)
    # One choice is stored without flags: a vector that isn't all zero reads
    # back enabled. Four choices store the state, and a disabled vector keeps
    # no active choice.
    enabled = rng.integers(0, 2, size=shape).astype(bool) if choices == 4 else np.ones(shape, bool)
    first = candidates[0]
    frame = Buffer.vectors(*first, choices=candidates[1:], active=active, enabled=enabled, grid=16)
    buffer = Buffer()
    buffer.append(frame)
    bufferapi.save(buffer, tmp_path / "field.vc7")
    loaded = bufferapi.load(tmp_path / "field.vc7")[0]
    assert loaded.type == ("FT_VECTOR_3C" if three else "FT_VECTOR_2C")
    assert loaded.choices == choices
    assert loaded.grid == (16, 16, 16)
    for number, candidate in enumerate(candidates):
        for got, expected in zip(loaded.choice(number), candidate):
            np.testing.assert_array_equal(got, expected)
    np.testing.assert_array_equal(loaded.active, np.where(enabled, active, 0))
    np.testing.assert_array_equal(loaded.enabled != 0, enabled)
    np.testing.assert_array_equal(loaded.u, first[0])
    np.testing.assert_array_equal(loaded.v, first[1])
    if three:
        np.testing.assert_array_equal(loaded.w, first[2])


def test_peak_ratio_travels_with_four_choices(tmp_path, rng):
    u = rng.standard_normal((3, 4)).astype(np.float32)
    ratio = rng.uniform(1, 5, (3, 4)).astype(np.float32)
    buffer = Buffer()
    buffer.append(Buffer.vectors(u, u, choices=[(u, u)] * 3, peak_ratio=ratio))
    bufferapi.save(buffer, tmp_path / "ratio.vc7")
    np.testing.assert_array_equal(bufferapi.load(tmp_path / "ratio.vc7")[0].peak_ratio[0], ratio)


def test_vector_defaults_enable_every_vector_with_the_first_choice():
    u = np.zeros((2, 3), np.float32)
    frame = Buffer.vectors(u, u)
    assert frame.enabled.all() and (frame.active == 0).all()
    assert frame.peak_ratio is None
    with pytest.raises(TypeError, match="^a FT_VECTOR_2C frame has no W component$"):
        frame.w


def test_mask_round_trip_through_file(tmp_path, rng):
    valid = rng.integers(0, 2, (2, 5, 6)).astype(bool)
    buffer = Buffer()
    frame = buffer.append(Buffer.image(np.ones((2, 5, 6), np.uint16), mask=valid))
    np.testing.assert_array_equal(frame.mask, valid)
    bufferapi.save(buffer, tmp_path / "mask.im7")
    np.testing.assert_array_equal(bufferapi.load(tmp_path / "mask.im7")[0].mask, valid)
    frame.mask = None
    assert frame.mask is None


def test_scales_and_to_physical(tmp_path):
    planes = np.arange(6, dtype=np.uint16).reshape(2, 3)
    buffer = Buffer()
    buffer.append(Buffer.image(planes, scale_x=Scale(0.5, 10.0, "mm", "X"), scale_value=Scale(2.0, -1.0, "K", "T")))
    bufferapi.save(buffer, tmp_path / "scaled.im7")
    frame = bufferapi.load(tmp_path / "scaled.im7")[0]
    assert frame.scales["x"] == Scale(0.5, 10.0, "mm", "X")
    assert frame.scales["value"].unit == "K"
    physical = frame.to_physical()
    np.testing.assert_allclose(physical.values[0], planes * 2.0 - 1.0)
    np.testing.assert_allclose(physical.x, [10.0, 10.5, 11.0])
    np.testing.assert_allclose(physical.y, [0.0, 1.0])
    assert physical.unit == "K"


def test_vector_to_physical_takes_the_active_choice_and_blanks_disabled():
    shape = (1, 2, 2)
    first = np.full(shape, 1.0, np.float32)
    second = np.full(shape, 5.0, np.float32)
    active = np.array([[[0, 1], [1, 0]]], np.int32)
    enabled = np.array([[[1, 1], [0, 1]]], bool)
    frame = Buffer.vectors(first, first, choices=[(second, second)], active=active, enabled=enabled,
                           scale_value=Scale(2.0, 0.0, "m/s", ""))
    values = frame.to_physical().values
    assert values.shape == (2, 1, 2, 2)
    np.testing.assert_array_equal(values[0, 0], [[2.0, 10.0], [np.nan, 2.0]])
