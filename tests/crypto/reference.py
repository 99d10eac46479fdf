#!/usr/bin/python3
# The file stream key schedule for the crypto tests, computed independently (hashlib and a
# plain RC4): prints the permutation for SALT_HEX PASSWORD_HEX, then N keystream bytes.
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from store_cipher import derive_key, key_schedule, rc4  # noqa: E402

s = key_schedule(derive_key(bytes.fromhex(sys.argv[1]), bytes.fromhex(sys.argv[2])))
print(bytes(s).hex())
print(rc4(s, bytes(int(sys.argv[3]))).hex())
