#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine lacks to build and test Kelvora:
# the MinGW-w64 cross compilers, Wine (32- and 64-bit), a virtual X display and the
# tools the end-to-end tests drive it with, CJK fonts, GoogleTest, and libjpeg-turbo
# built for each MinGW target into a project-local prefix (cached between runs).
# Run as root (or with sudo available). Safe to run again: it skips what is there.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
deps="${KELVORA_DEPS:-$here/.deps}"

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake ninja-build g++ gcc-multilib clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine32:i386 wine64
  xvfb xdotool x11-utils x11-apps imagemagick maim
  fonts-wqy-zenhei fonts-arphic-uming fonts-arphic-ukai fonts-wine fonts-liberation2
  libgtest-dev googletest libjpeg62-turbo-dev libx11-dev libxext-dev libxrandr-dev libxtst-dev zlib1g-dev
  python3-pil dpkg-dev nasm
)

need_install() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || return 0
  done
  return 1
}

add_deb_src() {
  # apt-get source needs deb-src entries; Debian's images ship binary ones only.
  if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    as_root tee /etc/apt/sources.list.d/kelvora-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    return 0
  fi
  return 1
}

# A mirror in the middle of a sync refuses an index now and then ("File has
# unexpected size"); it is tried again, and what did come is used at last.
apt_update() {
  local try
  for try in 1 2 3 4; do
    as_root apt-get update -q && return 0
    sleep $((try * 15))
  done
  echo "warning: apt-get update failed four times; going on with the indexes there are" >&2
}

updated=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  updated=1
fi
add_deb_src && updated=1
if need_install; then
  apt_update
  install() { as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@" "${packages[@]}"; }
  if ! install; then
    # A suite whose i386 index could not be fetched offers amd64 versions
    # that the i386 half cannot match (multiarch packages must be the same
    # version on both): the security suite is then held below the release
    # for this install.
    pin=$(mktemp)
    printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >"$pin"
    install -o Dir::Etc::preferences="$pin"
    rm -f "$pin"
  fi
elif [ "$updated" = 1 ]; then
  apt_update
fi

# libjpeg-turbo for each MinGW target, from Debian's own source package.
build_jpeg() {
  local triple=$1 proc=$2 prefix="$deps/jpeg-$1"
  [ -f "$prefix/lib/libjpeg.a" ] && return 0
  local src="$deps/src"
  mkdir -p "$src"
  if ! ls -d "$src"/libjpeg-turbo-*/ >/dev/null 2>&1; then
    (cd "$src" && apt-get source -q libjpeg-turbo >/dev/null)
  fi
  local dir
  dir=$(ls -d "$src"/libjpeg-turbo-*/ | head -n 1)
  local tc="$deps/toolchain-$triple.cmake"
  cat >"$tc" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $proc)
set(CMAKE_C_COMPILER $triple-gcc-posix)
set(CMAKE_RC_COMPILER $triple-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triple)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
TC
  rm -rf "$deps/build-jpeg-$triple"
  cmake -S "$dir" -B "$deps/build-jpeg-$triple" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$tc" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DWITH_JAVA=OFF >/dev/null
  cmake --build "$deps/build-jpeg-$triple" --target install >/dev/null
  rm -rf "$deps/build-jpeg-$triple"
}
build_jpeg i686-w64-mingw32 x86
build_jpeg x86_64-w64-mingw32 AMD64
echo "setup-deps: ready ($deps)"
