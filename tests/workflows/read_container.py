#!/usr/bin/env python3
"""An independent reader of a protected container, for cross-checking the writer.

Usage: read_container.py CONTAINER PASSWORD OUTDIR

Lists the streams with olefile, decodes the two header records, rebuilds each
stream's key from its salt and the password with hashlib's MD5, deciphers the file
with a few lines of RC4 into OUTDIR/<stream name>, checks the seal's digests with
plain-integer Poly1305, and prints a JSON summary.
"""
import hashlib
import json
import os
import struct
import sys

import olefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from store_cipher import derive_key, key_schedule, rc4  # noqa: E402


def poly1305(key, message):
    r = int.from_bytes(key[:16], "little") & 0x0FFFFFFC0FFFFFFC0FFFFFFC0FFFFFFF
    h = 0
    for i in range(0, len(message), 16):
        h = (h + int.from_bytes(message[i:i + 16] + b"\x01", "little")) * r % ((1 << 130) - 5)
    return ((h + int.from_bytes(key[16:], "little")) % (1 << 128)).to_bytes(16, "little")


def digest_key(s, role):
    """The one-time key of a digest: two MD5s of a label, the role, the half and the
    keyed permutation."""
    return b"".join(hashlib.md5(b"Veilbox digest key 1" + bytes([role, half]) + bytes(s)).digest()
                    for half in (0, 1))


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
    seal = ole.openstream("seal").read() if "seal" in names else b""
    index_salt = index[544:560]
    if seal:
        s = key_schedule(derive_key(index_salt, password))
        summary["seal"] = {
            "mark": seal[:8].decode("latin-1"), "fileCount": struct.unpack_from("<I", seal, 8)[0],
            "keyCheckOk": seal[16:24] == hashlib.md5(b"Veilbox stream key check 1" + bytes(s)).digest()[:8],
            "indexDigestOk": seal[24:40] == poly1305(digest_key(s, 1), index),
        }
    for k in range(count):
        name = "%05d" % k
        data = ole.openstream(name).read()
        header, body = data[:540], data[540:]
        salt = header[:16]
        (reserved, constant) = struct.unpack_from("<2I", header, 16)
        marked = header[284:288] in (b"VBKC", b"VBK2")
        s = key_schedule(derive_key(salt, password))
        if seal:
            stream_digest = poly1305(digest_key(s, 2), index_salt + struct.pack("<I", k) + data)
            summary["files"].append({"digestOk": seal[40 + 16 * k:56 + 16 * k] == stream_digest})
        check = hashlib.md5(b"Veilbox stream key check 1" + bytes(s)).digest()[:8]
        with open("%s/%s" % (outdir, name), "wb") as out:
            out.write(rc4(s, body))
        summary["files"].append({
            "stream": name, "reserved": reserved, "constant": constant,
            "sourcePath": text(header[24:284]), "marked": marked,
            "keyCheckOk": marked and header[288:296] == check,
            "plainSize": struct.unpack_from("<Q", header, 296)[0],
            "mode": "%o" % struct.unpack_from("<I", header, 304)[0],
            "streamSize": len(data),
        })
    print(json.dumps(summary))


if __name__ == "__main__":
    main()
