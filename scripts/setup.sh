#!/usr/bin/env bash
# Brings a Debian 12 machine (as root) to the state our build and tests need.
# Idempotent: every step checks first, so a second run takes seconds.
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/env.sh"

log() { printf '[setup] %s\n' "$*"; }

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine64 libwine xvfb xdotool x11-utils
  x11vnc novnc websockify
  fonts-ipafont-gothic fonts-ipafont-mincho locales
  libjpeg62-turbo-dev libgtest-dev googletest
  imagemagick iproute2 dpkg-dev clang libclang-rt-14-dev nasm
  python3 python3-pytest procps psmisc
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale: ja_JP.UTF-8 gives code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  log "generating the ja_JP.UTF-8 locale"
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

"$HERE/deps-mingw.sh"
"$HERE/wine-template.sh"
log "ready"
