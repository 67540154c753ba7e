#!/usr/bin/env bash
# Installs what is missing, builds the player and the two tools, and installs them with a desktop
# entry and the icon under a prefix: scripts/install.sh [PREFIX] (default ~/.local; a prefix the
# user cannot write, such as /usr/local, is installed through sudo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-"$HOME/.local"}
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DZOD_TESTS=OFF -DZOD_BENCH=OFF >/dev/null
cmake --build "$root/build/release" -j"$(nproc)"  # the programs and the manual pages
sudo=""
mkdir -p "$prefix" 2>/dev/null || true
[[ -w "$prefix" ]] || sudo="sudo"
$sudo cmake --install "$root/build/release" --prefix "$prefix"
echo "Installed under $prefix: run zodrevez, zodrender -o demo.mp4, zodcheck my.xml (with $prefix/bin on PATH)"
