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
cmake -S "$source/examples/paths" -B "$work/paths" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/paths"
SDL_VIDEODRIVER=offscreen "$work/paths/text_paths" --frames 3 --check

# The dialogue box, set in a face from Debian made into a packed font by the
# installed maker, so that its kerning pairs reach the block layout.
cmake -S "$source/examples/dialog" -B "$work/dialog" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/dialog"
face=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
if [ -x "$work/prefix/bin/spritefont_make" ] && [ -f "$face" ]; then
  "$work/prefix/bin/spritefont_make" --size 24 "$face" "$work/dialog.sf3d" >/dev/null
  SDL_VIDEODRIVER=offscreen "$work/dialog/dialog_box" "$work/dialog.sf3d" --frames 3 --check
else
  echo "no maker or no DejaVu Sans: the dialogue box runs with the demonstration's font"
  SDL_VIDEODRIVER=offscreen "$work/dialog/dialog_box" --frames 3 --check
fi

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
