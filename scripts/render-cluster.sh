#!/usr/bin/env bash
# Renders a video on a Slurm cluster: writes the plan into a folder that every node can reach,
# submits one array job with a task per chunk that is still missing or damaged, and an assembly
# job that runs once all of them succeeded. Run it again after a failure: finished chunks stay.
#
#   scripts/render-cluster.sh --plan DIR [--chunk S] [--partition P] [--time T] [--mem M]
#                             [--sbatch OPTION]... [--zodrender PATH] -o OUT [zodrender options]
#   scripts/render-cluster.sh --progress DIR
#
# --chunk S: seconds of video per task (default 5). --partition, --time, --mem and every
# --sbatch OPTION go to both sbatch calls. Everything else goes to zodrender (see zodrender --help).
set -euo pipefail

usage() {
  sed -n '6,10p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 1
}

zodrender=${ZODRENDER:-}
plan=""
chunk=5
progress=""
sbatch_options=()
render=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --plan|--chunk|--partition|--time|--mem|--sbatch|--zodrender|--progress)
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
      esac
      shift 2 ;;
    -h|--help) usage ;;
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
[[ -n "$plan" && ${#render[@]} -gt 0 ]] || usage
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

dependency=()
chunks=""
if [[ -n "$missing" ]]; then
  task=$(printf 'exec %q --task %q "$SLURM_ARRAY_TASK_ID"' "$zodrender" "$plan")
  chunks=$(sbatch --parsable --job-name=zodrender-chunks --array="$missing" \
    --output="$plan/logs/chunk-%a.out" "${sbatch_options[@]}" --wrap "$task")
  chunks=${chunks%%;*}
  dependency=(--dependency="afterok:$chunks" --kill-on-invalid-dep=yes)
  echo "render-cluster.sh: chunks $missing as array job $chunks"
fi
assemble=$(printf 'exec %q --assemble %q' "$zodrender" "$plan")
joined=$(sbatch --parsable --job-name=zodrender-assemble "${dependency[@]}" \
  --output="$plan/logs/assemble.out" "${sbatch_options[@]}" --wrap "$assemble")
joined=${joined%%;*}
printf '%s\n' ${chunks:-} "$joined" > "$plan/logs/jobs"
echo "render-cluster.sh: assembly as job $joined, after the chunks"
echo "render-cluster.sh: progress: $0 --progress $plan   (logs in $plan/logs)"
