#!/usr/bin/env bash
# Renews the reference frames in tests/data/frames on purpose, after a change that is meant to
# alter what the production or the editor shows. Look at the new pictures (git diff shows which
# changed) before committing them.
#   scripts/update-frames.sh            every reference frame
#   scripts/update-frames.sh editor     only the editor's (the production's: production; a
#                                       document's render: documents)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/headless.sh"
case "${1:-all}" in
  all) filter='ReferenceFrames*' ;;
  editor) filter='ReferenceFrames.TheEditor*' ;;
  production) filter='ReferenceFrames.TheProduction*' ;;
  documents) filter='ReferenceFramesOfDocuments.*' ;;
  *) echo "usage: $0 [all|editor|production|documents]" >&2; exit 2 ;;
esac
build="$root/build/test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZOD_SANITIZE=ON -DZOD_TESTS=ON -DZOD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target render_tests
source "$root/scripts/test-env.sh"
# Frames that no longer exist (a shorter production) go: the run writes every one it draws.
case "${1:-all}" in
  all) rm -f "$root"/tests/data/frames/*.png ;;
  editor) rm -f "$root"/tests/data/frames/editor-*.png ;;
  production) rm -f "$root"/tests/data/frames/production-*.png ;;
  documents) rm -f "$root"/tests/data/frames/render-*.png ;;
esac
ZOD_UPDATE_FRAMES=1 "$build/tests/render_tests" --gtest_filter="$filter"
git -C "$root" status --short -- tests/data/frames
