#!/usr/bin/env bash
# Containers cross between the two builds. The Windows build under Wine hides an identity
# and the Linux build restores it; then the Linux build hides one and the Windows build
# restores it. Each time every file comes back byte for byte into the folder each system
# names in its own way (Z:\ is the Linux root), the identity's saved store folder is
# written in the restoring system's form, the independent reader (python3-olefile)
# deciphers the same bytes from the container, and the identity can be hidden and
# restored again on its new system. Both builds run under one program password given on
# a descriptor (--password-fd), and a wrong one is refused under Windows.
# Usage: cross_over.sh LINUX-BIN-DIR MSIMN.EXE VEILBOX-CLI.EXE (WINEPREFIX, WINEARCH from the caller)
linux_bin=$1 msimn=$2 cli=$3
here=$(dirname "$0")
source "$here/world.sh"
fail() { echo "FAILED: $*"; exit 1; }
for tool in "$linux_bin/msimn" "$linux_bin/veilbox-cli"; do
  [ -x "$tool" ] || fail "the Linux build is missing $tool"
done

# The Linux build's own world: its registry database, home, documents folder and password
# file, which holds the same program password as the Windows side's.
linux_home=$work/linux-home
mkdir -p "$linux_home/Documents" && mkdir -m 700 "$work/linux-registry"
linux() {
  env -u XDG_DOCUMENTS_DIR -u DISPLAY HOME="$linux_home" XDG_CONFIG_HOME="$linux_home/config" \
    XDG_DATA_HOME="$linux_home/data" VEILBOX_REGISTRY="$work/linux-registry/registry.db" \
    VEILBOX_AUTH="$work/linux-auth.dat" VEILBOX_PROGRAM_NAME=veilbox-cli "$@"
}
linux "$linux_bin/msimn" list >/dev/null  # its first use makes the registry database
# One program password for both builds, each given it on descriptor 0 as a caller would.
password='Tulip 7!'
for auth in "$work/auth.dat" "$work/linux-auth.dat"; do
  /usr/bin/python3 -c 'import hashlib, os, sys; salt = os.urandom(8)
open(sys.argv[1], "wb").write(salt + hashlib.md5(salt + sys.argv[2].encode()).digest())' "$auth" "$password"
done
windows_cli() { wine "$cli" --password-fd 0 "$1" <<<"$password"; }
linux_cli() { linux "$linux_bin/veilbox-cli" --password-fd 0 "$1" <<<"$password"; }
# The Linux settings (protected identity, level), written into the registry stand-in.
linux_protect() {
  /usr/bin/python3 - "$work/linux-registry/registry.db" "$1" "$2" <<'PY'
import sqlite3, struct, sys
db = sqlite3.connect(sys.argv[1])
key = 1
for name in ["Software", "Keelfern", "veilbox-cli", "main"]:
    row = db.execute("SELECT id FROM keys WHERE parent=? AND fold=?", (key, name.upper().encode())).fetchone()
    key = row[0] if row else db.execute("INSERT INTO keys(parent, name, fold) VALUES (?,?,?)",
                                        (key, name.encode(), name.upper().encode())).lastrowid
for name, kind, data in [("guardid", 1, sys.argv[2].encode() + b"\0"), ("secmode", 4, struct.pack("<I", int(sys.argv[3])))]:
    db.execute("DELETE FROM vals WHERE key=? AND fold=?", (key, name.upper().encode()))
    db.execute("INSERT INTO vals(key, name, fold, type, data) VALUES (?,?,?,?,?)", (key, name.encode(), name.upper().encode(), kind, data))
db.commit()
PY
}
# The independent reader deciphers every stream of the container to the bytes recorded
# in the checksum list for the file its header names.
independent_reader_agrees() {
  local container=$1 sums=$2 out
  out=$(mktemp -d -p "$work")
  /usr/bin/python3 "$here/../workflows/read_container.py" "$container" "$password" "$out" >"$out/summary.json" || return 1
  /usr/bin/python3 - "$out" "$sums" <<'PY'
import hashlib, json, os, re, sys
out, sums = sys.argv[1], sys.argv[2]
expected = dict(reversed(line.split("  ", 1)) for line in open(sums).read().splitlines())
summary = json.load(open(os.path.join(out, "summary.json")))
entries = [e for e in summary["files"] if "stream" in e]
digests = [e["digestOk"] for e in summary["files"] if "digestOk" in e]
assert summary["seal"]["keyCheckOk"] and summary["seal"]["indexDigestOk"], summary["seal"]
assert len(entries) == len(expected) == len(digests) and all(digests), (entries, sorted(expected))
for entry in entries:
    name = re.split(r"[\\/]", entry["sourcePath"])[-1]
    digest = hashlib.md5(open(os.path.join(out, entry["stream"]), "rb").read()).hexdigest()
    assert entry["keyCheckOk"] and expected[name] == digest, (name, entry)
PY
}
store_sums() { (cd "$1" && md5sum -- *.dbx); }
# The "Store Root" of an identity as a mail client's stand-in lists it: KEY, then how to run it.
store_root_of() { local key=$1; shift; "$@" list | tr -d '\r' | awk -F'\t' -v key="$key" '$1 == key { print $4 }'; }

