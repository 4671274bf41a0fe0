#!/usr/bin/env bash
# check-fresh-install.sh [FOLDER]: installs the reader's Debian package on a fresh Debian 12 and
# runs it there. Builds the run preset, makes the package with cpack, lays down a minimal
# bookworm in FOLDER (default: a new folder under /var/tmp) with debootstrap, installs the
# package with apt-get (which pulls what it declares) and starts the reader headless, writing a
# screenshot. Needs root (chroot) and the Debian mirror; takes about 8 minutes, most of it
# debootstrap, so it is run by hand and not by CI. The folder is removed at the end unless it
# was given.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then echo "check-fresh-install.sh needs root (it uses chroot)"; exit 1; fi
export DEBIAN_FRONTEND=noninteractive
command -v debootstrap >/dev/null || apt-get install -y -q debootstrap >/dev/null
command -v dpkg-shlibdeps >/dev/null || apt-get install -y -q dpkg-dev >/dev/null
scripts/setup.sh run

root=${1:-}
keep=1
if [ -z "$root" ]; then root=$(mktemp -d /var/tmp/kestrova-fresh.XXXXXX); keep=0; fi
cleanup() { if [ "$keep" -eq 0 ]; then rm -rf --one-file-system "$root"; fi; }
trap cleanup EXIT

work=$(mktemp -d)
cpack -G DEB --config build/run/CPackConfig.cmake -B "$work" >/dev/null
deb=$(ls "$work"/kestrova_*.deb)
echo "Package: $deb"

if [ ! -x "$root/usr/bin/apt-get" ]; then
    start=$SECONDS
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >"$work/debootstrap.log"
    echo "A minimal Debian 12 laid down in $((SECONDS - start)) s"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/kestrova.deb"

start=$SECONDS
chroot "$root" bash -c 'export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null && apt-get install -y -q /tmp/kestrova.deb >/tmp/install.log' \
    || { cat "$root/tmp/install.log"; exit 1; }
echo "Installed with its dependencies in $((SECONDS - start)) s"

# The first run answers the first-run font dialog with Enter, then shows article 1.
chroot "$root" bash -c 'kestrova --version && kestrova --help >/dev/null &&
    HOME=/tmp/user kestrova --headless -e "wait; key Return; wait; screenshot /tmp/first-run.png; quit" &&
    test -s /tmp/user/.config/kestrova/registry.reg'
picture=build/run/fresh-install.png
cp "$root/tmp/first-run.png" "$picture"
echo "The reader ran on the fresh system; its screen: $PWD/$picture"
