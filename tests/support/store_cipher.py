"""The store cipher written out plainly (hashlib MD5 and a few lines of RC4), so the
tests can check the program's own implementation against something independent."""
import hashlib


def derive_key(salt, password):
    """The 16-byte key of one file stream: MD5 over 99 rounds of a salt prefix
    (salt length mod the round number) and the whole password."""
    md5 = hashlib.md5()
    for round_number in range(1, 100):
        md5.update(salt[: len(salt) % round_number])
        md5.update(password)
    return md5.digest()


def key_schedule(key):
    s = list(range(256))
    k = 0
    for n in range(256):
        k = (k + s[n] + key[n % len(key)]) % 256
        s[n], s[k] = s[k], s[n]
    return s


def rc4(s, data):
    """XORs the keystream of permutation s into data."""
    s = list(s)
    i = j = 0
    out = bytearray(data)
    for n in range(len(out)):
        i = (i + 1) % 256
        j = (j + s[i]) % 256
        s[i], s[j] = s[j], s[i]
        out[n] ^= s[(s[i] + s[j]) % 256]
    return bytes(out)
