#!/usr/bin/env bash
# usage: consumer_test.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -euo pipefail
build=$1 source=$2 work=$3
rm -rf "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$source/examples/hello" -B "$work/hello" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/hello"
# The offscreen video driver: no display needed.
SDL_VIDEODRIVER=offscreen "$work/hello/hello_text" --frames 3 --check

# LoadBMFont through the installed SpriteFont::bmfont, on a real BMFont font
# when the real fonts are beside the repository.
cmake -S "$source/tests/install/bmfont_consumer" -B "$work/bmfont" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/bmfont"
real="$source/../shared/realfonts/bmfont/bmfont-rust/font.fnt"
if [ -f "$real" ]; then
  "$work/bmfont/load_bmfont" "$real"
else
  echo "consumer_test: $real is absent; load_bmfont built but not run"
fi
