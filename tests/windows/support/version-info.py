#!/usr/bin/env python3
"""Prints the version information of a Windows program, read from the
VS_VERSIONINFO resource that `wrestool -x -t 16 PROGRAM` writes to stdin:
`binary FileVersion a.b.c.d`, `binary ProductVersion a.b.c.d`, then one
`KEY=VALUE` line for each string of each StringFileInfo table."""
import struct
import sys


def blocks(data, start, end):
    """The child blocks (key, value bytes, children's start, end) in data[start:end]."""
    at = start
    while at + 6 <= end:
        length, value_length, is_text = struct.unpack_from("<HHH", data, at)
        if length == 0:
            break
        key_end = data.index(b"\0\0", at + 6)
        while (key_end - (at + 6)) % 2:
            key_end = data.index(b"\0\0", key_end + 1)
        key = data[at + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        size = value_length * 2 if is_text else value_length
        yield key, data[value_at:value_at + size], is_text, (value_at + size + 3) & ~3, at + length
        at = (at + length + 3) & ~3


def main():
    data = sys.stdin.buffer.read()
    root = next(blocks(data, 0, len(data)))
    key, fixed, _, children, end = root
    assert key == "VS_VERSION_INFO", key
    signature, _, fms, fls, pms, pls = struct.unpack_from("<6I", fixed)
    assert signature == 0xFEEF04BD, hex(signature)
    lines = ["binary FileVersion %d.%d.%d.%d" % (fms >> 16, fms & 0xFFFF, fls >> 16, fls & 0xFFFF),
             "binary ProductVersion %d.%d.%d.%d" % (pms >> 16, pms & 0xFFFF, pls >> 16, pls & 0xFFFF)]
    for name, _, _, inner, inner_end in blocks(data, children, end):
        if name != "StringFileInfo":
            continue
        for _, _, _, table, table_end in blocks(data, inner, inner_end):
            for key, value, _, _, _ in blocks(data, table, table_end):
                lines.append("%s=%s" % (key, value.decode("utf-16-le").rstrip("\0")))
    sys.stdout.buffer.write("".join(line + "\n" for line in lines).encode("utf-8"))


main()
