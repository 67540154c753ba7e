# Sourced first by scripts/test.sh and scripts/update-frames.sh, with $root set to the project:
# installs what is missing and, without a display, runs the calling script again (same
# arguments) under an X server of its own.
"$root/scripts/deps.sh"
if [[ -z "${DISPLAY:-}" && -z "${ZOD_IN_XVFB:-}" ]]; then
  export ZOD_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi
