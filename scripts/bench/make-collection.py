"""Writes a realistic, deterministic collection of widget packages for the benchmarks.

    python3 scripts/bench/make-collection.py OUTDIR [--count 2000] [--seed 1]

Each package is a Deflate ZIP archive with a root "config.xml" (a widget element with its
attributes, name, description, author, content, access, features and preferences; some Russian
text, some manifests in windows-1251, some in the widget namespace, some descriptions on several
lines), a real "icon.png" and 10 to 30 other entries (HTML, CSS, JavaScript, PNG images and a
few other files, some in sub-folders) of mixed sizes. Names, contents, entry dates and the
packages' modification times depend only on the seed, so a given seed always writes the same
bytes. Runs in a few seconds per thousand packages.
"""

import argparse
import datetime
import os
import random
import struct
import sys
import zipfile
import zlib

WORDS = ("clock weather notes calendar radio stock news mail timer calculator currency "
         "translator battery network monitor player gallery quote compass horoscope traffic "
         "countdown tasks memo search dictionary moon sun tide football hockey chess").split()
RUSSIAN = ("часы погода заметки календарь радио курсы новости почта таймер калькулятор "
           "валюты переводчик батарея сеть монитор плеер галерея цитаты компас гороскоп "
           "пробки отсчёт задачи поиск словарь луна солнце футбол хоккей шахматы").split()
JS_WORDS = ("var function return if else for while this document window widget element "
            "value length push null true false new Date Math floor round style display "
            "innerHTML getElementById addEventListener setTimeout preferences").split()


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def make_png(rng, width, height, noisy):
    """An RGBA PNG: a gradient, or with noisy=True mostly random pixels (compresses poorly)."""
    base = rng.randrange(256)
    rows = []
    for y in range(height):
        if noisy:
            row = bytearray(rng.randbytes(width * 4))
        else:
            row = bytearray()
            for x in range(width):
                row += bytes(((base + x * 3) & 255, (base + y * 5) & 255, (x ^ y) & 255,
                              255 if (x + y) % 7 else 0))
        rows.append(b"\x00" + bytes(row))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + png_chunk(b"IEND", b""))


def text_pool(rng, kind, count, smallest, largest):
    """Bodies of generated source text of sizes spread between smallest and largest bytes."""
    pool = []
    for i in range(count):
        size = int(smallest * (largest / smallest) ** (i / max(count - 1, 1)))
        parts = []
        total = 0
        while total < size:
            if kind == "js":
                line = "  %s %s_%d = %s(%d);\n" % (rng.choice(JS_WORDS), rng.choice(WORDS),
                                                    rng.randrange(1000), rng.choice(JS_WORDS),
                                                    rng.randrange(100000))
            elif kind == "css":
                line = ".%s-%d { color: #%06x; margin: %dpx %dpx; }\n" % (
                    rng.choice(WORDS), rng.randrange(100), rng.randrange(1 << 24),
                    rng.randrange(20), rng.randrange(20))
            else:
                line = "<div class=\"%s\"><span>%s %s</span></div>\n" % (
                    rng.choice(WORDS), rng.choice(RUSSIAN), rng.choice(WORDS))
            parts.append(line)
            total += len(line.encode("utf-8"))
        pool.append("".join(parts))
    return pool


def manifest(rng, index, title, russian_title):
    namespaced = index % 3 == 0
    cp1251 = index % 10 == 4
    encoding = "windows-1251" if cp1251 else "utf-8"
    network = rng.choice(["true", "true", "false", "True", ""])
    lines = rng.randrange(1, 4)
    description_lines = []
    for _ in range(lines):
        if rng.random() < 0.5:
            description_lines.append("%s %s" % (russian_title.capitalize(),
                                                " ".join(rng.sample(RUSSIAN, 3))))
        else:
            description_lines.append("%s %s" % (title.capitalize(), " ".join(rng.sample(WORDS, 3))))
    description = "\n".join(description_lines)
    features = "".join(
        '  <feature name="http://example.org/api/%s" required="%s"/>\n' %
        (rng.choice(WORDS), rng.choice(["true", "false"])) for _ in range(rng.randrange(0, 4)))
    preferences = "".join(
        '  <preference name="%s" value="%d" readonly="false"/>\n' %
        (rng.choice(WORDS), rng.randrange(1000)) for _ in range(rng.randrange(0, 5)))
    text = (
        '<?xml version="1.0" encoding="%s"?>\n'
        '<!-- Widget %d -->\n'
        '<widget%s id="http://example.org/widgets/%s-%04d" version="%d.%d.%d"\n'
        '        height="%d" width="%d" viewmodes="floating">\n'
        '  <name short="%s">%s &amp; %s</name>\n'
        '  <description>%s</description>\n'
        '  <author href="http://example.org/authors/%d" email="a%d@example.org">Автор %d</author>\n'
        '  <icon src="icon.png" width="48" height="48"/>\n'
        '  <content src="index.html" type="text/html" encoding="UTF-8"/>\n'
        '  <access network="%s" plugins="false"/>\n'
        '%s%s'
        '  <license>Свободная лицензия, версия %d</license>\n'
        '</widget>\n') % (
            encoding, index, ' xmlns="http://www.w3.org/ns/widgets"' if namespaced else "",
            title, index, rng.randrange(3), rng.randrange(10), rng.randrange(100),
            rng.choice([100, 150, 200, 240, 300]), rng.choice([150, 200, 300, 320, 400]),
            title.capitalize(), title.capitalize(), russian_title, description,
            rng.randrange(500), index, index, network, features, preferences, rng.randrange(1, 4))
    return text.encode(encoding)


