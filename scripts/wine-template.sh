#!/usr/bin/env bash
# Creates, once, the Wine prefix that every test prefix is cloned from.
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/env.sh"

stamp="$KELUP_WINE_TEMPLATE/.kelupon-template-v1"
[[ -f "$stamp" ]] && exit 0

echo "[setup] creating the Wine template prefix (ja_JP, code page 932)"
rm -rf "$KELUP_WINE_TEMPLATE"
mkdir -p "$KELUP_CACHE"
export WINEPREFIX="$KELUP_WINE_TEMPLATE"
# wineboot needs no display; keep it off any X server so set-up works headless.
env -u DISPLAY "$WINE64" wineboot -i >/dev/null 2>&1 || true
# No crash dialogs: a crashing test must fail, not wait for a click.
env -u DISPLAY "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
"${WINE64%/wine64}/wineserver" -w 2>/dev/null || wineserver -w || true
[[ -f "$KELUP_WINE_TEMPLATE/system.reg" ]] || { echo "wineboot failed" >&2; exit 1; }
touch "$stamp"
