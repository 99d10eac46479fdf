# Sourced by the Windows scripts here: a private part of the registry playing
# HKEY_CURRENT_USER, a private folder, and one identity of the mail client's stand-in
# whose store is checksummed, protected by veilbox-cli at the given level.
# Usage: world_make MSIMN.EXE FILES SEED LEVEL; then $key, $sums, $container, $work.
set -euo pipefail
work=$(mktemp -d)
registry="Software\\Veilbox test $$"
world_cleanup() {
  wine reg delete "HKCU\\$registry" /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap world_cleanup EXIT

export VEILBOX_REGISTRY=$registry VEILBOX_PROGRAM_NAME=veilbox-cli WINEDEBUG=-all
VEILBOX_AUTH=$(winepath -w "$work/auth.dat")
export VEILBOX_AUTH

world_make() {
  local msimn=$1 files=$2 seed=$3 level=$4 settings="HKCU\\$registry\\Software\\Keelfern\\veilbox-cli\\main"
  key=$(wine "$msimn" create-identity --name Ann --store "$(winepath -w "$work/store")" --files "$files" \
        --seed "$seed" --default | tr -d '\r' | tail -1)
  wine reg add "$settings" /v guardid /d "$key" /f >/dev/null
  wine reg add "$settings" /v secmode /t REG_DWORD /d "$level" /f >/dev/null
  sums=$(winepath -w "$work/sums.txt")
  wine "$msimn" checksum record "$key" "$sums" >/dev/null
  container="$(winepath -u "$(wine cmd /c echo %USERPROFILE% | tr -d '\r')")/Documents/$key.dat"
}
