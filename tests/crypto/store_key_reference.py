#!/usr/bin/python3
"""Independent computation of a file stream's key schedule, for the tests.

usage: store_key_reference.py SALT_HEX PASSWORD_HEX KEYSTREAM_LENGTH
prints: the 256-byte RC4 permutation after the key schedule with the derived key, and
the first KEYSTREAM_LENGTH keystream bytes, each as one line of hex.
"""
import hashlib
import sys


def store_key(salt, password):
    md5 = hashlib.md5()
    for round_number in range(1, 100):
        md5.update(salt[: len(salt) % round_number])
        md5.update(password)
    return md5.digest()


def rc4_schedule(key):
    s = list(range(256))
    k = 0
    for n in range(256):
        k = (k + s[n] + key[n % len(key)]) % 256
        s[n], s[k] = s[k], s[n]
    return s


def rc4_keystream(s, length):
    s = list(s)
    i = j = 0
    out = bytearray()
    for _ in range(length):
        i = (i + 1) % 256
        j = (j + s[i]) % 256
        s[i], s[j] = s[j], s[i]
        out.append(s[(s[i] + s[j]) % 256])
    return bytes(out)


def main():
    salt = bytes.fromhex(sys.argv[1])
    password = bytes.fromhex(sys.argv[2])
    length = int(sys.argv[3])
    key = store_key(salt, password)
    s = rc4_schedule(key)
    print(bytes(s).hex())
    print(rc4_keystream(s, length).hex())


if __name__ == "__main__":
    main()
