#!/usr/bin/python3
"""Independent Poly1305 (RFC 8439, 2.5) in plain integers, for the tests.

usage: poly1305_reference.py FILE
FILE holds one "KEY_HEX MESSAGE_HEX" line per message; prints one tag in hex per line.
"""
import sys

P = (1 << 130) - 5


def poly1305(key, message):
    r = int.from_bytes(key[:16], "little") & 0x0FFFFFFC0FFFFFFC0FFFFFFC0FFFFFFF
    s = int.from_bytes(key[16:], "little")
    h = 0
    for i in range(0, len(message), 16):
        block = message[i:i + 16] + b"\x01"
        h = (h + int.from_bytes(block, "little")) * r % P
    return ((h + s) % (1 << 128)).to_bytes(16, "little")


def main():
    with open(sys.argv[1]) as f:
        for line in f:
            key, _, message = line.strip().partition(" ")
            print(poly1305(bytes.fromhex(key), bytes.fromhex(message)).hex())


if __name__ == "__main__":
    main()
