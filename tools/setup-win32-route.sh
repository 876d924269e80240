#!/usr/bin/env bash
# Sets up the route that runs 32-bit Windows programs on these machines, which
# cannot execute 32-bit code natively: a Debian trixie chroot with Wine 10,
# whose 32-bit loader runs under qemu-i386 through a binfmt_misc entry.
# Idempotent and quiet when everything is present; every run re-checks the
# chroot's mounts and the binfmt entry, which a reboot removes.
# Usage: tools/setup-win32-route.sh   (root, or re-run through sudo)
# KV_WIN32_ROOT selects the chroot (default /opt/trixie).
set -euo pipefail
root="${KV_WIN32_ROOT:-/opt/trixie}"
if [ "$(id -u)" -ne 0 ]; then exec sudo env KV_WIN32_ROOT="$root" "$0" "$@"; fi

mkdir -p /run/lock
exec 9>/run/lock/kv-win32-route.lock
flock 9

log="/var/log/kv-win32-route.log"
say() { echo "win32 route: $*"; }
# Quiet steps: their output goes to the log and is shown only when they fail.
quiet() {
  if ! "$@" >>"$log" 2>&1; then
    echo "win32 route: failed: $*" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
}
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"; }
# Packages of the chroot that are not installed, by name[:arch].
missing_in_root() {
  local p out=()
  for p in "$@"; do
    in_root dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || out+=("$p")
  done
  echo "${out[@]}"
}
mounted() { mountpoint -q "$1"; }
# Mounts under the chroot, deepest first.
mounts_under() { awk -v r="$1/" 'index($5, r) == 1 { print $5 }' /proc/self/mountinfo | sort -r; }

# 1. The base system. A debootstrap that stopped half-way leaves no marker and
# is made again from scratch in a side directory, so the chroot never holds a
# partial system; nothing is ever deleted through a mount. A finished trixie
# system made by hand is taken as it is.
if [ ! -f "$root/.kv-base-ready" ] && [ ! -d "$root/debootstrap" ] && [ -x "$root/usr/bin/dpkg" ] &&
   grep -qs '^VERSION_CODENAME=trixie$' "$root/etc/os-release"; then
  touch "$root/.kv-base-ready"
fi
if [ ! -f "$root/.kv-base-ready" ]; then
  if ! command -v debootstrap >/dev/null; then
    say "installing debootstrap"
    quiet apt-get update -qq
    quiet apt-get install -y -qq --no-install-recommends debootstrap
  fi
  for m in $(mounts_under "$root"); do umount -l "$m"; done
  [ -d "$root" ] && rm -rf --one-file-system "$root"
  rm -rf --one-file-system "$root.partial"
  say "debootstrap trixie into $root (about 2 minutes)"
  quiet debootstrap --variant=minbase trixie "$root.partial" http://deb.debian.org/debian
  # Package scripts inside must not start services.
  printf '#!/bin/sh\nexit 101\n' >"$root.partial/usr/sbin/policy-rc.d"
  chmod +x "$root.partial/usr/sbin/policy-rc.d"
  touch "$root.partial/.kv-base-ready"
  mv "$root.partial" "$root"
fi
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

# 2. Mounts, checked on every run.
mounted "$root/proc" || mount -t proc proc "$root/proc"
mounted "$root/sys" || mount -t sysfs sysfs "$root/sys"
mounted "$root/dev" || mount --bind /dev "$root/dev"
mounted "$root/dev/pts" || mount --bind /dev/pts "$root/dev/pts"
mounted "$root/dev/shm" || mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"

# 3. qemu-user and the i386 C library inside.
need=$(missing_in_root qemu-user libc6:i386)
if [ -n "$need" ]; then
  say "installing $need in the chroot"
  in_root dpkg --print-foreign-architectures | grep -qx i386 || quiet in_root dpkg --add-architecture i386
  quiet in_root apt-get update -qq
  # shellcheck disable=SC2086
  quiet in_root apt-get install -y -qq --no-install-recommends $need
fi

# 4. The binfmt entry: 32-bit x86 ELF through the chroot's qemu-i386. F opens
# the interpreter now, so it is found from inside the chroot too; P keeps argv[0].
binfmt=/proc/sys/fs/binfmt_misc
interp="$root/usr/bin/qemu-i386"
mounted "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
[ "$(cat "$binfmt/status")" = enabled ] || echo 1 >"$binfmt/status"
entry="$binfmt/qemu-i386"
if [ -f "$entry" ]; then
  if ! grep -qx enabled "$entry" || ! grep -qx "interpreter $interp" "$entry" ||
     ! grep -q '^flags: .*F' "$entry"; then
    echo -1 >"$entry"
  fi
fi
if [ ! -f "$entry" ]; then
  say "registering qemu-i386 with binfmt_misc"
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf '%s' ":qemu-i386:M::$magic:$mask:$interp:FP" >"$binfmt/register"
fi

# 5. Wine 10 (64-bit, and the 32-bit loader under qemu) and a display server.
need=$(missing_in_root wine wine64 wine32:i386 xvfb xauth)
if [ -n "$need" ]; then
  say "installing $need in the chroot (about 1 minute)"
  quiet in_root apt-get update -qq
  # shellcheck disable=SC2086
  quiet in_root apt-get install -y -qq --no-install-recommends $need
fi
