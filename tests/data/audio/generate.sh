#!/bin/sh
# Regenerates the test streams (sox and oggenc from vorbis-tools). Run from this folder.
#   tones-44100-stereo.ogg   3 s: left 300 Hz, then 600 Hz, then 1200 Hz, a second each; right silent
#   sine441-22050-mono.ogg   2 s: 441 Hz, mono, 22050 Hz
#   centre480-48000-51.ogg   1 s: 480 Hz on the centre channel only, 5.1 in Vorbis order, 48000 Hz
#   chained-300-1200.ogg     2 s in two links (two encodings joined): 1 s of 300 Hz, then 1 s of
#                            1200 Hz, mono, 22050 Hz
# No dither (-D), so that the same commands give the same files.
set -e
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in 300 600 1200; do sox -D -n -r 44100 -b 16 -c 1 "$work/t$f.wav" synth 1 sine $f vol 0.5; done
sox -D "$work/t300.wav" "$work/t600.wav" "$work/t1200.wav" "$work/left.wav"
sox -D -n -r 44100 -b 16 -c 1 "$work/right.wav" trim 0 3
sox -D -M "$work/left.wav" "$work/right.wav" "$work/stereo.wav"
sox -D -n -r 22050 -b 16 -c 1 "$work/mono.wav" synth 2 sine 441 vol 0.5
sox -D -n -r 48000 -b 16 -c 1 "$work/z.wav" trim 0 1
sox -D -n -r 48000 -b 16 -c 1 "$work/c.wav" synth 1 sine 480 vol 0.5
# WAV order (FL FR FC LFE BL BR): oggenc maps it to Vorbis order (FL FC FR BL BR LFE)
sox -D -M "$work/z.wav" "$work/z.wav" "$work/c.wav" "$work/z.wav" "$work/z.wav" "$work/z.wav" "$work/surround.wav"
oggenc -Q --serial 1 -q 2 -o tones-44100-stereo.ogg "$work/stereo.wav"
oggenc -Q --serial 1 -q 2 -o sine441-22050-mono.ogg "$work/mono.wav"
oggenc -Q --serial 1 -q 2 -o centre480-48000-51.ogg "$work/surround.wav"
sox -D -n -r 22050 -b 16 -c 1 "$work/a.wav" synth 1 sine 300 vol 0.5
sox -D -n -r 22050 -b 16 -c 1 "$work/b.wav" synth 1 sine 1200 vol 0.5
oggenc -Q --serial 1 -q 2 -o "$work/a.ogg" "$work/a.wav"
oggenc -Q --serial 2 -q 2 -o "$work/b.ogg" "$work/b.wav"
cat "$work/a.ogg" "$work/b.ogg" > chained-300-1200.ogg
