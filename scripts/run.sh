#!/usr/bin/env bash
# Builds Veilbox and opens its window. On a fresh machine it first installs what is
# missing; when the registry holds no mail-client identities it seeds a demo profile
# with the mail-client stand-in (two identities with message stores). The stand-in is
# put on PATH as msimn, so the program's "start Outlook Express" link opens it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target veilbox msimn

export PATH="$PWD/build/bin:$PATH"
if [ -z "$(msimn list)" ]; then
  msimn seed-demo
fi

if [ -z "${DISPLAY:-}" ]; then
  echo "No display. Run it on a virtual one:" >&2
  echo "  xvfb-run -a -s '-screen 0 1280x1024x24' scripts/run.sh" >&2
  exit 1
fi
exec build/bin/veilbox "$@"
