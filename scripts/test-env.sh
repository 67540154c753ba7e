# Sourced by scripts/test.sh and scripts/update-frames.sh: how the tests run, with $root set to
# the project. Silent audio, the software renderer and the sanitizers' options.
export SDL_AUDIODRIVER=dummy
export LIBGL_ALWAYS_SOFTWARE=1
# Two tests run at once on the software renderer: a few rasterizer threads each are plenty.
export LP_NUM_THREADS=2
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
