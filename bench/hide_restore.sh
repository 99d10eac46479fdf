#!/usr/bin/env bash
# Hide and restore of a generated message store at the medium level, measured next to
# cp and openssl's RC4 over the same files in the same run.
#
#   bench/hide_restore.sh [megabytes]      (default 1024; or VEILBOX_BENCH_MB)
#
# VEILBOX_BENCH_FILES makes the store that many files of equal size instead of eight
# files shaped like a real store. VEILBOX_BENCH_BASELINE names another veilbox-cli (an
# older build, say) whose hide and restore are measured in the same run.
#
# Every step runs VEILBOX_BENCH_REPEAT times (default 3), interleaved; the fastest run
# of each is shown, with the largest peak RSS of its runs.
# BUILD_DIR names the build (default: build beside this folder); VEILBOX_BENCH_DIR the
# folder for the scratch files (default /var/tmp; it needs about three times the store
# size). Caches cannot be dropped here, so the store is read once before anything is
# timed and every run starts from a warm cache.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
megabytes=${1:-${VEILBOX_BENCH_MB:-1024}}
repeat=${VEILBOX_BENCH_REPEAT:-3}
cli=$build/bin/veilbox-cli
world=$build/bin/bench_world
rc4=$build/bench/bench_rc4
for tool in "$cli" "$world" "$rc4" /usr/bin/time openssl; do
  [ -x "$tool" ] || command -v "$tool" >/dev/null || { echo "missing: $tool (build first; scripts/install-deps.sh)" >&2; exit 2; }
done

root=$(mktemp -d "${VEILBOX_BENCH_DIR:-/var/tmp}/veilbox-bench.XXXXXX")
trap 'chmod -R u+w "$root" 2>/dev/null; rm -rf "$root"' EXIT
export HOME=$root/home XDG_CONFIG_HOME=$root/home/config USERPROFILE=$root/profile
# A password record of its own that sets no password: the runs ask for none.
export VEILBOX_REGISTRY=$root/registry/registry.db VEILBOX_AUTH=$root/auth.dat
# The world and the program being measured keep their settings under one name.
export VEILBOX_PROGRAM_NAME=veilbox-cli
unset XDG_DOCUMENTS_DIR
mkdir -p "$HOME/Documents" "$USERPROFILE" "$root/copy" "$root/rc4"
mkdir -m 700 "$root/registry"

