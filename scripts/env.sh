# Shared paths and variables for the set-up, build and test scripts (sourced).
export KELUP_DEPS="${KELUP_DEPS:-/opt/kelupon-deps}"          # MinGW builds of libjpeg and GoogleTest
export KELUP_MINGW_PREFIX="$KELUP_DEPS/mingw64"
export KELUP_CACHE="${KELUP_CACHE:-/var/cache/kelupon}"        # Wine template prefix and the like
export KELUP_WINE_TEMPLATE="$KELUP_CACHE/wine-template"
export WINE64="${WINE64:-/usr/lib/wine/wine64}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"  # no Mono or Gecko prompts
export LC_ALL=ja_JP.UTF-8
export LANG=ja_JP.UTF-8
