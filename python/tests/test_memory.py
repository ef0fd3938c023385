"""Component arrays are views into the frame's memory that keep it alive."""

import gc
import weakref

import numpy as np

import bufferapi
from bufferapi import Buffer


def test_writing_into_a_view_changes_the_frame(tmp_path):
    buffer = Buffer()
    frame = buffer.append(Buffer.image(np.zeros((3, 4, 5), np.uint16)))
    frame.components["PIXEL"][2, 1, 3] = 777
    # Seen through a fresh view and through a file written from the frame.
    assert frame.components["PIXEL"][2, 1, 3] == 777
    bufferapi.save(buffer, tmp_path / "written.im7")
    assert bufferapi.load(tmp_path / "written.im7")[0].components["PIXEL"][2, 1, 3] == 777


def test_views_of_one_component_share_memory():
    frame = Buffer().append(Buffer.image(np.zeros((2, 3, 3), np.float32)))
    first, second = frame.components["PIXEL"], frame.components["PIXEL"]
    assert np.shares_memory(first, second)
    assert first.flags.writeable


def test_planes_of_a_loaded_frame_form_one_strided_view(tmp_path):
    # Frames the library makes hold their planes in separate blocks; the view
    # must still see every plane, and writing one plane must not touch another.
    buffer = Buffer()
    buffer.append(Buffer.image(np.arange(4 * 6 * 7, dtype=np.int32).reshape(4, 6, 7)))
    bufferapi.save(buffer, tmp_path / "stack.im7")
    frame = bufferapi.load(tmp_path / "stack.im7")[0]
    view = frame.components["PIXEL"]
    np.testing.assert_array_equal(view, np.arange(4 * 6 * 7).reshape(4, 6, 7))
    view[1] = -1
    again = frame.components["PIXEL"]
    assert (again[1] == -1).all() and again[0, 0, 0] == 0 and again[2, 0, 0] == 2 * 42


def test_array_outlives_the_python_buffer(tmp_path):
    buffer = Buffer()
    # Planes this large come from the system and go back to it when freed,
    # so an array that didn't hold its buffer would fault here.
    buffer.append(Buffer.image(np.full((2, 512, 512), 9, np.uint16)))
    bufferapi.save(buffer, tmp_path / "alive.im7")
    loaded = bufferapi.load(tmp_path / "alive.im7")
    pixels = loaded[0].components["PIXEL"]
    probe = weakref.ref(loaded)
    del loaded
    gc.collect()
    assert probe() is None
    # Other allocations must not reuse the planes while the array lives.
    junk = [np.full((512, 512), 1, np.uint16) for _ in range(50)]
    assert (pixels == 9).all()
    pixels += 1
    assert (pixels == 10).all()
    del junk


def test_view_of_a_standalone_frame_stays_valid_after_append():
    frame = Buffer.image(np.full((8, 8), 3, np.uint8))
    early = frame.components["PIXEL"]
    buffer = Buffer()
    appended = buffer.append(frame)
    assert not frame._core.standalone
    early[0, 0, 0] = 42
    assert appended.components["PIXEL"][0, 0, 0] == 42
    del buffer, appended, frame
    gc.collect()
    assert early[0, 0, 0] == 42 and early.sum() == 42 + 3 * 63


def test_appending_a_frame_of_another_buffer_copies_it():
    source = Buffer()
    original = source.append(Buffer.image(np.zeros((2, 2), np.uint16)))
    target = Buffer()
    copy = target.append(original)
    copy.components["PIXEL"][...] = 5
    assert (original.components["PIXEL"] == 0).all()
    assert len(source) == 1 and len(target) == 1


def test_input_arrays_are_copied_not_adopted():
    data = np.zeros((4, 4), np.float64)
    frame = Buffer.image(data)
    data[...] = 1
    assert (frame.components["PIXEL"] == 0).all()
