#!/usr/bin/env bash
# Renders a video on a Slurm cluster: writes the plan into a folder that every node can reach,
# submits array jobs with a task per chunk that is still missing or damaged, and an assembly
# job that runs once all of them succeeded. Run it again after a failure: finished chunks stay.
#
#   scripts/render-cluster.sh --plan DIR [--chunk S] [--partition P] [--time T] [--mem M]
#                             [--max-running N] [--sbatch OPTION]... [--zodrender PATH] -o OUT [zodrender options]
#   scripts/render-cluster.sh --progress DIR
#
# --chunk S: seconds of video per task (default 5). --max-running N: at most N tasks run at once
# (per array job). --partition, --time, --mem and every --sbatch OPTION go to every sbatch call.
# Everything else goes to zodrender (see zodrender --help).
set -euo pipefail

usage() {
  sed -n '6,12p' "$0" | sed 's/^# \{0,1\}//'
}

zodrender=${ZODRENDER:-}
plan=""
chunk=5
progress=""
limit=""
sbatch_options=()
render=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --plan|--chunk|--partition|--time|--mem|--sbatch|--zodrender|--progress|--max-running)
      [[ $# -ge 2 ]] || { echo "render-cluster.sh: $1 needs a value" >&2; exit 1; }
      case "$1" in
        --plan) plan=$2 ;;
        --chunk) chunk=$2 ;;
        --partition) sbatch_options+=("--partition=$2") ;;
        --time) sbatch_options+=("--time=$2") ;;
        --mem) sbatch_options+=("--mem=$2") ;;
        --sbatch) sbatch_options+=("$2") ;;
        --zodrender) zodrender=$2 ;;
        --progress) progress=$2 ;;
        --max-running)
          [[ $2 =~ ^[1-9][0-9]*$ ]] || { echo "render-cluster.sh: --max-running needs a number of tasks, as in 50" >&2; exit 1; }
          limit="%$2" ;;
      esac
      shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) render+=("$1"); shift ;;
  esac
done

# The nodes run the same program: an absolute path, found here once.
[[ -n "$zodrender" ]] || zodrender=$(command -v zodrender || true)
[[ -n "$zodrender" && -x "$zodrender" ]] || { echo "render-cluster.sh: cannot find zodrender (give --zodrender PATH)" >&2; exit 1; }
zodrender=$(realpath "$zodrender")

if [[ -n "$progress" ]]; then
  exec "$zodrender" --progress "$progress"
fi
[[ -n "$plan" && ${#render[@]} -gt 0 ]] || { usage >&2; exit 1; }
command -v sbatch >/dev/null || { echo "render-cluster.sh: cannot find sbatch (is this a Slurm login node?)" >&2; exit 1; }

# The same command line again keeps the plan and the chunks done so far.
"$zodrender" --plan "$plan" --chunk "$chunk" "${render[@]}"
plan=$(realpath "$plan")
mkdir -p "$plan/logs"
# Jobs of an earlier submission still in the queue would render the same chunks twice.
if [[ -s $plan/logs/jobs ]]; then
  queued=$(squeue -h -o %i -j "$(paste -sd, "$plan/logs/jobs")" 2>/dev/null || true)
  if [[ -n $queued ]]; then
    echo "render-cluster.sh: jobs of this plan are still queued or running ($(echo $queued)); wait for them or scancel them" >&2
    exit 1
  fi
fi
missing=$("$zodrender" --progress "$plan" | sed -n 's/^to render: //p')

# The chunks left, as ranges ("0-999,1200"), go to array jobs. An array index stays below the
# cluster's MaxArraySize, so chunk numbers past it go to further array jobs, each numbering its
# tasks from an offset.
max=$(scontrol show config 2>/dev/null | sed -n 's/^MaxArraySize *= *\([0-9]*\).*/\1/p')
max=${max:-1001}
declare -A blocks=()
if [[ -n "$missing" ]]; then
  IFS=, read -ra parts <<< "$missing"
  for part in "${parts[@]}"; do
    first=${part%-*} last=${part#*-}
    while (( first <= last )); do
      block=$(( first / max )) top=$(( (first / max + 1) * max - 1 ))
      (( top > last )) && top=$last
      low=$(( first - block * max )) high=$(( top - block * max ))
      range=$low
      (( high > low )) && range="$low-$high"
      blocks[$block]="${blocks[$block]:+${blocks[$block]},}$range"
      first=$(( top + 1 ))
    done
  done
fi
dependency=()
jobs=()
for block in $(printf '%s\n' "${!blocks[@]}" | sort -n); do
  offset=$(( block * max ))
  # Each task writes its log under its chunk's number.
  task=$(printf 'n=$((SLURM_ARRAY_TASK_ID + %d)); exec %q --task %q "$n" > %q/logs/chunk-"$n".out 2>&1' \
    "$offset" "$zodrender" "$plan" "$plan")
  job=$(sbatch --parsable --job-name=zodrender-chunks --array="${blocks[$block]}$limit" \
    --output=/dev/null "${sbatch_options[@]}" --wrap "$task")
  job=${job%%;*}
  jobs+=("$job")
  # As the user counts them: chunk numbers, not array indices.
  shown=$(tr , '\n' <<< "${blocks[$block]}" | awk -F- -v o="$offset" \
    '{ printf "%s%d", (NR > 1 ? "," : ""), $1 + o; if (NF > 1) printf "-%d", $2 + o }')
  case $shown in *[-,]*) noun=chunks ;; *) noun=chunk ;; esac
  echo "render-cluster.sh: $noun $shown as array job $job${limit:+ (at most ${limit#%} at once)}"
done
if [[ ${#jobs[@]} -gt 0 ]]; then
  dependency=(--dependency="afterok:$(IFS=:; echo "${jobs[*]}")" --kill-on-invalid-dep=yes)
fi
assemble=$(printf 'exec %q --assemble %q' "$zodrender" "$plan")
joined=$(sbatch --parsable --job-name=zodrender-assemble "${dependency[@]}" \
  --output="$plan/logs/assemble.out" "${sbatch_options[@]}" --wrap "$assemble")
joined=${joined%%;*}
printf '%s\n' "${jobs[@]}" "$joined" > "$plan/logs/jobs"
echo "render-cluster.sh: assembly as job $joined, after the chunks"
echo "render-cluster.sh: progress: $0 --progress $plan   (logs in $plan/logs)"
