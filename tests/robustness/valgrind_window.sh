#!/usr/bin/env bash
# Runs the window program under valgrind's memcheck on a private Xvfb for a
# given number of frames, then closes it as a window manager would:
#   tests/robustness/valgrind_window.sh <build-dir> [frames]   (default 300)
# The build directory must hold spritefont_demo and the robustness tools
# (a RelWithDebInfo build without sanitizers). Exits non-zero on any memcheck
# error or definite leak outside the system libraries that valgrind.supp
# names; the full log is left in <build-dir>/valgrind_window.log.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: valgrind_window.sh <build-dir> [frames]}" && pwd)
frames=${2:-300}
log=$build/valgrind_window.log
count=$(mktemp)
trap 'rm -f "$count"' EXIT

export build frames log count here
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  PRESENT_COUNT_FILE=$count LD_PRELOAD=$build/tests/robustness/librobust_present_counter.so \
    valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite \
      --errors-for-leak-kinds=definite --num-callers=30 --keep-debuginfo=yes --suppressions=$here/valgrind.supp \
      --log-file=$log "$build/demo/spritefont_demo" &
  demo=$!
  "$build/tests/robustness/robust_close_after" "$frames" "$count" 1800 || kill $demo
  status=0
  wait $demo || status=$?
  echo "spritefont_demo under valgrind: exit $status after $(cat $count) frames"
  exit $status
'
grep -E "ERROR SUMMARY|definitely lost|indirectly lost" "$log" | tail -3
