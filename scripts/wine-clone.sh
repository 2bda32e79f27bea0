#!/usr/bin/env bash
# wine-clone.sh DEST [--unmanaged]: a fresh Wine prefix at DEST, cloned from
# the template. --unmanaged (the tests' prefixes): Wine leaves no window to a
# window manager. The tests' displays run none, and Wine waits two seconds
# for one every time a managed window (a dialog, the editor) is hidden.
# The Windows folder is hard-linked (Wine only reads it); everything a program
# or Wine writes (registry, user folders) is a real copy.
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/env.sh"
dest="$1"
[[ -f "$KELUP_WINE_TEMPLATE/system.reg" ]] || "$HERE/wine-template.sh"
rm -rf "$dest"; mkdir -p "$dest/drive_c"
cp -a "$KELUP_WINE_TEMPLATE"/*.reg "$KELUP_WINE_TEMPLATE"/.update-timestamp "$KELUP_WINE_TEMPLATE/dosdevices" "$dest/"
for d in "$KELUP_WINE_TEMPLATE"/drive_c/*; do
  name="$(basename "$d")"
  if [[ "$name" == windows ]]; then cp -al "$d" "$dest/drive_c/"; else cp -a "$d" "$dest/drive_c/"; fi
done
if [[ "${2:-}" == --unmanaged ]]; then
  printf '\n[Software\\\\Wine\\\\X11 Driver] 1796912140\n"Managed"="N"\n' >> "$dest/user.reg"
fi
