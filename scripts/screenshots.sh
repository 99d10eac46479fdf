#!/usr/bin/env bash
# Takes pictures of every page and every dialog on a virtual display and puts them into
# docs/screenshots/. Look at them after each change of a page or a dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target veilbox-screenshots msimn
mkdir -p docs/screenshots

# A private home and registry; the mail client's identities are made by its stand-in.
world=$(mktemp -d)
trap 'rm -rf "$world"' EXIT
export HOME="$world" XDG_DATA_HOME="$world/data" XDG_CONFIG_HOME="$world/config"
mkdir -p "$world/Documents"
unset VEILBOX_REGISTRY
take() { xvfb-run -a -s "-screen 0 1280x1024x24" build/ui/screenshots/veilbox-screenshots "$PWD/docs/screenshots" "$@"; }

# One identity first, for the start-up's question; then a second one for the rest.
build/bin/msimn create-identity --name "Main Identity" --default >/dev/null
take one-identity
build/bin/msimn create-identity --name "Private" >/dev/null
take
echo "Pictures in docs/screenshots/"
