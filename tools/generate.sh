#!/usr/bin/env bash
# Regenerates every generated file of resources/ and the manifest tools/checksums.txt.
# The same bytes on every run: fixed seeds, no time stamps, a fixed Ogg stream serial.
# Needs: g++ (pictures, meshes), libfreetype-dev, libpng-dev, libjpeg-dev, python3, fluidsynth,
# fluid-soundfont-gm, sox, vorbis-tools (all in scripts/packages.txt).
#
# Usage: tools/generate.sh [all|pictures|meshes|music|rawmaps|shaders|check]   (default: all)
#   check: generates everything into a scratch folder and compares it with tools/checksums.txt,
#          leaving resources/ untouched; exits 1 when a file differs.
set -euo pipefail
tools=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$tools")
what="${1:-all}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out="$root/resources"
if [[ "$what" == check ]]; then
  out="$work/out"
  mkdir -p "$out"
fi

soundfont=/usr/share/sounds/sf2/FluidR3_GM.sf2

pictures() {
  echo "pictures: building the generator"
  g++ -std=c++20 -O2 -o "$work/pictures" "$tools/pictures.cpp" \
    $(pkg-config --cflags --libs freetype2 libpng) -ljpeg
  # The island's ground picture follows the island map: the one this run wrote, or else the
  # committed one (rawmaps runs first when everything is generated).
  local map="$out/IslandMap.raw"
  [[ -f "$map" ]] || map="$root/resources/IslandMap.raw"
  "$work/pictures" "$out" "$root/resources/DejaVuSans.ttf" "$tools/fonts/DejaVuSans-Bold.ttf" "$map"
}

# The production's meshes, written with tools/xwriter.
meshes() {
  echo "meshes: building the generator"
  g++ -std=c++20 -O2 -I"$tools/xwriter" -o "$work/meshes" "$tools/meshes.cpp" "$tools/xwriter/XWriter.cpp"
  "$work/meshes" "$out"
}

music() {
  echo "music: composing, rendering and encoding"
  python3 "$tools/compose_music.py" "$work/song.mid"
  # Rendered in floating point so nothing clips before the level is set.
  fluidsynth -ni -q -F "$work/song.wav" -O float -T wav -r 44100 -g 0.25 \
    "$soundfont" "$work/song.mid" >/dev/null
  # Off with the synthesizer's DC, cut to 180 s (the last chord has rung out by then),
  # fade the last second, peak at -1 dBFS; -R makes sox's dither repeatable.
  sox -V1 -R "$work/song.wav" -b 16 "$work/music.wav" highpass 18 trim 0 180 fade t 0 180 1.0 gain -n -1
  oggenc -Q -q 4 --serial 12345 -o "$out/Music.ogg" "$work/music.wav"
}

rawmaps() {
  echo "rawmaps: building the generator of the island map and the hidden picture"
  g++ -std=c++20 -O2 -o "$work/rawmaps" "$tools/rawmaps.cpp" $(pkg-config --cflags --libs freetype2)
  "$work/rawmaps" "$out" "$tools/fonts/DejaVuSans-Bold.ttf"
}

shaders() {
  echo "shaders: assembling the vertex shaders"
  python3 "$tools/vsasm.py" "$tools/Cloud.vsh" "$out/Cloud.vso"
}

generated() {
  sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$tools/generated.txt"
}

case "$what" in
  pictures) pictures ;;
  meshes) meshes ;;
  music) music ;;
  rawmaps) rawmaps ;;
  shaders) shaders ;;
  all|check) rawmaps; shaders; pictures; meshes; music ;;
  *) echo "usage: $0 [all|pictures|meshes|music|rawmaps|shaders|check]" >&2; exit 2 ;;
esac

if [[ "$what" == check ]]; then
  (cd "$out" && sha256sum $(generated)) > "$work/checksums.txt"
  if diff -u "$tools/checksums.txt" "$work/checksums.txt"; then
    echo "check: every generated file is reproduced byte for byte"
  else
    echo "check: the generators no longer reproduce the committed files" >&2
    exit 1
  fi
  exit 0
fi

# The manifest of every generated file, checked by the content tests.
(cd "$out" && sha256sum $(generated)) > "$tools/checksums.txt"
echo "checksums: $(wc -l < "$tools/checksums.txt") files in tools/checksums.txt"
