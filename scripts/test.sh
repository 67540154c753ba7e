#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test headless. Without a display it starts its own X server (Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
if [[ -z "${DISPLAY:-}" && -z "${ZOD_IN_XVFB:-}" ]]; then
  export ZOD_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi
build="$root/build/test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZOD_SANITIZE=ON -DZOD_TESTS=ON -DZOD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
# The whole suite (no arguments, as in CI) also builds the Debian package that the test "Package"
# checks: a release build of its own in build/release, incremental after the first.
if [[ $# -eq 0 ]]; then
  "$root/scripts/package.sh" >/dev/null
fi
export SDL_AUDIODRIVER=dummy
export LIBGL_ALWAYS_SOFTWARE=1
# Two tests run at once on the software renderer: a few rasterizer threads each are plenty.
export LP_NUM_THREADS=2
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
