#!/usr/bin/env bash
# The kill suite, reduced, for the Windows build under Wine: veilbox-cli.exe's hide is
# killed (SIGKILL to its Wine process) after ever longer delays. After each kill the
# identity is either still in place with every byte, or its container restores it with
# every byte (a restore keeps the container aside when the identity is in place).
# Usage: kill_points.sh MSIMN.EXE VEILBOX-CLI.EXE [ROUNDS] (WINEPREFIX, WINEARCH from the caller)
msimn=$1 cli=$2 rounds=${3:-24}
source "$(dirname "$0")/world.sh"
fail() { echo "FAILED at round $round: $*"; exit 1; }
round=0
world_make "$msimn" 6 3 2

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
