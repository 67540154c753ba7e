#!/usr/bin/env bash
# What splitting the render into chunks costs, with a Release zodrender, at 1920 x 1080 and 60 fps:
# the per-chunk overhead (start-up, catching up the state, encoder start) against rendering the
# same frames inside one long run, for chunks of 1, 5 and 20 s, and from those figures the wall
# time of the whole production on 1, 4 and 16 machines of this kind (chunks handed out in order,
# as Slurm starts array tasks). Every figure comes from this run; see bench/README.md.
#
#   bench/chunks.sh [build/release/zodrender]      (SDL_AUDIODRIVER=dummy is set here)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zodrender=${1:-$root/build/release/zodrender}
export SDL_AUDIODRIVER=dummy
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
size=(--size 1920x1080 --fps 60)

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

seconds() {  # wall seconds of one zodrender run
  local start end
  start=$(date +%s.%N)
  "$zodrender" "$@" >/dev/null 2>"$work/errors" || { cat "$work/errors" >&2; exit 1; }
  end=$(date +%s.%N)
  calc "$end - $start"
}

# The plan step finds where the production ends by drawing it tiny: its cost is part of the wall time.
plan_step=$(seconds --plan "$work/plan" -o "$work/out.mp4" "${size[@]}")
frames=$(sed -n 's/^frames 0 //p' "$work/plan/plan.txt")
one=$(seconds --frames 0:1 -o "$work/one.mp4" "${size[@]}")          # start-up, one frame, encoder
q=$((frames / 3))
catch1=$(calc "$(seconds --frames $q:$((q + 1)) -o "$work/c.mp4" "${size[@]}") - $one")
catch2=$(calc "$(seconds --frames $((2 * q)):$((2 * q + 1)) -o "$work/c.mp4" "${size[@]}") - $one")
catch3=$(calc "$(seconds --frames $((frames - 1)):$frames -o "$work/c.mp4" "${size[@]}") - $one")
# Full-size frames at three places, 60 each, what the catching up cost there taken off.
run0=$(seconds --frames 0:60 -o "$work/r.mp4" "${size[@]}")
run1=$(seconds --frames $q:$((q + 60)) -o "$work/r.mp4" "${size[@]}")
run2=$(seconds --frames $((2 * q)):$((2 * q + 60)) -o "$work/r.mp4" "${size[@]}")
frame=$(calc "(($run0 - $one) + ($run1 - $one - $catch1) + ($run2 - $one - $catch2)) / (3 * 59)")
# Assembly: the pictures are copied; the music is encoded once.
start=$(date +%s.%N)
ffmpeg -v error -y -i "$root/resources/Music.ogg" -t "$(calc "$frames / 60")" -c:a aac -b:a 192k "$work/a.mp4"
assembly=$(calc "$(date +%s.%N) - $start")

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
awk -v frames="$frames" -v one="$one" -v frame="$frame" -v q="$q" -v c1="$catch1" -v c2="$catch2" -v c3="$catch3" \
    -v plan="$plan_step" -v assembly="$assembly" '
  function catchup(f) {  # piecewise linear through the measured points
    if (f <= q) return c1 * f / q
    if (f <= 2 * q) return c1 + (c2 - c1) * (f - q) / q
    return c2 + (c3 - c2) * (f - 2 * q) / (frames - 1 - 2 * q)
  }
  BEGIN {
    fixed = one - frame
    # Catching up can cost less than start-up varies between runs: a difference below 0 counts as 0.
    if (c1 < 0) c1 = 0; if (c2 < 0) c2 = 0; if (c3 < 0) c3 = 0
    printf "production: %d frames; full-size frame %.3f s; start-up and encoder %.2f s\n", frames, frame, fixed
    if (c3 > 0)
      printf "catching up: %.2f s to frame %d, %.2f s to %d, %.2f s to %d (%.2f ms a frame, %.0fx cheaper than drawing it)\n",
             c1, q, c2, 2 * q, c3, frames - 1, 1000 * c3 / (frames - 1), frame * (frames - 1) / c3
    else
      printf "catching up: lost in how start-up varies from run to run (CatchUp_bench measures it)\n"
    printf "plan step (finding the end) %.1f s; assembly (music encoded once) %.1f s\n\n", plan, assembly
    printf "| chunk | overhead, first chunk | overhead, middle chunk | overhead, last chunk | mean overhead / long-run cost |\n|---|---|---|---|---|\n"
    split("1 5 20", sizes, " ")
    for (s = 1; s <= 3; ++s) {
      n = sizes[s] * 60; long = n * frame; total = 0; count = 0
      for (f = 0; f < frames; f += n) { total += fixed + catchup(f); ++count }
      mid = int(count / 2) * n; last = (count - 1) * n
      printf "| %d s | %.1f s (%.2f) | %.1f s (%.2f) | %.1f s (%.2f) | %.2f |\n", sizes[s], fixed, fixed / long,
             fixed + catchup(mid), (fixed + catchup(mid)) / long, fixed + catchup(last), (fixed + catchup(last)) / long,
             total / count / long
    }
    printf "\n| machines | one run | 1 s chunks | 5 s chunks | 20 s chunks |\n|---|---|---|---|---|\n"
    split("1 4 16", machines, " ")
    for (m = 1; m <= 3; ++m) {
      M = machines[m]
      line = sprintf("| %d | %s |", M, M == 1 ? sprintf("%.0f min", (fixed + frames * frame) / 60) : "")
      for (s = 1; s <= 3; ++s) {
        n = sizes[s] * 60
        for (i = 0; i < M; ++i) free[i] = 0
        for (f = 0; f < frames; f += n) {  # the next chunk goes to the machine that is free first
          best = 0
          for (i = 1; i < M; ++i) if (free[i] < free[best]) best = i
          k = (frames - f < n) ? frames - f : n
          free[best] += fixed + catchup(f) + k * frame
        }
        end = 0
        for (i = 0; i < M; ++i) if (free[i] > end) end = free[i]
        line = line sprintf(" %.1f min |", (plan + end + assembly) / 60)
      }
      print line
    }
  }'
