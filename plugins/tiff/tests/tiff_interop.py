"""tifffile reads the TIFF files of the Buffer plugin, and the plugin reads
tifffile's.

Usage: tiff_interop.py <BufferTiffInterop executable> <scratch folder>

Pixel values follow (x * 7 + y * 13 + page * 31) mod range on both sides;
colour channel c uses x + 3 * c, floats add 0.5.
"""

import json
import pathlib
import shutil
import subprocess
import sys

import numpy
import tifffile

WIDTH, HEIGHT = 23, 17

GREY = {  # name: (numpy type, range, addend)
    "uint8": (numpy.uint8, 256, 0.0),
    "uint16": (numpy.uint16, 65536, 0.0),
    "int32": (numpy.int32, 1000003, 0.0),
    "uint32": (numpy.uint32, 1000003, 0.0),
    "float32": (numpy.float32, 1000, 0.5),
    "float64": (numpy.float64, 1000, 0.5),
}


def pattern(page, value_range, shift=0):
    y, x = numpy.mgrid[0:HEIGHT, 0:WIDTH]
    return ((x + shift) * 7 + y * 13 + page * 31) % value_range


def check_plugin_files(folder):
    failures = []
    for compression in ("none", "deflate"):
        for name, (dtype, value_range, add) in GREY.items():
            path = folder / f"cpp-{name}-{compression}.tif"
            with tifffile.TiffFile(path) as tiff:
                if len(tiff.pages) != 3:
                    failures.append(f"{path.name}: {len(tiff.pages)} pages")
                    continue
                for index, page in enumerate(tiff.pages):
                    pixels = page.asarray()
                    expected = (pattern(index, value_range) + add).astype(dtype)
                    if pixels.dtype != dtype or not numpy.array_equal(pixels, expected):
                        failures.append(f"{path.name} page {index}: pixels or type {pixels.dtype} differ")
                    x_resolution = page.tags["XResolution"].value
                    if abs(x_resolution[0] / x_resolution[1] - 200.0) > 1e-3:
                        failures.append(f"{path.name}: resolution {x_resolution}")
                    if page.tags["ResolutionUnit"].value != 3:
                        failures.append(f"{path.name}: resolution unit is not centimetre")
                    description = json.loads(page.description)
                    if description["plane"] != (1 if index == 1 else 0):
                        failures.append(f"{path.name} page {index}: plane {description['plane']}")
                    if index == 0 and description["pixelSize"] != {"factor": 0.05, "unit": "mm"}:
                        failures.append(f"{path.name}: pixel size {description['pixelSize']}")
        path = folder / f"cpp-rgb8-{compression}.tif"
        pixels = tifffile.imread(path)
        expected = numpy.stack([pattern(0, 256, 3 * c) for c in range(3)], axis=-1).astype(numpy.uint8)
        if pixels.shape != (HEIGHT, WIDTH, 3) or not numpy.array_equal(pixels, expected):
            failures.append(f"{path.name}: RGB pixels differ")
    return failures


def write_tifffile_files(folder):
    for compression in ("none", "zlib"):
        options = {} if compression == "none" else {"compression": "zlib"}
        suffix = f"-{compression}.tif"
        for name, pages in (("uint8", 1), ("uint8", 3), ("uint16", 3), ("float32", 3)):
            dtype, value_range, add = GREY[name]
            data = numpy.stack([(pattern(p, value_range) + add).astype(dtype) for p in range(pages)])
            with tifffile.TiffWriter(folder / f"py-{name}-{pages}{suffix}") as writer:
                for page in data:
                    writer.write(page, photometric="minisblack", **options)
        rgb = numpy.stack([pattern(0, 256, 3 * c) for c in range(3)], axis=-1).astype(numpy.uint8)
        tifffile.imwrite(folder / f"py-rgb8-1{suffix}", rgb, photometric="rgb", **options)


def main():
    helper, folder = sys.argv[1], pathlib.Path(sys.argv[2])
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    subprocess.run([helper, "write", str(folder)], check=True)
    failures = check_plugin_files(folder)
    for failure in failures:
        print(failure)
    write_tifffile_files(folder)
    read = subprocess.run([helper, "read", str(folder)])
    if failures or read.returncode != 0:
        print("interop failed")
        return 1
    print("interop ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
