#!/usr/bin/python3
"""Independent computation of a file stream's key schedule, for the tests.

usage: store_key_reference.py SALT_HEX PASSWORD_HEX KEYSTREAM_LENGTH
prints: the 256-byte RC4 permutation after the key schedule with the derived key, and
the first KEYSTREAM_LENGTH keystream bytes, each as one line of hex.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from store_cipher import derive_key, key_schedule, rc4  # noqa: E402


def main():
    salt = bytes.fromhex(sys.argv[1])
    password = bytes.fromhex(sys.argv[2])
    length = int(sys.argv[3])
    s = key_schedule(derive_key(salt, password))
    print(bytes(s).hex())
    print(rc4(s, bytes(length)).hex())


if __name__ == "__main__":
    main()
