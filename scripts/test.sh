#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test headless. Without a display it starts its own X server (Xvfb). Without
# arguments (as in CI) the threaded code's tests then run again under ThreadSanitizer
# (scripts/test-tsan.sh); `scripts/test.sh --tsan [ctest arguments]` runs only those, ZOD_TSAN=0
# leaves them out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ "${1:-}" == "--tsan" ]]; then
  shift
  exec "$root/scripts/test-tsan.sh" "$@"
fi
source "$root/scripts/headless.sh"
build="$root/build/test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZOD_SANITIZE=ON -DZOD_TESTS=ON -DZOD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
# The whole suite (no arguments, as in CI) also builds the Debian package that the test "Package"
# checks: a release build of its own in build/release, incremental after the first.
if [[ $# -eq 0 ]]; then
  "$root/scripts/package.sh" >/dev/null
fi
source "$root/scripts/test-env.sh"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
if [[ $# -eq 0 && "${ZOD_TSAN:-1}" != 0 ]]; then
  "$root/scripts/test-tsan.sh"
fi