"$world" "$megabytes" ${VEILBOX_BENCH_FILES:-}
store="$USERPROFILE/mail/store {bench}"
bytes=$(cat "$store"/*.dbx | wc -c)
files=$(ls "$store"/*.dbx | wc -l)
echo "store: $files files, $bytes bytes, in $root"

# Write the generated files out and warm the cache (taking the reference checksums)
# before anything is timed, so no step pays for another's writeback.
sync
(cd "$store" && sha256sum -- *.dbx) >"$root/before.sha256"

declare -A best_ns best_cpu peak_kib
names=()
# measure NAME COMMAND...: wall time from the shell; processor time (user + system) and
# peak RSS from /usr/bin/time (they include the children the command waited for). On a
# busy machine the processor time is the steadier figure.
measure() {
  local name=$1
  shift
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%M %U %S' -o "$root/usage" "$@" >"$root/out" 2>&1 || { cat "$root/out" >&2; echo "$name failed" >&2; exit 1; }
  end=$(date +%s%N)
  sync  # the next step starts without this one's dirty pages
  local kib user sys
  read -r kib user sys < <(tail -1 "$root/usage")
  local ns=$((end - start))
  if [ -z "${best_ns[$name]:-}" ]; then
    names+=("$name")
    peak_kib[$name]=0
  fi
  if [ -z "${best_ns[$name]:-}" ] || [ "$ns" -lt "${best_ns[$name]}" ]; then
    best_ns[$name]=$ns
    best_cpu[$name]=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
  fi
  [ "$kib" -le "${peak_kib[$name]}" ] || peak_kib[$name]=$kib
}

key=$(head -c 16 /dev/urandom | od -An -tx1 | tr -d ' \n')
for ((run = 1; run <= repeat; run++)); do
  measure "cp" cp -- "$store"/*.dbx "$root/copy/"
  rm -f "$root"/copy/*
  measure "cp+fsync" sh -c 'cp -- "$1"/*.dbx "$2"/ && sync -- "$2"/*' sh "$store" "$root/copy"
  rm -f "$root"/copy/*
  measure "openssl-rc4" sh -c 'for f in "$1"/*.dbx; do
      openssl enc -rc4 -provider legacy -provider default -nosalt -K "$2" -in "$f" -out "$3/${f##*/}.rc4" || exit 1
    done' sh "$store" "$key" "$root/rc4"
  rm -f "$root"/rc4/*

  if [ -n "${VEILBOX_BENCH_BASELINE:-}" ]; then
    measure "hide-base" "$VEILBOX_BENCH_BASELINE" hide
    measure "restore-base" "$VEILBOX_BENCH_BASELINE" restore
    (cd "$store" && sha256sum --quiet -c "$root/before.sha256") || { echo "baseline restored files differ" >&2; exit 1; }
  fi
  measure "hide" "$cli" hide
  [ -z "$(ls "$store"/*.dbx 2>/dev/null)" ] || { echo "hide left plain files behind" >&2; exit 1; }
  [ "$run" -gt 1 ] || echo "container: $(wc -c <"$(ls "$HOME"/Documents/*.dat)") bytes"
  measure "restore" "$cli" restore
  [ -z "$(ls "$HOME"/Documents/*.dat 2>/dev/null)" ] || { echo "restore left the container behind" >&2; exit 1; }
  (cd "$store" && sha256sum --quiet -c "$root/before.sha256") || { echo "restored files differ" >&2; exit 1; }
done
echo "restored files match their checksums after each of $repeat runs"

# The cipher's own time on these bytes: our RC4 and OpenSSL's over 64 KiB buffers in
# memory (bench_rc4, fastest repetition), measured now, under the same load.
"$rc4" --benchmark_filter=Rc4 >"$root/rc4.out" 2>&1 || { cat "$root/rc4.out" >&2; echo "bench_rc4 failed" >&2; exit 1; }
ours_mbs=$(awk '/^Veilbox RC4/ { print $3 }' "$root/rc4.out")
theirs_mbs=$(awk '/^OpenSSL RC4/ { print $3 }' "$root/rc4.out")
cipher_s=$(awk -v b="$bytes" -v r="$ours_mbs" 'BEGIN { print b / (r * 1e6) }')

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors; fastest of $repeat runs"
printf '\n%-12s %9s %9s %7s %8s %10s %9s %11s\n' operation "wall s" "MiB/s" "x cp" "x RC4" "cpu s" "MiB/cpu-s" \
  "peak RSS"
for name in "${names[@]}"; do
  awk -v name="$name" -v ns="${best_ns[$name]}" -v kib="${peak_kib[$name]}" -v cpu="${best_cpu[$name]}" \
      -v bytes="$bytes" -v cp="${best_ns[cp]}" -v cipher="$cipher_s" 'BEGIN {
    mib = bytes / 1048576; wall = ns / 1e9
    printf "%-12s %9.3f %9.1f %7.2f %8.2f %10.2f %9.1f %7.1f MiB\n", name, wall, mib / wall, ns / cp,
           wall / cipher, cpu, (cpu > 0 ? mib / cpu : 0), kib / 1024 }'
done
# "x RC4": the step's wall time over the time our RC4 alone takes on the same bytes.
awk -v ours="$ours_mbs" -v theirs="$theirs_mbs" -v cipher="$cipher_s" -v hide="${best_ns[hide]}" \
    -v restore="${best_ns[restore]}" -v openssl="${best_ns[openssl-rc4]}" 'BEGIN {
  printf "\nRC4 in memory: ours %.1f MB/s, OpenSSL %.1f MB/s, ratio %.3f; on these bytes %.3f s\n",
         ours, theirs, ours / theirs, cipher
  printf "hide    / openssl-rc4 %.2f    hide    / RC4 %.2f\n", hide / openssl, hide / 1e9 / cipher
  printf "restore / openssl-rc4 %.2f    restore / RC4 %.2f\n", restore / openssl, restore / 1e9 / cipher
  printf "restore / hide        %.2f\n", restore / hide }'
