"""LAS point clouds (versions 1.0 to 1.4, point formats 0 to 10) read with
numpy: the public header's fields that locate and scale the points, and the
points' x, y, z and classification, block by block, straight from the
records (np.fromfile with the record's layout).

    public header (little-endian)        point records, record_length bytes each
    +------------------------------+     +----+----+----+-- ... --+
    | 96  offset to point data u32 | --> | X  | Y  | Z  |  class   |  int32 X, Y, Z: x = X * scale + offset
    | 104 format u8, 105 length u16|     +----+----+----+-- ... --+
    | 107 legacy point count u32   |     class: byte 15 (formats 0-5, low 5 bits)
    | 131 scales, 155 offsets f64  |            byte 16 (formats 6-10, all 8 bits)
    | 247 point count u64 (1.4)    |
    +------------------------------+

Compressed files (LAZ) are refused: their records are not laid out as
above.
"""

import os
import struct

import numpy as np

# The bytes of each format's own fields; a file's records may be longer
# (extra bytes follow them).
_RECORD_BYTES = {0: 20, 1: 28, 2: 26, 3: 34, 4: 57, 5: 63, 6: 30, 7: 36, 8: 38, 9: 59, 10: 67}
# The public header up to the scales and offsets (1.0 to 1.2), and up to the
# 64-bit point count (1.4).
_HEADER_BYTES = 227
_HEADER_BYTES_14 = 375


class LasHeader:
    """What locating and scaling the points takes: version, point_format,
    record_length, point_offset, point_count, scale (3), offset (3)."""

    def __init__(self, path, version, point_format, record_length, point_offset, point_count, scale, offset):
        self.path = path
        self.version = version
        self.point_format = point_format
        self.record_length = record_length
        self.point_offset = point_offset
        self.point_count = point_count
        self.scale = scale
        self.offset = offset

    def record_dtype(self):
        """numpy's view of one record: X, Y, Z and the classification byte."""
        class_at = 15 if self.point_format <= 5 else 16
        return np.dtype({"names": ["X", "Y", "Z", "classification"],
                         "formats": ["<i4", "<i4", "<i4", "u1"],
                         "offsets": [0, 4, 8, class_at],
                         "itemsize": self.record_length})


def read_header(path):
    """The header of the LAS file at path. Raises ValueError for a file that
    is not LAS, a compressed one (LAZ), an unknown point format, records
    shorter than their format, or points beyond the end of the file."""
    path = os.fspath(path)
    if str(path).lower().endswith(".laz"):
        raise ValueError("{}: compressed LAS (LAZ) is not read; decompress it first (laszip, or pdal translate "
                         "to .las)".format(path))
    with open(path, "rb") as f:
        head = f.read(_HEADER_BYTES_14)
    size = os.path.getsize(path)
    if len(head) < _HEADER_BYTES or head[:4] != b"LASF":
        raise ValueError("{}: not a LAS file (no LASF signature and full header)".format(path))
    major, minor = head[24], head[25]
    header_size, = struct.unpack_from("<H", head, 94)
    point_offset, = struct.unpack_from("<I", head, 96)
    point_format, record_length = struct.unpack_from("<BH", head, 104)
    if point_format & 0xC0:
        raise ValueError("{}: point format byte {:#x} marks compressed records (LAZ); decompress the file "
                         "first".format(path, point_format))
    if point_format not in _RECORD_BYTES:
        raise ValueError("{}: unknown LAS point format {}".format(path, point_format))
    if record_length < _RECORD_BYTES[point_format]:
        raise ValueError("{}: records of {} bytes are shorter than point format {} ({} bytes)".format(
            path, record_length, point_format, _RECORD_BYTES[point_format]))
    count, = struct.unpack_from("<I", head, 107)
    # LAS 1.4 keeps the 32-bit count only for formats 0 to 5 below 2^32
    # points (else 0); its 64-bit count is always right.
    if (major, minor) >= (1, 4) and header_size >= _HEADER_BYTES_14 and len(head) >= _HEADER_BYTES_14:
        count, = struct.unpack_from("<Q", head, 247)
    scale = struct.unpack_from("<3d", head, 131)
    offset = struct.unpack_from("<3d", head, 155)
    if point_offset < header_size or point_offset + count * record_length > size:
        raise ValueError("{}: {} points of {} bytes from byte {} run past the end of the file ({} bytes)".format(
            path, count, record_length, point_offset, size))
    return LasHeader(path, (major, minor), point_format, record_length, point_offset, count, scale, offset)


def read_points(header, start=0, count=None):
    """Points start .. start + count of the file: a dict of numpy arrays x,
    y, z (float64, scaled and offset) and classification (uint8)."""
    if count is None:
        count = header.point_count - start
    count = max(0, min(count, header.point_count - start))
    records = np.fromfile(header.path, dtype=header.record_dtype(), count=count,
                          offset=header.point_offset + start * header.record_length)
    xyz = [records[name].astype(np.float64) * header.scale[k] + header.offset[k]
           for k, name in enumerate(("X", "Y", "Z"))]
    classification = records["classification"]
    if header.point_format <= 5:
        classification = classification & np.uint8(0x1F)
    return {"x": xyz[0], "y": xyz[1], "z": xyz[2], "classification": np.ascontiguousarray(classification)}
