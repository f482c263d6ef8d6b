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
