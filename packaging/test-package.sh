#!/usr/bin/env bash
# Installs a built package in a fresh Debian bookworm root, as a user would on a clean
# machine (apt-get install ./tembra_*.deb), then starts the reader the way the menu does
# (the Exec line of its .desktop entry) under Xvfb and takes a screenshot.
#
#   packaging/test-package.sh build-package/tembra_2.0_amd64.deb [OUTDIR]
#
# Runs as root (debootstrap, chroot). The bookworm base is made once and kept in
# $TEMBRA_BASE_ROOT (default /var/tmp/tembra-bookworm); each run works on a copy of it.
set -euo pipefail
deb=$(realpath "$1")
out=$(realpath -m "${2:-/tmp/tembra-package-test}")
base=${TEMBRA_BASE_ROOT:-/var/tmp/tembra-bookworm}
mirror=http://deb.debian.org/debian
[ "$(id -u)" -eq 0 ] || { echo "run as root (debootstrap and chroot need it)" >&2; exit 2; }
command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap
command -v convert >/dev/null || apt-get install -y -qq imagemagick

if [ ! -f "$base/etc/debian_version" ]; then
    echo "Making a bookworm base in $base (once)..."
    debootstrap --variant=minbase bookworm "$base" "$mirror" >/dev/null
fi

root=$(mktemp -d /var/tmp/tembra-root.XXXXXX)
cleanup() {
    for m in proc dev/pts dev; do umount "$root/$m" 2>/dev/null || true; done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
cp -a "$base/." "$root/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp "$deb" "$root/tmp/"

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$deb")" \
    xvfb xauth x11-apps >/dev/null
echo "Installed: $(in_root dpkg-query -W -f='${Package} ${Version}' tembra)"

desktop=/usr/share/applications/tembra.desktop
# A menu passes no file: the field code for one (%f) stands for nothing then.
exec_line=$(sed -n 's/^Exec=//p' "$root$desktop" | sed 's/ %[fFuU]//g')
echo "Menu entry starts: $exec_line"
in_root xvfb-run -a -s "-screen 0 1280x800x24" sh -c "
    $exec_line > /tmp/reader.log 2>&1 &
    pid=\$!
    sleep 6
    xwd -root -silent > /tmp/screen.xwd
    if kill -0 \$pid 2>/dev/null; then echo 'the reader is running'; kill \$pid; else echo 'the reader is not running'; exit 1; fi
"
mkdir -p "$out"
convert "$root/tmp/screen.xwd" "$out/screen.png"
cp "$root/tmp/reader.log" "$out/reader.log"
echo "Screenshot: $out/screen.png; the reader's output: $out/reader.log"
