#!/usr/bin/python3
# Independent computations for the crypto tests, in plain integers and hashlib:
#   reference.py poly1305 FILE    (FILE: "KEY_HEX MESSAGE_HEX" lines) prints one tag per line;
#   reference.py storekey SALT_HEX PASSWORD_HEX N   prints the RC4 permutation after a file
#   stream's key schedule, then its first N keystream bytes.
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from store_cipher import derive_key, key_schedule, rc4  # noqa: E402

if sys.argv[1] == "poly1305":
    for line in open(sys.argv[2]):
        key, message = (bytes.fromhex(part) for part in (line.split() + [""])[:2])
        r = int.from_bytes(key[:16], "little") & 0x0FFFFFFC0FFFFFFC0FFFFFFC0FFFFFFF
        h = 0
        for i in range(0, len(message), 16):
            h = (h + int.from_bytes(message[i:i + 16] + b"\x01", "little")) * r % ((1 << 130) - 5)
        print(((h + int.from_bytes(key[16:], "little")) % (1 << 128)).to_bytes(16, "little").hex())
else:
    s = key_schedule(derive_key(bytes.fromhex(sys.argv[2]), bytes.fromhex(sys.argv[3])))
    print(bytes(s).hex())
    print(rc4(s, bytes(int(sys.argv[4]))).hex())
