#!/usr/bin/env bash
# Takes pictures of every page and of the main window's dialogs on a virtual display
# and puts them into docs/screenshots/. Look at them after each change of a page.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target test_ui_app test_ui_widgets
mkdir -p docs/screenshots
export VEILBOX_SCREENSHOTS="$PWD/docs/screenshots"
xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/test_ui_app --gtest_filter='Screenshots.*'
echo "Pictures in docs/screenshots/"
