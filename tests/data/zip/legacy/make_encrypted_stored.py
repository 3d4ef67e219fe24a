#!/usr/bin/env python3
"""Writes an archive with one stored entry under the traditional ZIP encryption, without a
data descriptor (flag bit 3 clear), so the header's check byte is the CRC's high byte.

usage: make_encrypted_stored.py OUT.zip NAME PASSWORD < content
"""
import struct
import sys
import zlib


def crc_step(crc, b):
    return zlib.crc32(bytes([b]), crc ^ 0xFFFFFFFF) ^ 0xFFFFFFFF


class Keys:
    def __init__(self, password):
        self.k = [0x12345678, 0x23456789, 0x34567890]
        for b in password:
            self.update(b)

    def update(self, b):
        k = self.k
        k[0] = crc_step(k[0], b)
        k[1] = ((k[1] + (k[0] & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        k[2] = crc_step(k[2], k[1] >> 24)

    def encrypt(self, data):
        out = bytearray()
        for b in data:
            t = (self.k[2] | 2) & 0xFFFF
            out.append(b ^ (((t * (t ^ 1)) >> 8) & 0xFF))
            self.update(b)
        return bytes(out)


def main():
    out_path, name, password = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()
    content = sys.stdin.buffer.read()
    crc = zlib.crc32(content)
    header = bytes((i * 37 + 11) & 0xFF for i in range(11)) + bytes([crc >> 24])
    keys = Keys(password)
    data = keys.encrypt(header) + keys.encrypt(content)
    dos_time, dos_date = 0x6000, 0x5D88  # 12:00:00, 2026-12-08
    fields = (20, 1, 0, dos_time, dos_date, crc, len(data), len(content), len(name), 0)
    local = b"PK\x03\x04" + struct.pack("<HHHHHIIIHH", *fields) + name
    central = (b"PK\x01\x02" + struct.pack("<H", 20) + struct.pack("<HHHHHIIIHH", *fields)
               + struct.pack("<HHHII", 0, 0, 0, 0, 0) + name)
    end = b"PK\x05\x06" + struct.pack("<HHHHIIH", 0, 0, 1, 1, len(central),
                                       len(local) + len(data), 0)
    with open(out_path, "wb") as f:
        f.write(local + data + central + end)


main()
