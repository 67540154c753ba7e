#!/usr/bin/env bash
# Builds the tests of the threaded code with ThreadSanitizer into build/tsan and runs them: the
# waveform's and the audio output's threads, the loop hand-over, the encoder's writer (in the
# render tool the render tests start) and live reload. Only those targets are built; scripts/test.sh
# runs this after the other tests when called without arguments. Arguments go to ctest and replace
# the default selection (e.g. -R Waveform).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/headless.sh"
build="$root/build/tsan"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZOD_TSAN=ON -DZOD_TESTS=ON -DZOD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target clock_tests platform_audio_tests render_tests app_tests
source "$root/scripts/test-env.sh"
# halt_on_error: a race fails its test at once, with the report above the failure.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp"
cd "$build"
if [[ $# -eq 0 ]]; then
  set -- -R '^(Audio|MusicTest|Waveform|AudioStream|StreamClock|Bass|BassDevice|LiveReloadTest|zodrender)\.'
fi
ctest --output-on-failure -j"$(nproc)" "$@"
