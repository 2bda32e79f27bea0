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
# The desktop first, when a kltool is given: Wine starts a session's desktop
# process with its first window and waits ten seconds for it; on a loaded
# machine a program whose first window comes later gets no display driver
# and can make no window at all. `kltool hold-desktop` makes the first
# window, again until that works, and stays until the prefix ends.
if [[ -n "${KELUP_DESKTOP_TOOL:-}" ]]; then
  for _ in $(seq 12); do
    "$WINE64" "$KELUP_DESKTOP_TOOL" hold-desktop >"$prefix/desktop.out" 2>/dev/null </dev/null &
    holder=$!
    while kill -0 "$holder" 2>/dev/null && ! grep -q ready "$prefix/desktop.out"; do sleep 0.1; done
    grep -q ready "$prefix/desktop.out" && break
  done
fi
"$WINE64" "$@"
