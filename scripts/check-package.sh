#!/usr/bin/env bash
# Makes the Debian package from a built tree (default: build), checks it with lintian,
# installs it on this machine, runs the installed programs from their installed paths
# in a scratch home, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi

rm -f "$build"/veilbox_*.deb
(cd "$build" && cpack -G DEB >/dev/null 2>&1)
deb=$(ls "$PWD/$build"/veilbox_*.deb)
# Warnings are shown; an error fails the check.
lint_status=0
report=$(lintian --fail-on error "$deb" 2>&1) || lint_status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ "$lint_status" -eq 0 ]
scratch=$(mktemp -d)
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" >/dev/null
trap 'rm -rf "$scratch"; "${sudo[@]}" apt-get remove -y -qq -o DPkg::Lock::Timeout=300 veilbox >/dev/null 2>&1' EXIT
# With nothing hidden, /uninstall removes the program's settings and ends without a
# window; it still needs a display to start.
HOME=$scratch XDG_DATA_HOME= XDG_CONFIG_HOME= VEILBOX_REGISTRY= VEILBOX_AUTH= \
  timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" /usr/bin/veilbox /uninstall
/usr/bin/veilbox-cli --help | grep -q '^usage: veilbox-cli'
# The mail-client stand-in is an example, not a command.
test -x /usr/libexec/veilbox/msimn
if command -v msimn >/dev/null; then echo "msimn is on PATH" >&2; exit 1; fi
echo "Package $(basename "$deb") installed and ran."
