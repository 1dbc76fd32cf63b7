#!/usr/bin/env bash
# Installs the build into a temporary root, as `make install DESTDIR=…` or
# the Debian package does, and runs the installed program from there: it
# must find its modules and helper, show its icon and start itself at login.
#
#   check-install.sh BUILD_DIR install   cmake --install into a staging root
#   check-install.sh BUILD_DIR package   cpack a .deb, read it, unpack it
set -euo pipefail
build=$(cd "$1" && pwd)
how=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if [ "$how" = install ]; then
  prefix=/usr/local
  DESTDIR="$work/root" cmake --install "$build" --prefix "$prefix" >/dev/null
  libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")
else
  prefix=/usr
  cpack --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
  deb=$(ls "$work"/deb/*.deb)
  depends=$(dpkg-deb -f "$deb" Depends)
  recommends=$(dpkg-deb -f "$deb" Recommends)
  for needed in ffmpeg libvips libqpdf libpoppler-cpp libqt6widgets6 libarchive-tools; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
  done
  for optional in imagemagick ghostscript libreoffice-writer; do
    grep -q "$optional" <<<"$recommends" || fail "Recommends lacks $optional: $recommends"
  done
  dpkg-deb -x "$deb" "$work/root"
  libdir=lib
  [ -d "$work/root/usr/lib/flingdial" ] || libdir=$(cd "$work/root/usr" && ls -d lib/*/flingdial | xargs dirname)
fi

installed=$work/root$prefix
app=org.flingdial.Flingdial
for file in bin/flingdial "$libdir/flingdial/flingdial-pdf-pages" "$libdir/flingdial/flingdial-unpack" \
  "$libdir"/flingdial/libflingdial_{common,desktop,images,pictures,documents,pdf,pdfcompress}.so \
  "share/applications/$app.desktop" "share/metainfo/$app.metainfo.xml" \
  "share/icons/hicolor/scalable/apps/$app.svg"; do
  [ -f "$installed/$file" ] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256 512; do
  icon=$installed/share/icons/hicolor/${size}x${size}/apps/$app.png
  [ -f "$icon" ] || fail "no $size px icon"
  # A PNG's width and height sit at bytes 16 to 23 of its header.
  read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
    awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "the $size px icon is $width × $height"
done
grep -q '<svg' "$installed/share/icons/hicolor/scalable/apps/$app.svg" || fail "the SVG icon isn't SVG"
# The GNOME Shell extension, where the Shell looks, for GNOME 43 on.
extension=$installed/share/gnome-shell/extensions/flingdial@flingdial.org
for file in metadata.json __init__.js extension.js flingdial.js flingdial-symbolic.svg; do
  [ -f "$extension/$file" ] || fail "the GNOME Shell extension lacks $file"
done
python3 - "$extension/metadata.json" <<'PY' || fail "the extension's metadata.json"
import json, sys
meta = json.load(open(sys.argv[1]))
versions = [int(v) for v in meta["shell-version"]]
assert meta["uuid"] == "flingdial@flingdial.org", meta["uuid"]
assert versions == list(range(43, versions[-1] + 1)) and versions[-1] >= 45, versions
PY
desktop-file-validate "$installed/share/applications/$app.desktop"
appstreamcli validate --no-net --pedantic "$installed/share/metainfo/$app.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$installed/share/metainfo/$app.metainfo.xml"

# The installed program, with nothing from the build folder to lean on.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
mkdir -p "$HOME"
unset FLINGDIAL_MODULES_DIR
program=$installed/bin/flingdial
"$program" --version | grep -q '^flingdial ' || fail "--version"
cd "$work"
QT_QPA_PLATFORM=offscreen "$program" --render-icon icon.png 64 # the desktop module
"$program" --run convert jpg icon.png >/dev/null                 # the image engine
[ -s icon.jpg ] || fail "no icon.jpg"
printf '# Notes\n\nInstalled and working.\n' >notes.md
"$program" --run convert pdf notes.md >/dev/null # the documents module
[ -s notes.pdf ] || fail "no notes.pdf"
"$program" --run tools split notes.pdf >/dev/null # the PDF module
"$program" --run convert png notes.pdf >/dev/null             # the page helper
ls notes*.png >/dev/null 2>&1 || fail "no page pictures"

"$program" --login on >/dev/null
grep -qxF -e "Exec=$program" -e "Exec=\"$program\"" "$XDG_CONFIG_HOME/autostart/$app.desktop" ||
  fail "the autostart entry doesn't start the installed program: $(grep Exec= "$XDG_CONFIG_HOME/autostart/$app.desktop")"
echo "installed by $how: all in place"
