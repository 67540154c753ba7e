#!/usr/bin/env bash
# Builds the Debian package zodrevez_<version>_amd64.deb from the release build (build/release,
# the one scripts/install.sh and scripts/play.sh use): the three programs, the desktop entry, the
# icon, the manual pages and the AppStream metainfo with a screenshot rendered now.
# scripts/package.sh [FOLDER]  writes it to FOLDER (default build/package) and prints its path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build/package}" && cd "${1:-$root/build/package}" && pwd)
"$root/scripts/deps.sh"
build="$root/build/release"
# The changelog's date: the last commit's, so that the same sources make the same package.
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]] && git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
  export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZOD_TESTS=OFF -DZOD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
# The screenshot is rendered headless: no display, the silent audio output.
env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy cmake --build "$build" --target screenshot
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="zodrevez_${version}_$(dpkg --print-architecture).deb"
rm -f "$build/package/$deb"
(cd "$build" && cpack -G DEB >/dev/null)
mv -f "$build/package/$deb" "$out/$deb"
echo "$out/$deb"
