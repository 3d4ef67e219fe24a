#!/usr/bin/env python3
"""Draws the program's own small icons (window icon and button glyphs) as PNG files."""
import struct, zlib, sys, os

def png(path, w, h, pixel):
    rows = b''.join(b'\0' + b''.join(bytes(pixel(x, y)) for x in range(w)) for y in range(h))
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
    data += chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b'')
    open(path, 'wb').write(data)

def disc(cx, cy, r, inside, outside=(0, 0, 0, 0)):
    return lambda x, y: inside(x, y) if (x - cx) ** 2 + (y - cy) ** 2 <= r * r else outside

out = sys.argv[1] if len(sys.argv) > 1 else 'resources/icons'
os.makedirs(out, exist_ok=True)
# Window icon: a blue rounded tile with a white "K"-like gadget grid.
def app(x, y):
    if not (2 <= x < 30 and 2 <= y < 30): return (0, 0, 0, 0)
    if (x in (10, 21) and 8 <= y < 24) or (y in (8, 15, 23) and 10 <= x <= 21): return (255, 255, 255, 255)
    return (40, 90, 170, 255)
png(f'{out}/kelvara.png', 32, 32, app)
# Add: a green disc with a white plus.
png(f'{out}/add.png', 24, 24, disc(11.5, 11.5, 11, lambda x, y: (255, 255, 255, 255)
    if (10 <= x <= 13 and 5 <= y <= 18) or (10 <= y <= 13 and 5 <= x <= 18) else (40, 150, 60, 255)))
# Delete: a red disc with a white cross.
png(f'{out}/delete.png', 24, 24, disc(11.5, 11.5, 11, lambda x, y: (255, 255, 255, 255)
    if 6 <= x <= 17 and (abs(x - y) <= 1 or abs(x + y - 23) <= 1) else (190, 40, 40, 255)))
# Package: a brown box with a band.
png(f'{out}/package.png', 24, 24, lambda x, y: (0, 0, 0, 0) if not (3 <= x < 21 and 5 <= y < 21)
    else ((230, 200, 120, 255) if 10 <= x <= 13 or y == 9 else (160, 110, 50, 255)))