def package_name(rng, index):
    title = rng.choice(WORDS)
    shape = index % 20
    if shape == 7:
        return "%s %d.wgt" % (title.capitalize(), index)
    if shape == 13:
        return "%s-%04d.WGT" % (title.upper(), index)
    if shape == 17:
        return "Виджет %s %d.wgt" % (rng.choice(RUSSIAN), index)
    return "%s_%04d.wgt" % (title, index)


def write_package(path, rng, index, pools, when):
    title = rng.choice(WORDS)
    russian_title = rng.choice(RUSSIAN)
    date_time = (when.year, when.month, when.day, when.hour, when.minute, when.second // 2 * 2)
    entries = [("config.xml", manifest(rng, index, title, russian_title)),
               ("icon.png", make_png(rng, rng.choice([32, 48, 57, 64]),
                                     rng.choice([32, 48, 57, 64]), False))]
    entries.append(("index.html", ("<!DOCTYPE html>\n<html><head><title>%s</title>"
                                   "<link rel=\"stylesheet\" href=\"css/style.css\"></head>\n"
                                   "<body>\n%s</body></html>\n" %
                                   (russian_title, rng.choice(pools["html"]))).encode("utf-8")))
    others = rng.randrange(10, 31) - 1
    for n in range(others):
        kind = rng.random()
        if kind < 0.3:
            entries.append(("js/%s%d.js" % (rng.choice(WORDS), n),
                            ("// %s %d\n" % (title, index) +
                             rng.choice(pools["js"])).encode("utf-8")))
        elif kind < 0.5:
            entries.append(("css/%s%d.css" % (rng.choice(WORDS), n),
                            rng.choice(pools["css"]).encode("utf-8")))
        elif kind < 0.65:
            entries.append(("%s%d.html" % (rng.choice(WORDS), n),
                            rng.choice(pools["html"]).encode("utf-8")))
        elif kind < 0.9:
            # Most pictures are small gradients; a few are larger, nearly incompressible photos.
            if rng.random() < 0.1:
                entries.append(("images/photo%d.png" % n, make_png(rng, rng.choice([64, 96, 128]),
                                                                    rng.choice([64, 96]), True)))
            else:
                entries.append(("images/%s%d.png" % (rng.choice(WORDS), n),
                                rng.choice(pools["png"])))
        else:
            entries.append(("locales/ru/strings%d.json" % n,
                            ('{"title": "%s", "hint": "%s"}\n' %
                             (russian_title, " ".join(rng.sample(RUSSIAN, 5)))).encode("utf-8")))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("outdir")
    parser.add_argument("--count", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    os.makedirs(args.outdir, exist_ok=True)
    rng = random.Random(args.seed)
    pools = {
        "js": text_pool(rng, "js", 40, 300, 120000),
        "css": text_pool(rng, "css", 30, 200, 30000),
        "html": text_pool(rng, "html", 30, 200, 20000),
        "png": [make_png(rng, rng.choice([16, 24, 32, 48]), rng.choice([16, 24, 32]), False)
                for _ in range(20)],
    }
    base = datetime.datetime(2023, 1, 1, 0, 0, 0)
    for index in range(args.count):
        name = package_name(rng, index)
        # Modification times spread over two years; every 50th falls on midnight.
        when = base + datetime.timedelta(seconds=index * 31337 + rng.randrange(3600))
        if index % 50 == 0:
            when = when.replace(hour=0, minute=0, second=0)
        path = os.path.join(args.outdir, name)
        write_package(path, rng, index, pools, when)
        stamp = when.timestamp()
        os.utime(path, (stamp, stamp))
    print("wrote %d packages to %s" % (args.count, args.outdir), file=sys.stderr)


if __name__ == "__main__":
    main()
