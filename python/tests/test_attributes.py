"""Attributes of buffers and frames, both ways, in memory and in IM7 files."""

import numpy as np
import pytest

import bufferapi
from bufferapi import Buffer, Scale


def test_values_keep_their_kind():
    attrs = Buffer().attrs
    attrs["Text"] = "B00001"
    attrs["Camera.Exposure"] = 0.002
    attrs["Camera.Count"] = -3
    attrs["Big"] = 2**31 + 5
    attrs["Single"] = np.float32(0.5)
    attrs["Word"] = np.uint16(65535)
    attrs["Row"] = np.array([1.5, 2.5, 3.5])
    attrs["Plane"] = np.arange(6, dtype=np.int32).reshape(2, 3)
    attrs["Scale"] = Scale(0.1, 2.0, "mm", "depth")
    assert attrs["Text"] == "B00001"
    assert attrs["Camera.Exposure"] == 0.002
    assert attrs["Camera.Count"] == -3
    assert attrs["Big"] == 2**31 + 5
    assert attrs["Single"] == 0.5
    assert attrs["Word"] == 65535
    np.testing.assert_array_equal(attrs["Row"], [[1.5, 2.5, 3.5]])
    assert attrs["Plane"].dtype == np.int32
    np.testing.assert_array_equal(attrs["Plane"], np.arange(6).reshape(2, 3))
    assert attrs["Scale"] == Scale(0.1, 2.0, "mm", "depth")
    assert list(attrs) == ["Text", "Camera.Exposure", "Camera.Count", "Big", "Single", "Word", "Row", "Plane",
                           "Scale"]
    # A group is no value of its own.
    assert "Camera" not in attrs
    with pytest.raises(KeyError, match="Camera is a group of attributes, not a value"):
        attrs["Camera"]


def test_replacing_and_deleting():
    attrs = Buffer().attrs
    attrs["Value"] = 1
    attrs["Value"] = "one"
    assert attrs["Value"] == "one" and len(attrs) == 1
    del attrs["Value"]
    assert "Value" not in attrs
    with pytest.raises(KeyError):
        attrs["Value"]
    with pytest.raises(KeyError):
        del attrs["Value"]


def test_latin1_texts_and_refusals():
    attrs = Buffer().attrs
    attrs["Unit"] = "\u00b5m"
    assert attrs["Unit"] == "\u00b5m"
    with pytest.raises(ValueError, match=r"^text can't be stored in 8 bits \(Latin-1\): \u20ac$"):
        attrs["Money"] = "\u20ac"
    with pytest.raises(TypeError, match="^attribute Thing: can't store a value of type dict$"):
        attrs["Thing"] = {}
    with pytest.raises(OverflowError, match="^attribute Huge: integer 4294967296 does not fit 32 bits"):
        attrs["Huge"] = 2**32
    with pytest.raises(ValueError, match=r"^attribute Cube: arrays of 1 or 2 dimensions only, got shape \(2, 2, 2\)$"):
        attrs["Cube"] = np.zeros((2, 2, 2))


def test_texts_and_arrays_through_im7(tmp_path):
    buffer = Buffer()
    frame = buffer.append(Buffer.image(np.zeros((4, 4), np.uint16)))
    buffer.attrs["Setup.Name"] = "nozzle"
    buffer.attrs["Setup.Table"] = np.arange(8, dtype=np.float32).reshape(2, 4)
    frame.attrs["Camera"] = "left"
    path = tmp_path / "attributes.im7"
    bufferapi.save(buffer, path)
    loaded = bufferapi.load(path)
    assert loaded.attrs["Setup.Name"] == "nozzle"
    np.testing.assert_array_equal(loaded.attrs["Setup.Table"], np.arange(8).reshape(2, 4))
    assert loaded.attrs["LoadFile"] == str(path)
    assert loaded[0].attrs["Camera"] == "left"


def test_numbers_are_refused_by_im7_with_the_library_message(tmp_path):
    buffer = Buffer()
    buffer.append(Buffer.image(np.zeros((4, 4), np.uint16)))
    buffer.attrs["Exposure"] = 0.002
    with pytest.raises(bufferapi.Error, match="^Data type of attribute Exposure not allowed for IM7 export.$"):
        bufferapi.save(buffer, tmp_path / "numbers.im7")
    assert not (tmp_path / "numbers.im7").exists()


def test_info_reads_geometry_and_attributes_without_data(tmp_path):
    buffer = Buffer()
    for _ in range(3):
        buffer.append(Buffer.image(np.zeros((2, 5, 7), np.uint16)))
    buffer.attrs["Run"] = "17"
    bufferapi.save(buffer, tmp_path / "B00001.im7")
    described = bufferapi.info(tmp_path / "B00001.im7")
    assert (described.width, described.height, described.depth, described.frames) == (7, 5, 2, 3)
    assert described.attrs["Run"] == "17"


def test_list_formats():
    formats = bufferapi.list_formats()
    assert formats["IM7"] == "Korimend image file format IM7"
    assert formats["VC7"] == "Korimend file format VC7"
    assert set(formats) == {"IM7", "VC7", "IMG", "IMX", "VEC"}
