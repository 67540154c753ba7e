#!/usr/bin/env bash
# Renews the reference frames in tests/data/frames on purpose, after a change that is meant to
# alter what the production or the editor shows. Look at the new pictures (git diff shows which
# changed) before committing them.
#   scripts/update-frames.sh            every reference frame
#   scripts/update-frames.sh editor     only the editor's (the production's: production)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
if [[ -z "${DISPLAY:-}" && -z "${ZOD_IN_XVFB:-}" ]]; then
  export ZOD_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi
case "${1:-all}" in
  all) filter='ReferenceFrames.*' ;;
  editor) filter='ReferenceFrames.TheEditor*' ;;
  production) filter='ReferenceFrames.TheProduction*' ;;
  *) echo "usage: $0 [all|editor|production]" >&2; exit 2 ;;
esac
build="$root/build/test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZOD_SANITIZE=ON -DZOD_TESTS=ON -DZOD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target render_tests
export SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=2
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Frames that no longer exist (a shorter production) go: the run writes every one it draws.
case "${1:-all}" in
  all) rm -f "$root"/tests/data/frames/*.png ;;
  editor) rm -f "$root"/tests/data/frames/editor-*.png ;;
  production) rm -f "$root"/tests/data/frames/production-*.png ;;
esac
ZOD_UPDATE_FRAMES=1 "$build/tests/render_tests" --gtest_filter="$filter"
git -C "$root" status --short -- tests/data/frames
