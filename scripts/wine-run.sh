#!/usr/bin/env bash
# CTest's emulator for the Windows test programs: runs one under Wine in a
# prefix of its own (cloned from the template), on the X display of the run.
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/env.sh"
# No display given: one of its own, for this program alone.
if [[ -z "${DISPLAY:-}" ]]; then
  source "$HERE/xvfb.sh"; xvfb_start
fi
prefix="$(mktemp -d /tmp/kelup-wtest.XXXXXX)"
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; rm -rf "$prefix"
      [[ -n "${KELUP_XVFB_DISPLAY:-}" ]] && pkill -f "^Xvfb $KELUP_XVFB_DISPLAY " 2>/dev/null || true' EXIT
# Windows left to no window manager (see wine-clone.sh) unless
# KELUP_WINE_MANAGED is set.
unmanaged=--unmanaged
[[ -n "${KELUP_WINE_MANAGED:-}" ]] && unmanaged=
"$HERE/wine-clone.sh" "$prefix" $unmanaged
export WINEPREFIX="$prefix"
"$WINE64" "$@"
