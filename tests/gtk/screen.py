"""Screenshots of an X window for the GTK smoke test: xwd's dump read into RGB rows, and PNG output."""

import struct
import subprocess
import zlib


class Image:
    """An RGB picture: rows of (red, green, blue) tuples."""

    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows

    def pixel(self, x, y):
        return self.rows[y][x]

    def crop(self, left, top, width, height):
        rows = [row[left:left + width] for row in self.rows[top:top + height]]
        return Image(width, height, rows)

    def write_png(self, path):
        raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in self.rows)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                      chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def _mask_shift(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def parse_xwd(data):
    """Reads a TrueColor ZPixmap dump of 24 or 32 bits a pixel, as xwd writes on Xvfb."""
    fields = struct.unpack(">25I", data[:100])
    header_size, version, pixmap_format, depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    colour_count = fields[19]
    if version != 7 or pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise ValueError("unsupported xwd dump: format %d, %d bits" % (pixmap_format, bits_per_pixel))
    offset = header_size + colour_count * 12
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"
    shifts = [_mask_shift(m) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line:offset + y * bytes_per_line + width * step]
        if step == 4:
            words = struct.unpack(order + "%dI" % width, line)
        else:
            words = [int.from_bytes(line[i:i + 3], "little" if order == "<" else "big")
                     for i in range(0, len(line), 3)]
        rows.append([((w & red_mask) >> shifts[0], (w & green_mask) >> shifts[1],
                      (w & blue_mask) >> shifts[2]) for w in words])
    return Image(width, height, rows)


def capture(window_id, display):
    """The window's pixels as the X server shows them, its children included."""
    dump = subprocess.run(["xwd", "-silent", "-id", str(window_id), "-display", display],
                          check=True, capture_output=True).stdout
    return parse_xwd(dump)
