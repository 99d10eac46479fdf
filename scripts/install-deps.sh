#!/usr/bin/env bash
# Installs what building, running and testing Veilbox needs on Debian 12.
# Safe to run any number of times: it only asks apt for packages that are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev libgsf-1-dev libglib2.0-dev libx11-dev libssl-dev openssl
  libwxgtk3.2-dev libwxgtk-webview3.2-dev wx3.2-headers wx-common
  clang libclang-rt-14-dev
  python3 python3-olefile
  time
  lintian dpkg-dev
  xvfb xauth xdotool imagemagick x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# The Windows build: MinGW-w64 for 32-bit Windows with posix threads, and Wine (its
# 32-bit half comes from the i386 architecture) to run what it builds.
windows_packages=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev wine wine32:i386)
for p in "${windows_packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
