#!/usr/bin/env bash
# Installs what is missing, builds the player, the authors' tools (zodcheck, zodrender) and the
# manual pages into build/release and plays the production.
# Arguments go to the player (for example: scripts/play.sh -a -w).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DZOD_TESTS=OFF -DZOD_BENCH=OFF >/dev/null
cmake --build "$root/build/release" --target zodrevez zodcheck zodrender manpages -j"$(nproc)"
exec "$root/build/release/zodrevez" "$@"
