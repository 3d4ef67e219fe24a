#!/usr/bin/env python3
"""Makes the program's icons; the outputs are committed, so building needs neither this script
nor a renderer.

- The application icon and the icon of widget package files are drawn once, as SVG, in the
  icon theme tree resources/icons/hicolor/scalable/{apps,mimetypes}/. Each is rendered with
  rsvg-convert (Debian package librsvg2-bin) into the PNG sizes of the same tree
  (resources/icons/hicolor/NxN/...), and the application icon also into the window icon that
  is compiled into the program (resources/icons/kelvara.png, 32 x 32).
- The three small button glyphs are drawn here pixel by pixel.

Usage: scripts/make_icons.py [ICON_FOLDER]   (default resources/icons)
"""
import glob
import os
import shutil
import struct
import subprocess
import sys
import zlib

THEME_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
WINDOW_ICON_SIZE = 32


def png(path, w, h, pixel):
    rows = b''.join(b'\0' + b''.join(bytes(pixel(x, y)) for x in range(w)) for y in range(h))
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
    data += chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b'')
    open(path, 'wb').write(data)


def disc(cx, cy, r, inside, outside=(0, 0, 0, 0)):
    return lambda x, y: inside(x, y) if (x - cx) ** 2 + (y - cy) ** 2 <= r * r else outside


def render(svg, size, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(['rsvg-convert', '--width', str(size), '--height', str(size),
                    '--format', 'png', '--output', path, svg], check=True)


def theme_icons(out):
    """Renders every scalable icon of the theme tree into each PNG size; returns the
    application icons' sources."""
    theme = os.path.join(out, 'hicolor')
    sources = sorted(glob.glob(os.path.join(theme, 'scalable', '*', '*.svg')))
    if not sources:
        sys.exit(f'no SVG icons under {theme}/scalable')
    for svg in sources:
        context = os.path.basename(os.path.dirname(svg))
        name = os.path.splitext(os.path.basename(svg))[0]
        for size in THEME_SIZES:
            render(svg, size, os.path.join(theme, f'{size}x{size}', context, name + '.png'))
    return [s for s in sources if os.path.basename(os.path.dirname(s)) == 'apps']


out = sys.argv[1] if len(sys.argv) > 1 else 'resources/icons'
os.makedirs(out, exist_ok=True)
if not shutil.which('rsvg-convert'):
    sys.exit('rsvg-convert is missing: apt-get install librsvg2-bin')
apps = theme_icons(out)
if len(apps) != 1:
    sys.exit(f'expected one application icon, found {apps}')
# The window icon is the application icon at 32 x 32.
render(apps[0], WINDOW_ICON_SIZE, os.path.join(out, 'kelvara.png'))
# Add: a green disc with a white plus.
png(f'{out}/add.png', 24, 24, disc(11.5, 11.5, 11, lambda x, y: (255, 255, 255, 255)
    if (10 <= x <= 13 and 5 <= y <= 18) or (10 <= y <= 13 and 5 <= x <= 18) else (40, 150, 60, 255)))
# Delete: a red disc with a white cross.
png(f'{out}/delete.png', 24, 24, disc(11.5, 11.5, 11, lambda x, y: (255, 255, 255, 255)
    if 6 <= x <= 17 and (abs(x - y) <= 1 or abs(x + y - 23) <= 1) else (190, 40, 40, 255)))
# Package: a brown box with a band.
png(f'{out}/package.png', 24, 24, lambda x, y: (0, 0, 0, 0) if not (3 <= x < 21 and 5 <= y < 21)
    else ((230, 200, 120, 255) if 10 <= x <= 13 or y == 9 else (160, 110, 50, 255)))
