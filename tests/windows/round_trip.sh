#!/usr/bin/env bash
# A hide and a restore of the Windows build under Wine, through the real registry,
# ole32's compound files and share-mode opens: the mail client's stand-in holds its store
# (its window found by class, its files refused to everyone else), the hide is refused
# while it runs, then hides the store into a container that an independent reader
# (python3-olefile) takes apart, and the restore brings back every byte.
# Usage: round_trip.sh MSIMN.EXE VEILBOX-CLI.EXE (WINEPREFIX and WINEARCH from the caller)
msimn=$1 cli=$2
source "$(dirname "$0")/world.sh"
fail() { echo "FAILED: $*"; exit 1; }
world_make "$msimn" 4 9 1

wine "$msimn" run --identity "$key" --for 20 >/dev/null 2>&1 &
client=$!
for _ in $(seq 50); do
  if ! wine "$msimn" checksum verify "$key" "$sums" >/dev/null 2>&1; then break; fi
  sleep 0.2
done
if wine "$cli" hide </dev/null >"$work/held.log" 2>&1; then fail "hid a store the client holds"; fi
grep -q 'sharing violation' "$work/held.log" || fail "no sharing violation reported: $(cat "$work/held.log")"
wine "$msimn" list | grep -q "$key" || fail "the refused hide changed the registry"
kill "$client"
wait "$client" || true

wine "$cli" hide </dev/null >"$work/hide.log" 2>&1 || fail "hide: $(cat "$work/hide.log")"
[ -f "$container" ] || fail "no container at $container"
if wine "$msimn" list | grep -q "$key"; then fail "the identity is still listed"; fi
/usr/bin/python3 - "$container" <<'PY' || fail "olefile disagrees"
import sys, olefile
ole = olefile.OleFileIO(sys.argv[1])
names = sorted('/'.join(e) for e in ole.listdir())
assert names == ['00000', '00001', '00002', '00003', 'index', 'seal'], names
assert all(ole.get_size(n) > 0 for n in names)
PY
wine "$cli" restore </dev/null >"$work/restore.log" 2>&1 || fail "restore: $(cat "$work/restore.log")"
[ ! -e "$container" ] || fail "the container is still there"
wine "$msimn" checksum verify "$key" "$sums" >/dev/null || fail "restored bytes differ"
echo "1 passed, 0 failed"
