#!/usr/bin/env python3
"""Writes the code page 932 oracle table: every single byte and every byte
pair that an independent decoder (Python's "cp932" codec) turns into exactly
one character, one line each: the code in hex (two digits for a single byte,
four for a pair) and the UTF-16 unit in hex.

    tools/make_cp932_oracle.py > tests/data/cp932/oracle.txt
"""
import sys


def one_character(data):
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError:
        return None
    return text if len(text) == 1 else None


def main():
    out = sys.stdout
    for byte in range(0x100):
        text = one_character(bytes([byte]))
        if text is not None:
            out.write("%02X %04X\n" % (byte, ord(text)))
    for lead in range(0x80, 0x100):
        for trail in range(0x100):
            text = one_character(bytes([lead, trail]))
            if text is not None and one_character(bytes([lead])) is None:
                out.write("%02X%02X %04X\n" % (lead, trail, ord(text)))


if __name__ == "__main__":
    main()
