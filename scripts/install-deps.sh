#!/usr/bin/env bash
# Installs every Debian package Flingdial needs to build, run and test.
# Safe to run again: apt skips what is already there.
set -euo pipefail

packages=(
  # compiler and build
  g++ cmake ninja-build pkg-config make
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-image-formats-plugins libqt6svg6
  qt6-l10n-tools qt6-translations-l10n
  libgl-dev
  # image engine, PDF model and rendering, XML, containers, property lists
  libvips-dev libwebp-dev libqpdf-dev libpoppler-cpp-dev libpugixml-dev libarchive-dev libplist-dev
  zlib1g-dev
  # fonts for documents in Latin, Greek, Cyrillic, Arabic, Hebrew, Devanagari and CJK
  fonts-noto-core fonts-noto-cjk
  # X11
  libxcb1-dev libxcb-xfixes0-dev libxcb-keysyms1-dev libxcb-xtest0-dev x11proto-dev
  # the drag catcher of wlroots sessions (a GTK layer surface)
  libgtk-3-dev libgtk-layer-shell-dev
  # sounds and background removal
  libcanberra-dev libopencv-imgproc-dev
  # child programs
  ffmpeg zip unzip libarchive-tools gzip bzip2 xz-utils
  # optional components (tests skip when one is absent)
  imagemagick ghostscript
  # text recognition, with a second language for the tests
  tesseract-ocr tesseract-ocr-eng tesseract-ocr-deu
  libreoffice-writer-nogui libreoffice-calc-nogui libreoffice-impress-nogui
  # (formulas in the documents LibreOffice makes for the tests)
  libreoffice-math-nogui
  # tests
  xvfb xauth xdotool dbus dbus-x11 poppler-utils epubcheck python3-openpyxl qpdf
  python3-gi gir1.2-gtk-3.0
  # a window manager, for what task lists make of our windows; xprop reads them
  openbox x11-utils
  # keyboard layouts switched under the hot key
  x11-xkb-utils
  # the desktop's own settings, read as GNOME does (the terminal)
  libglib2.0-bin gsettings-desktop-schemas
  # metadata checks (exiftool) and the colour profile inside JPEG XL files
  libimage-exiftool-perl libjxl-dev
  # headless Wayland sessions for the tests (tests/support/wayland): the
  # compositors with XWayland, grim for sway's screenshots, dconf for the
  # Shell's settings, python3-dbus and libxkbcommon for injected input, acl
  # so that the test user may reach the build when the tests run as root,
  # gjs to check GNOME Shell extensions
  sway xwayland grim kwin-wayland gnome-shell dconf-gsettings-backend
  python3-dbus libxkbcommon0 acl gjs
  # fuzzing (make fuzz)
  clang libclang-rt-dev
  # installation and packaging checks
  dpkg-dev desktop-file-utils appstream
  # benchmarks
  time python3-xlsxwriter libxlsxwriter-dev
  # icons
  adwaita-icon-theme
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
