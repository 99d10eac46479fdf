#!/usr/bin/env python3
"""An independent reader of a protected container, for cross-checking the writer.

Usage: read_container.py CONTAINER PASSWORD OUTDIR

Lists the streams with olefile, decodes the two header records, rebuilds each
stream's key from its salt and the password with hashlib's MD5, deciphers the file
with a few lines of RC4 into OUTDIR/<stream name>, and prints a JSON summary.
"""
import hashlib
import json
import struct
import sys

import olefile


def derive_key(salt, password):
    md5 = hashlib.md5()
    for i in range(1, 100):
        md5.update(salt[: len(salt) % i])
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
    s = list(s)
    i = j = 0
    out = bytearray(data)
    for n in range(len(out)):
        i = (i + 1) % 256
        j = (j + s[i]) % 256
        s[i], s[j] = s[j], s[i]
        out[n] ^= s[(s[i] + s[j]) % 256]
    return bytes(out)


def text(field):
    return field.split(b"\0", 1)[0].decode("latin-1")


def main():
    container, password, outdir = sys.argv[1], sys.argv[2].encode("latin-1"), sys.argv[3]
    ole = olefile.OleFileIO(container)
    names = sorted("/".join(entry) for entry in ole.listdir(streams=True, storages=True))
    index = ole.openstream("index").read()
    (created, level, constant, count, total, reserved, slen, dlen) = struct.unpack_from("<8I", index, 0)
    summary = {
        "streams": names,
        "indexSize": len(index),
        "index": {
            "created": created, "securityLevel": level, "constant": constant,
            "fileCount": count, "totalBytes": total, "reserved": reserved,
            "structureLength": slen, "dataLength": dlen,
            "defaultUserId": text(index[32:96]), "lastUserId": text(index[96:160]),
            "lastUsername": text(index[160:416]), "startAs": text(index[416:480]),
            "identityId": text(index[480:544]),
        },
        "structure": index[560:560 + slen].hex(),
        "files": [],
    }
    for k in range(count):
        name = "%05d" % k
        data = ole.openstream(name).read()
        header, body = data[:540], data[540:]
        salt = header[:16]
        (reserved, constant) = struct.unpack_from("<2I", header, 16)
        marked = header[284:288] == b"VBKC"
        s = key_schedule(derive_key(salt, password))
        check = hashlib.md5(b"Veilbox stream key check 1" + bytes(s)).digest()[:8]
        with open("%s/%s" % (outdir, name), "wb") as out:
            out.write(rc4(s, body))
        summary["files"].append({
            "stream": name, "reserved": reserved, "constant": constant,
            "sourcePath": text(header[24:284]), "marked": marked,
            "keyCheckOk": marked and header[288:296] == check,
            "plainSize": struct.unpack_from("<Q", header, 296)[0],
            "streamSize": len(data),
        })
    print(json.dumps(summary))


if __name__ == "__main__":
    main()
