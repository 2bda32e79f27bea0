#!/usr/bin/env bash
# CTest's emulator for the Windows test programs: runs one under Wine in a
# prefix of its own (cloned from the template), on the X display of the run.
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/env.sh"
prefix="$(mktemp -d /tmp/kelup-wtest.XXXXXX)"
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
"$HERE/wine-clone.sh" "$prefix"
export WINEPREFIX="$prefix"
if [[ -z "${DISPLAY:-}" ]]; then
  source "$HERE/xvfb.sh"; xvfb_start
fi
"$WINE64" "$@"
