#!/usr/bin/env bash
# Dependencies point one way: core <- converters, actions <- catalog <- cli,
# wheel, app. Lists every include that points the wrong way.
set -u
src=${1:?usage: check-layers.sh SRC_DIR}
cd "$src" || exit 2

# Each folder, and the folders of ours it may not include.
folders=(core converters actions catalog cli wheel)
rules=(
  "converters|actions|catalog|cli|wheel|app|platform"
  "actions|catalog|cli|wheel|app"
  "converters|catalog|cli|wheel|app"
  "cli|wheel|app"
  "wheel|app"
  "app|cli"
)

status=0
for i in "${!folders[@]}"; do
  folder=${folders[$i]}
  if hits=$(grep -rnE "^#include \"(${rules[$i]})/" "$folder"); then
    echo "$folder includes what sits above it:"
    echo "$hits"
    status=1
  fi
done
# Interfaces in platform/ name no implementation; those are chosen by the build.
if hits=$(grep -nE '^#include ("platform/linux/|<xcb/|<X11/)' platform/*.h platform/*.cpp); then
  echo "platform interfaces include an implementation:"
  echo "$hits"
  status=1
fi
# Core and converters never draw.
if hits=$(grep -rnE '^#include <Qt?(Widgets|Gui)?/?Q(Widget|Application|MessageBox|Dialog)' core converters); then
  echo "core or converters include Qt Widgets:"
  echo "$hits"
  status=1
fi
exit $status
