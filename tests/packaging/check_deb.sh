#!/usr/bin/env bash
# check_deb.sh CPACK BUILD_DIR WORK_DIR VERSION: makes the Debian package of BUILD_DIR in WORK_DIR
# and checks what it holds and declares. The package is only unpacked in WORK_DIR, never
# installed. Exit 77 (skipped) when dpkg-deb or dpkg-shlibdeps is missing.
set -euo pipefail
cpack=$1 build=$2 work=$3 version=$4
for tool in dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" >/dev/null; then echo "skipped: $tool is missing"; exit 77; fi
done
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work"
mkdir -p "$work"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/kestrova_"$version"_*.deb)
info=$(dpkg-deb --info "$deb")
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
echo "$info"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = kestrova ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
for name in Maintainer Section Description Depends; do [ -n "$(field "$name")" ] || fail "no $name"; done

# Every file the install puts in place.
expected=(./usr/bin/kestrova ./usr/share/applications/kestrova.desktop ./usr/share/man/man1/kestrova.1.gz
    ./usr/share/icons/hicolor/scalable/apps/kestrova.svg)
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/kestrova.png"); done
for file in "${expected[@]}"; do grep -qxF "$file" <<<"$contents" || fail "missing $file"; done

# Depends comes from dpkg-shlibdeps: the C and C++ runtimes always, and the package of each
# display, font and picture library the program links (once it links them).
depends=$(field Depends)
for package in libc6 libstdc++6; do grep -q "\b$package\b" <<<"$depends" || fail "Depends lacks $package"; done
dpkg-deb -x "$deb" "$work/root"
needed=$(objdump -p "$work/root/usr/bin/kestrova" | awk '/NEEDED/ {print $2}')
while read -r soname package; do
    if grep -qxF "$soname" <<<"$needed"; then
        grep -q "\b$package\b" <<<"$depends" || fail "links $soname but Depends lacks $package"
    else
        echo "note: the program does not link $soname yet"
    fi
done <<'TABLE'
libSDL2-2.0.so.0 libsdl2-2.0-0
libfreetype.so.6 libfreetype6
libfontconfig.so.1 libfontconfig1
libpng16.so.16 libpng16-16
TABLE

# The unpacked program runs and says its version; the icons are PNGs of their sizes.
[ "$("$work/root/usr/bin/kestrova" --version)" = "kestrova $version" ] || fail "--version"
for size in "${sizes[@]}"; do
    png="$work/root/usr/share/icons/hicolor/${size}x${size}/apps/kestrova.png"
    # IHDR: width and height as 4-byte big-endian numbers at offsets 16 and 20; colour type 6 (RGBA) at 25.
    read -r w0 w1 w2 w3 h0 h1 h2 h3 _ type < <(od -An -tu1 -j16 -N10 "$png")
    [ $(((w0 << 24) + (w1 << 16) + (w2 << 8) + w3)) = "$size" ] || fail "$png width"
    [ $(((h0 << 24) + (h1 << 16) + (h2 << 8) + h3)) = "$size" ] || fail "$png height"
    [ "$type" = 6 ] || fail "$png has no alpha"
done
gzip -t "$work/root/usr/share/man/man1/kestrova.1.gz" || fail "manual page"
zcat "$work/root/usr/share/man/man1/kestrova.1.gz" | grep -q 'KESTROVA_REGISTRY' || fail "manual page lacks the settings file"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/root/usr/share/applications/kestrova.desktop" || fail "desktop entry"
else
    echo "note: desktop-file-validate is missing (desktop-file-utils); the desktop entry is not validated"
fi
# apt, in simulation only, can satisfy what the package declares from this machine's package lists.
if apt-cache policy libc6 2>/dev/null | grep -q 'Candidate: [0-9]'; then
    apt-get -s -o Debug::NoLocking=1 install "$deb" >"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log"; fail "apt cannot satisfy the package's dependencies"; }
else
    echo "note: no apt package lists here; the dependencies are not resolved"
fi
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "package $deb: all checks passed"
