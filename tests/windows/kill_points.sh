#!/usr/bin/env bash
# The kill suite, reduced, for the Windows build under Wine: veilbox-cli.exe's hide is
# killed (SIGKILL to its Wine process) after ever longer delays. After each kill the
# identity is either still in place with every byte, or its container restores it with
# every byte (a restore keeps the container aside when the identity is in place).
# Usage: kill_points.sh MSIMN.EXE VEILBOX-CLI.EXE [ROUNDS] (WINEPREFIX, WINEARCH from the caller)
set -euo pipefail
msimn=$1 cli=$2 rounds=${3:-24}
work=$(mktemp -d)
registry="Software\\Veilbox kill points $$"
cleanup() {
  wine reg delete "HKCU\\$registry" /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED at round $round: $*"; exit 1; }

export VEILBOX_REGISTRY=$registry VEILBOX_PROGRAM_NAME=veilbox-cli WINEDEBUG=-all
export VEILBOX_AUTH=$(winepath -w "$work/auth.dat")
store=$(winepath -w "$work/store")
sums=$(winepath -w "$work/sums.txt")
round=0
key=$(wine "$msimn" create-identity --name Ann --store "$store" --files 6 --seed 3 --default | tr -d '\r' | tail -1)
wine reg add "HKCU\\$registry\\Software\\Keelfern\\veilbox-cli\\main" /v guardid /d "$key" /f >/dev/null
wine reg add "HKCU\\$registry\\Software\\Keelfern\\veilbox-cli\\main" /v secmode /t REG_DWORD /d 2 /f >/dev/null
wine "$msimn" checksum record "$key" "$sums" >/dev/null
container="$(winepath -u "$(wine cmd /c echo %USERPROFILE% | tr -d '\r')")/Documents/$key.dat"

# How long a whole hide takes here, so the kills spread over all of it.
start=$(date +%s%N)
wine "$cli" hide </dev/null >/dev/null 2>&1 || fail "a hide without a kill failed"
span=$(( ($(date +%s%N) - start) / 1000000 ))
wine "$cli" restore </dev/null >/dev/null 2>&1 || fail "a restore without a kill failed"

inPlace=0 restored=0
for round in $(seq 1 "$rounds"); do
  wine "$cli" hide </dev/null >/dev/null 2>&1 &
  hide=$!
  sleep "$(awk -v s="$span" -v r="$round" -v n="$rounds" 'BEGIN { printf "%.3f", s * r / n / 1000 }')"
  kill -9 "$hide" 2>/dev/null || true
  wait "$hide" 2>/dev/null || true
  # As in the Linux kill suite: a container left behind is handed to a restore, which
  # brings the identity back or, when it is already in place, keeps the container aside.
  if [ -e "$container" ]; then
    wine "$cli" restore </dev/null >"$work/restore.log" 2>&1 || fail "restore: $(cat "$work/restore.log")"
    [ ! -e "$container" ] || fail "the container is still there"
    restored=$((restored + 1))
  else
    inPlace=$((inPlace + 1))
  fi
  wine "$msimn" list | grep -q "$key" || fail "the identity is gone"
  wine "$msimn" checksum verify "$key" "$sums" >/dev/null || fail "the store's bytes differ"
done
echo "hide takes ${span} ms; $rounds kills: $inPlace left no container, $restored left one that a restore took back"
echo "$rounds passed, 0 failed"
