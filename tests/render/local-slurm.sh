#!/usr/bin/env bash
# A one-machine Slurm cluster for the tests, from Debian's slurm-wlm and munge: munged with its own
# key and socket, slurmctld and slurmd on 127.0.0.1 at the ports given, everything (configuration,
# state, logs) inside FOLDER, so it cannot meet a Slurm that already runs on the machine. Plugins
# that need cgroups or systemd are left out: processes are tracked through /proc, no accounting.
#
#   local-slurm.sh start FOLDER CONTROLLER_PORT NODE_PORT   prints SLURM_CONF=... when the node is idle
#   local-slurm.sh stop FOLDER                              cancels every job, ends the daemons
set -euo pipefail
command=$1
folder=$(realpath "$2")

wait_gone() {  # a daemon's pid file: wait until that process has ended
  local pid
  pid=$(cat "$1" 2>/dev/null) || return 0
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
}

if [[ $command == stop ]]; then
  export SLURM_CONF=$folder/slurm.conf
  if [[ -f $folder/slurmctld.pid ]]; then
    scancel --user="$(id -un)" 2>/dev/null || true
    for _ in $(seq 100); do [[ -z $(squeue -h 2>/dev/null) ]] && break; sleep 0.1; done
  fi
  for daemon in slurmd slurmctld munged; do
    [[ -f $folder/$daemon.pid ]] && kill "$(cat "$folder/$daemon.pid")" 2>/dev/null || true
  done
  for daemon in slurmd slurmctld munged; do wait_gone "$folder/$daemon.pid"; done
  exit 0
fi

controller_port=$3
node_port=$4
mkdir -p "$folder/state" "$folder/spool"
chmod 700 "$folder"
mungekey --create --keyfile="$folder/munge.key"
munged --force --socket="$folder/munge.socket" --key-file="$folder/munge.key" --pid-file="$folder/munged.pid" \
  --log-file="$folder/munged.log" --seed-file="$folder/munged.seed"

user=$(id -un)
cat > "$folder/slurm.conf" <<EOF
ClusterName=zodtest
SlurmctldHost=localhost(127.0.0.1)
SlurmctldPort=$controller_port
SlurmdPort=$node_port
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
AuthInfo=socket=$folder/munge.socket
CredType=cred/munge
StateSaveLocation=$folder/state
SlurmdSpoolDir=$folder/spool
SlurmctldPidFile=$folder/slurmctld.pid
SlurmdPidFile=$folder/slurmd.pid
SlurmctldLogFile=$folder/slurmctld.log
SlurmdLogFile=$folder/slurmd.log
PlugStackConfig=$folder/plugstack.conf
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
NodeName=zodnode NodeHostname=localhost NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=zod Nodes=zodnode Default=YES MaxTime=INFINITE State=UP
EOF
: > "$folder/plugstack.conf"
export SLURM_CONF=$folder/slurm.conf
slurmctld -i
slurmd -N zodnode
for _ in $(seq 600); do
  if sinfo -h -o %T 2>/dev/null | grep -qx idle; then
    echo "SLURM_CONF=$SLURM_CONF"
    exit 0
  fi
  sleep 0.1
done
echo "local-slurm.sh: the node did not come up; see $folder/slurmctld.log and $folder/slurmd.log" >&2
exit 1
