#!/usr/bin/env bash
# Makes the Debian 13 (trixie) tree the Wine 10 lane runs in: Wine 10 (64- and
# 32-bit), a virtual X display, the tools the end-to-end tests drive it with,
# Python with PIL, and the same fonts as the host, all from Debian's archive.
#
# The tree lives outside the clone (CI clones afresh each time), once per
# machine: ${KELVORA_TRIXIE:-/var/lib/kelvora/trixie}. Safe to run again and to
# resume after an interruption: each stage leaves a stamp when it has succeeded,
# and the downloaded packages are kept in a cache beside the tree.
#
# Run as root (or with sudo available).
set -euo pipefail

root="${KELVORA_TRIXIE:-/var/lib/kelvora/trixie}"
cache="$(dirname "$root")/trixie-debs"
mirror=http://deb.debian.org/debian

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# What the lane needs inside the tree. A change of this list makes the
# install stage run again.
packages=(
  wine wine64 wine32:i386
  xvfb xdotool x11-utils x11-apps imagemagick
  python3 python3-pil
  fonts-wqy-zenhei fonts-arphic-ukai fonts-arphic-uming fonts-wine
  fonts-liberation2
)
want="${packages[*]}"
ready="$root/.kelvora-ready"

if [ -f "$ready" ] && [ "$(cat "$ready")" = "$want" ]; then
  echo "setup-wine10: ready ($root)"
  exit 0
fi

if ! command -v debootstrap >/dev/null; then
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap
fi

# Stage 1: the base system. debootstrap removes its own work folder when it
# has finished; an interrupted run leaves it, and the tree is made again from
# the cached packages.
if [ ! -f "$root/.kelvora-base" ]; then
  as_root mkdir -p "$root" "$cache"
  if [ -e "$root/debootstrap" ] || [ -n "$(ls -A "$root" 2>/dev/null)" ]; then
    echo "setup-wine10: resuming an unfinished tree in $root"
    as_root find "$root" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
  fi
  as_root debootstrap --variant=minbase --cache-dir="$cache" \
    --keyring=/usr/share/keyrings/debian-archive-keyring.gpg \
    trixie "$root" "$mirror"
  as_root touch "$root/.kelvora-base"
fi

# Stage 2: i386 beside amd64, and the packages. /proc and /dev for the
# maintainer scripts, undone whatever happens.
mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    as_root umount -l "${mounted[i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT
mount_in() {
  as_root mkdir -p "$root$2"
  mountpoint -q "$root$2" || { as_root mount "${@:3}" "$1" "$root$2"; mounted+=("$root$2"); }
}
mount_in proc /proc -t proc
mount_in /dev /dev --bind
mount_in /dev/pts /dev/pts --bind
as_root cp -fL /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

in_root() { as_root chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
  DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }
in_root dpkg --print-foreign-architectures | grep -qx i386 || in_root dpkg --add-architecture i386
in_root apt-get update -q
in_root apt-get install -y -q --no-install-recommends "${packages[@]}"
in_root apt-get clean
printf '%s' "$want" | as_root tee "$ready" >/dev/null
echo "setup-wine10: ready ($root)"
