#!/usr/bin/env python3
"""Helpers of tools/host-file-tests.sh.

  damage DIR            writes damaged MIDI files into DIR, one per line printed
  settings FILE         prints the plug-in settings the file carries, as hex
  settings-set IN OUT OFFSET VALUE
                        copies IN to OUT with the 32-bit little-endian word at
                        OFFSET of the carried settings replaced by VALUE
"""
import os
import struct
import sys

MARK = b"\x7dVZPR"


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def header(tracks=1, fmt=1, division=96):
    return b"MThd" + struct.pack(">IHHH", 6, fmt, tracks, division)


def chunk(body, length=None):
    return b"MTrk" + struct.pack(">I", len(body) if length is None else length) + body


GOOD = b"\x00\x90\x3c\x64\x60\x80\x3c\x00\x00\xff\x2f\x00"


def damage(folder):
    cases = {
        "truncated-chunk": header() + chunk(GOOD)[:-5],
        "length-past-end": header() + chunk(GOOD, length=4000),
        "five-byte-quantity": header() + chunk(b"\x81\x81\x81\x81\x01\x90\x3c\x64\x00\xff\x2f\x00"),
        "missing-header": chunk(GOOD),
        "empty": b"",
        "smpte-division": header(division=0xE728) + chunk(GOOD),
        "data-byte-first": header() + chunk(b"\x00\x3c\x64\x00\xff\x2f\x00"),
        "format-2": header(fmt=2) + chunk(GOOD),
    }
    for name, data in cases.items():
        path = os.path.join(folder, name + ".mid")
        with open(path, "wb") as f:
            f.write(data)
        print(path)


def find_settings(data):
    at = data.find(b"\xff\x7f")
    while at >= 0:
        length, i = 0, at + 2
        while True:
            byte = data[i]
            length = (length << 7) | (byte & 0x7F)
            i += 1
            if not byte & 0x80:
                break
        if data[i:i + len(MARK)] == MARK:
            return i + len(MARK), length - len(MARK)
        at = data.find(b"\xff\x7f", at + 1)
    return None, None


def main(args):
    if args[:1] == ["damage"]:
        damage(args[1])
    elif args[:1] == ["settings"]:
        data = open(args[1], "rb").read()
        start, length = find_settings(data)
        print("" if start is None else data[start:start + length].hex())
    elif args[:1] == ["settings-set"]:
        data = bytearray(open(args[1], "rb").read())
        start, length = find_settings(data)
        offset, value = int(args[3]), int(args[4])
        if start is None or offset + 4 > length:
            return 1
        data[start + offset:start + offset + 4] = struct.pack("<i", value)
        open(args[2], "wb").write(data)
    else:
        print(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
