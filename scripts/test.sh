#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, then the same suites under
# AddressSanitizer and UndefinedBehaviorSanitizer, then (when present) the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure -j "$jobs"
scripts/check-package.sh build

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEILBOX_SANITIZE=ON -DVEILBOX_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$PWD/tests/ubsan.supp
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build-asan --output-on-failure -j "$jobs"

# The core and its suites on the real Windows API: cross-built, run under Wine in a
# 32-bit prefix of our own, headless, whose documents folder is a real folder.
export WINEARCH=win32 WINEPREFIX=$PWD/build-win32/wineprefix WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  # No .NET or HTML engine for the prefix: nothing here uses them, and their installers
  # would only ask.
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  # The user's folders appear only once the prefix's first start has finished.
  wineserver -w
  documents="$WINEPREFIX/drive_c/users/$(id -un)/Documents"
  if [ -L "$documents" ]; then rm "$documents" && mkdir "$documents"; fi
fi
cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-win32 -j "$jobs"
# One Wine server and its services for every test, instead of a start per test program;
# detached from any test's output, which ctest would otherwise wait on.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineserver -p >/dev/null 2>&1
wine cmd /c exit >/dev/null 2>&1
ctest --test-dir build-win32 --output-on-failure -j "$jobs"
wineserver -k || true
trap - EXIT

if [ -x scripts/fuzz.sh ]; then
  scripts/fuzz.sh
fi
echo "All tests passed."
