#!/usr/bin/env bash
# Sets the machine up, builds Kelupon.exe and starts it under Wine.
# Without a display it runs on a virtual one, serves that to a browser
# through noVNC (127.0.0.1 only) and leaves screenshots.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$ROOT"
scripts/setup.sh
source scripts/env.sh

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Kelupon kltool

EXE="$ROOT/build/win64/Kelupon.exe"
KLTOOL="$ROOT/build/win64/tools/kltool/kltool.exe"
export WINEPREFIX="${KELUP_RUN_PREFIX:-$HOME/.local/share/kelupon/wine}"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  scripts/wine-clone.sh "$WINEPREFIX"
fi
APPDIR="$WINEPREFIX/drive_c/Program Files/Kelupon"
mkdir -p "$APPDIR"
cp "$EXE" "$KLTOOL" "$APPDIR/"

virtual=0
if [[ -z "${DISPLAY:-}" ]] || ! xdpyinfo >/dev/null 2>&1; then
  unset DISPLAY
  source scripts/xvfb.sh
  xvfb_start
  virtual=1
  source scripts/novnc.sh
  novnc_start "$ROOT/build" || echo "Only screenshots then: the display is not served to a browser." >&2
fi

# Wine's server owns the program's sockets. Unless asked for the real
# network (KELUP_RUN_NETWORK=1), it runs in a network namespace of its own, so
# trying the program out sends nothing to the LAN.
wineserver -k 2>/dev/null || true
if [[ "${KELUP_RUN_NETWORK:-0}" != 1 ]] && unshare --net true 2>/dev/null; then
  unshare --net wineserver -p5
  echo "LAN functions are isolated (KELUP_RUN_NETWORK=1 puts the program on the real network)."
fi

SHOT="$ROOT/build/kelupon-screen.png"
echo "Kelupon.exe: $EXE"
echo "Wine prefix: $WINEPREFIX (notes: see config.ini in drive_c/users/*/AppData/Roaming/KELUPG5)"
cd "$APPDIR"
# Only this script hears Ctrl+C; it then ends the program the way the exit
# command does, so the notes are saved.
setsid "$WINE64" Kelupon.exe &
pid=$!
stop() {
  "$WINE64" "$APPDIR/kltool.exe" close --class RARADAVE >/dev/null 2>&1 || true
  wait "$pid" 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}
trap 'stop; exit 0' INT TERM

if ((virtual)); then
  sleep 3
  import -window root "$SHOT" 2>/dev/null || true
  echo "Running on the virtual display $DISPLAY. A screenshot is in $SHOT"
  echo "(it is refreshed every 10 seconds; on the first start it shows the welcome dialog)."
  if [[ -n "$KELUP_NOVNC_URL" ]]; then
    echo "To see and use the program in a browser on this machine, open"
    echo "  $KELUP_NOVNC_URL"
    echo "(it listens on 127.0.0.1 only; from another machine, forward the port first:"
    echo "ssh -L $KELUP_NOVNC_PORT:127.0.0.1:$KELUP_NOVNC_PORT <this machine>)."
  fi
  echo "Press Ctrl+C to end the program; it saves its notes and exits cleanly."
  while kill -0 "$pid" 2>/dev/null; do
    # Waiting on the builtin lets Ctrl+C or a TERM through at once.
    sleep 10 & wait $! || true
    import -window root "$SHOT" 2>/dev/null || true
  done
else
  echo "Kelupon is running: its icon is in the notification area. Ctrl+C here ends it cleanly."
  wait "$pid" || true
fi