# The Windows build hides; the Linux build restores.
world_make "$msimn" 4 9 2
windows_store=$work/store
store_sums "$windows_store" >"$work/windows.md5"
windows_documents=$(dirname "$container")
# A wrong password on the descriptor is refused under Windows too, and changes nothing.
if wine "$cli" --password-fd 0 hide <<<"tulip 7!" >"$work/log" 2>&1; then fail "hid under a wrong password"; fi
grep -q "The password is not correct." "$work/log" || fail "no refusal said: $(cat "$work/log")"
[ ! -e "$container" ] && (cd "$windows_store" && md5sum --quiet -c "$work/windows.md5") || fail "a refused hide changed something"
windows_cli hide >"$work/log" 2>&1 || fail "Windows hide: $(cat "$work/log")"
[ -f "$container" ] && ! ls "$windows_store"/*.dbx >/dev/null 2>&1 || fail "the Windows hide left the store in place"
independent_reader_agrees "$container" "$work/windows.md5" || fail "the independent reader disagrees (Windows container)"
cp "$container" "$linux_home/Documents/$key.dat" && rm -f "$container"
linux_protect "$key" 2
linux_cli restore >"$work/log" 2>&1 || fail "Linux restore: $(cat "$work/log")"
[ ! -e "$linux_home/Documents/$key.dat" ] || fail "the Linux restore kept the container"
(cd "$windows_store" && md5sum --quiet -c "$work/windows.md5") || fail "the Linux restore changed bytes"
[ "$(store_root_of "$key" linux "$linux_bin/msimn")" = "$windows_store" ] ||
  fail "the restored store folder is not in Linux form: $(linux "$linux_bin/msimn" list)"
linux_cli hide >"$work/log" 2>&1 && linux_cli restore >>"$work/log" 2>&1 ||
  fail "the identity does not hide and restore again on Linux: $(cat "$work/log")"
(cd "$windows_store" && md5sum --quiet -c "$work/windows.md5") || fail "hiding again on Linux changed bytes"

# The Linux build hides; the Windows build restores.
linux_store="$work/Linux Store"
linux_key=$(linux "$linux_bin/msimn" create-identity --name Bo --store "$linux_store" --files 4 --seed 5 --default | tail -1)
store_sums "$linux_store" >"$work/linux.md5"
linux_protect "$linux_key" 2
linux_cli hide >"$work/log" 2>&1 || fail "Linux hide: $(cat "$work/log")"
linux_container=$linux_home/Documents/$linux_key.dat
[ -f "$linux_container" ] && ! ls "$linux_store"/*.dbx >/dev/null 2>&1 || fail "the Linux hide left the store in place"
independent_reader_agrees "$linux_container" "$work/linux.md5" || fail "the independent reader disagrees (Linux container)"
cp "$linux_container" "$windows_documents/$linux_key.dat" && rm -f "$linux_container"
settings="HKCU\\$registry\\Software\\Keelfern\\veilbox-cli\\main"
wine reg add "$settings" /v guardid /d "$linux_key" /f >/dev/null
windows_cli restore >"$work/log" 2>&1 || fail "Windows restore: $(cat "$work/log")"
[ ! -e "$windows_documents/$linux_key.dat" ] || fail "the Windows restore kept the container"
(cd "$linux_store" && md5sum --quiet -c "$work/linux.md5") || fail "the Windows restore changed bytes"
windows_form=$(winepath -w "$linux_store")
[ "$(store_root_of "$linux_key" wine "$msimn")" = "$windows_form" ] ||
  fail "the restored store folder is not in Windows form: $(wine "$msimn" list)"
windows_cli hide >"$work/log" 2>&1 && windows_cli restore >>"$work/log" 2>&1 ||
  fail "the identity does not hide and restore again under Windows: $(cat "$work/log")"
(cd "$linux_store" && md5sum --quiet -c "$work/linux.md5") || fail "hiding again under Windows changed bytes"
echo "2 passed, 0 failed"
