#!/usr/bin/env bash
# Regenerates every generated file of resources/ and the manifest tools/checksums.txt.
# The same bytes on every run: fixed seeds, no time stamps, a fixed Ogg stream serial.
# Needs: g++, libfreetype-dev, libpng-dev, libjpeg-dev, python3, fluidsynth,
# fluid-soundfont-gm, sox, vorbis-tools (all in scripts/packages.txt).
#
# Usage: tools/generate.sh [pictures|music|all]   (default: all)
set -euo pipefail
tools=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$tools")
resources="$root/resources"
what="${1:-all}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

soundfont=/usr/share/sounds/sf2/FluidR3_GM.sf2

pictures() {
  echo "pictures: building the generator"
  g++ -std=c++20 -O2 -o "$work/pictures" "$tools/pictures.cpp" \
    $(pkg-config --cflags --libs freetype2 libpng) -ljpeg
  "$work/pictures" "$resources" "$resources/DejaVuSans.ttf" "$tools/fonts/DejaVuSans-Bold.ttf"
}

music() {
  echo "music: composing, rendering and encoding"
  python3 "$tools/compose_music.py" "$work/song.mid"
  # Rendered in floating point so nothing clips before the level is set.
  fluidsynth -ni -q -F "$work/song.wav" -O float -T wav -r 44100 -g 0.25 \
    "$soundfont" "$work/song.mid" >/dev/null
  # Off with the synthesizer's DC, cut to 180 s (the last chord has rung out by then),
  # fade the last second, peak at -1 dBFS; -R makes sox's dither repeatable.
  sox -R "$work/song.wav" -b 16 "$work/music.wav" highpass 18 trim 0 180 fade t 0 180 1.0 gain -n -1
  oggenc -Q -q 4 --serial 12345 -o "$resources/Music.ogg" "$work/music.wav"
}

case "$what" in
  pictures) pictures ;;
  music) music ;;
  all) pictures; music ;;
  *) echo "usage: $0 [pictures|music|all]" >&2; exit 2 ;;
esac

# The manifest of every generated file, checked by the content tests.
(cd "$resources" && sha256sum $(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$tools/generated.txt")) \
  > "$tools/checksums.txt"
echo "checksums: $(wc -l < "$tools/checksums.txt") files in tools/checksums.txt"
