#!/usr/bin/env bash
# Builds the static MinGW-w64 libraries the Windows build links against and
# installs them into $KELUP_MINGW_PREFIX:
#   - libjpeg-turbo, from Debian's source package of the same version as the
#     installed libjpeg62-turbo-dev (so host and Windows builds decode alike);
#   - GoogleTest and GoogleMock, from Debian's /usr/src/googletest.
# Each library leaves a stamp naming its version; a run with the stamps in
# place does nothing. The machine's APT configuration is left as it was: the
# source package comes through throw-away source lists and caches.
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/env.sh"

log() { printf '[setup] %s\n' "$*"; }

PREFIX="$KELUP_MINGW_PREFIX"
TOOLCHAIN="$(cd "$HERE/../cmake" && pwd)/mingw64.cmake"
LOGDIR="$KELUP_DEPS/logs"
JOBS=2

src_version() { dpkg-query -W -f='${source:Version}' "$1"; }

JPEG_VERSION="$(src_version libjpeg62-turbo-dev)"     # e.g. 1:2.1.5-2
GTEST_VERSION="$(src_version googletest)"             # e.g. 1.12.1-0.2
JPEG_STAMP="$PREFIX/.stamp-libjpeg-${JPEG_VERSION#*:}"
GTEST_STAMP="$PREFIX/.stamp-googletest-$GTEST_VERSION"

jpeg_done()  { [[ -f "$JPEG_STAMP" && -f "$PREFIX/lib/libjpeg.a" ]]; }
gtest_done() { [[ -f "$GTEST_STAMP" && -f "$PREFIX/lib/libgtest.a" ]]; }
jpeg_done && gtest_done && exit 0

# One build at a time: a second caller waits here and then finds the stamps.
mkdir -p "$PREFIX" "$LOGDIR"
exec 9>"$KELUP_DEPS/.deps-mingw.lock"
flock 9
jpeg_done && gtest_done && exit 0

WORK="$(mktemp -d /tmp/kelupon-deps.XXXXXX)"
trap 'rm -rf "$WORK"' EXIT

# Runs a command with its output going to a log file; on failure shows the
# tail of that log and stops.
run_logged() {
  local logfile="$1"; shift
  if ! "$@" >>"$logfile" 2>&1; then
    printf '[setup] FAILED: %s\n' "$*" >&2
    printf '[setup] last lines of %s:\n' "$logfile" >&2
    tail -n 40 "$logfile" >&2
    exit 1
  fi
}

# The dependency builds are never run here, so CMake gets no Wine emulator.
cmake_cross() {
  cmake -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    "$@"
}

# Prints the archive URI of the first enabled "deb" source for the release,
# reading either the one-line sources.list format or deb822 .sources files.
debian_mirror() {
  local suite="$1" f uri=""
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$f" ]] || continue
    uri="$(awk -v s="$suite" '
      $1 == "deb" {
        i = 2
        if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
        if ($(i + 1) == s) { print $i; exit }
      }' "$f")"
    [[ -n "$uri" ]] && { echo "$uri"; return; }
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$f" ]] || continue
    uri="$(awk -v s="$suite" '
      function flush() {
        if (enabled && types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " s " ") && uris != "") {
          split(uris, u, " "); print u[1]; found = 1; exit
        }
        types = suites = uris = ""; enabled = 1
      }
      BEGIN { enabled = 1 }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      {
        key = $1; sub(/:$/, "", key); $1 = ""; sub(/^ +/, "")
        key = tolower(key)
        if (key == "types") types = $0
        else if (key == "suites") suites = $0
        else if (key == "uris") uris = $0
        else if (key == "enabled") enabled = (tolower($0) != "no")
      }
      END { if (!found) flush() }' "$f")"
    [[ -n "$uri" ]] && { echo "$uri"; return; }
  done
  echo "http://deb.debian.org/debian"
}

# Fetches and unpacks Debian source package $1 at version $2 into the
# current directory, through private APT lists so /etc/apt and
# /var/lib/apt stay untouched.
fetch_debian_source() {
  local pkg="$1" version="$2" logfile="$3"
  local suite apt
  suite="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
  apt="$WORK/apt"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/conf.d"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $(debian_mirror "$suite") $suite main" \
    >"$apt/sources.list"
  # Keep the machine's settings (proxies and the like) but none of its
  # update hooks: those would refresh AppStream or PackageKit state.
  cp -a /etc/apt/apt.conf.d/. "$apt/conf.d/" 2>/dev/null || true
  printf '#clear APT::Update::Post-Invoke;\n#clear APT::Update::Post-Invoke-Success;\n#clear DPkg::Post-Invoke;\n#clear DPkg::Pre-Invoke;\n' \
    >"$apt/conf.d/zz-kelupon-no-hooks"
  local opts=(
    -o Dir::Etc::SourceList="$apt/sources.list"
    -o Dir::Etc::SourceParts=/dev/null
    -o Dir::Etc::Parts="$apt/conf.d"
    -o Dir::State::Lists="$apt/lists"
    -o Dir::Cache="$apt/cache"
    -o Dir::Cache::pkgcache=
    -o Dir::Cache::srcpkgcache=
    -o APT::Sandbox::User=root
    -o Acquire::Languages=none
  )
  run_logged "$logfile" apt-get "${opts[@]}" update
  run_logged "$logfile" apt-get "${opts[@]}" source "$pkg=$version"
}

build_libjpeg() {
  local ver="${JPEG_VERSION#*:}" logfile="$LOGDIR/libjpeg-turbo.log"
  : >"$logfile"
  log "libjpeg-turbo $ver: fetching Debian's source package"
  mkdir -p "$WORK/jpeg" && cd "$WORK/jpeg"
  fetch_debian_source libjpeg-turbo "$JPEG_VERSION" "$logfile"
  local src
  src="$(find . -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)"
  [[ -n "$src" ]] || { echo "[setup] libjpeg-turbo source did not unpack" >&2; exit 1; }
  log "libjpeg-turbo $ver: building (log: $logfile)"
  run_logged "$logfile" cmake_cross -S "$src" -B build \
    -DENABLE_STATIC=ON -DENABLE_SHARED=OFF \
    -DWITH_SIMD=ON -DWITH_TURBOJPEG=ON -DWITH_JAVA=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
  run_logged "$logfile" cmake --build build -j "$JOBS"
  run_logged "$logfile" cmake --install build
  grep -q 'SIMD extensions: x86_64 (WITH_SIMD = 1)' "$logfile" \
    && log "libjpeg-turbo $ver: built with SIMD" \
    || log "libjpeg-turbo $ver: built without SIMD"
  rm -f "$PREFIX"/.stamp-libjpeg-*
  touch "$JPEG_STAMP"
}

build_gtest() {
  local logfile="$LOGDIR/googletest.log"
  : >"$logfile"
  log "googletest $GTEST_VERSION: building (log: $logfile)"
  cd "$WORK"
  run_logged "$logfile" cmake_cross -S /usr/src/googletest -B gtest-build \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON \
    -Dgtest_disable_pthreads=OFF \
    -Dgtest_build_tests=OFF -Dgtest_build_samples=OFF -Dgmock_build_tests=OFF
  run_logged "$logfile" cmake --build gtest-build -j "$JOBS"
  run_logged "$logfile" cmake --install gtest-build
  rm -f "$PREFIX"/.stamp-googletest-*
  touch "$GTEST_STAMP"
}

jpeg_done || build_libjpeg
gtest_done || build_gtest
log "MinGW libraries ready in $PREFIX"
