#!/bin/sh
# A one-node Slurm cluster on this machine runs a study of 6 runs as a job array, and every
# run's folder must equal, byte for byte, the folder the same run gets from
# `tarlo batch --jobs 2` (run.log aside: it holds the wall-clock times of the run). The
# cluster is this script's own: its configuration, munge key, state, spool and ports lie
# in a temporary folder, and every daemon it starts is stopped when it ends. A machine on
# which the daemons cannot start fails the test, saying why.
#
# Usage: slurm-test.sh TARLO
set -eu

TARLO=$(readlink -f "$1")
PATH="$PATH:/usr/sbin:/sbin"
work=$(mktemp -d "${TMPDIR:-/tmp}/tarlo-slurm.XXXXXX")
# munged wants every folder above its socket searchable by all.
chmod 755 "$work"
daemons=""

stop_daemons() {
    for pid in $daemons; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in $daemons; do
        tries=0
        while kill -0 "$pid" 2>/dev/null && [ $tries -lt 100 ]; do
            sleep 0.1
            tries=$((tries + 1))
        done
        kill -9 "$pid" 2>/dev/null || true
    done
    daemons=""
}
trap 'stop_daemons; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP

show_logs() {
    for log in "$work"/log/*; do
        [ -f "$log" ] || continue
        echo "--- $log" >&2
        tail -n 20 "$log" >&2
    done
}

fail() {
    echo "slurm test: $*" >&2
    show_logs
    exit 1
}

for tool in munged slurmctld slurmd sbatch squeue sinfo; do
    command -v "$tool" >/dev/null 2>&1 ||
        fail "$tool is not installed ('make deps' installs slurm-wlm and munge)"
done

mkdir -p "$work/munge" "$work/state" "$work/spool" "$work/log" "$work/config"
# The settings of this machine's user are not read by the runs.
export XDG_CONFIG_HOME="$work/config"

# munge: a key of this test's own, its socket in the temporary folder.
dd if=/dev/urandom of="$work/munge/munge.key" bs=1024 count=1 2>/dev/null
chmod 600 "$work/munge/munge.key"
munged --foreground --force --socket="$work/munge/munge.sock" \
    --key-file="$work/munge/munge.key" --pid-file="$work/munge/munged.pid" \
    --seed-file="$work/munge/munged.seed" --log-file="$work/log/munged.log" \
    >"$work/log/munged.out" 2>&1 &
daemons="$daemons $!"

# Ports of this run's own, away from a cluster the machine may have.
port=$((20000 + ($$ % 10000) * 2))
cat >"$work/slurm.conf" <<CONF
ClusterName=tarlotest
SlurmctldHost=localhost
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=$(id -un)
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/munge.sock
CredType=cred/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
ReturnToService=2
NodeName=localhost NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=tarlo Nodes=localhost Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$work/slurm.conf"

tries=0
until [ -S "$work/munge/munge.sock" ]; do
    tries=$((tries + 1))
    [ $tries -le 100 ] || fail "munged did not start"
    sleep 0.1
done
slurmctld -D >"$work/log/slurmctld.out" 2>&1 &
daemons="$daemons $!"
slurmd -D -N localhost >"$work/log/slurmd.out" 2>&1 &
daemons="$daemons $!"

tries=0
until [ "$(sinfo -h -N -o %t 2>/dev/null)" = "idle" ]; do
    tries=$((tries + 1))
    [ $tries -le 120 ] || fail "the node did not become idle within 60 s"
    sleep 0.5
done

# The study: one project over two traffic files with three seeds each, a few seconds in all.
study="$work/study"
mkdir -p "$study/traffic"
"$TARLO" traffic generate "$study/traffic/early.cas" --format castor --hours 0.1 --seed 1 \
    >/dev/null
"$TARLO" traffic generate "$study/traffic/late.cas" --format castor --hours 0.1 --seed 2 \
    --start 3600 >/dev/null
"$TARLO" new "$study/span.tlp" --traffic traffic/early.cas --format castor --lanes-pos 2 \
    --lanes-neg 1 >/dev/null
"$TARLO" add bridge "$study/span.tlp" --start 500 --end 540 --function mid-span-moment \
    --block-max 60 --threshold-over 1000 >/dev/null
cat >"$study/study.toml" <<STUDY
output = "out"

[[project]]
file = "span.tlp"
traffic = "traffic/*.cas"
seeds = { first = 1, last = 3 }
STUDY

"$TARLO" batch "$study/study.toml" --jobs 2 >"$work/log/local.out" 2>&1 ||
    fail "tarlo batch --jobs 2 failed: $(cat "$work/log/local.out")"
mv "$study/out" "$study/local"

"$TARLO" batch "$study/study.toml" --slurm >"$work/log/submit.out" 2>&1 ||
    fail "tarlo batch --slurm failed: $(cat "$work/log/submit.out")"
job=$(sed -n 's/^Submitted job array \([0-9][0-9]*\) with 6 tasks$/\1/p' "$work/log/submit.out")
[ -n "$job" ] || fail "no job array of 6 tasks was submitted: $(cat "$work/log/submit.out")"

tries=0
while [ -n "$(squeue -h -j "$job" 2>/dev/null)" ]; do
    tries=$((tries + 1))
    [ $tries -le 600 ] || fail "job array $job did not end within 300 s"
    sleep 0.5
done
stop_daemons

"$TARLO" batch "$study/study.toml" --gather >"$work/log/gather.out" 2>&1 ||
    fail "not every task completed: $(cat "$work/log/gather.out")"

runs=$(find "$study/local" -name run.complete | wc -l)
[ "$runs" -eq 6 ] || fail "tarlo batch completed $runs runs, not 6"
for complete in $(cd "$study/local" && find . -name run.complete | sort); do
    run=$(dirname "$complete")
    [ -f "$study/out/$run/run.log" ] || fail "$run has no run.log from its array task"
    diff -r -x run.log "$study/local/$run" "$study/out/$run" >&2 ||
        fail "$run differs between the job array and tarlo batch --jobs 2"
done
cmp "$study/local/results.csv" "$study/out/results.csv" >&2 ||
    fail "results.csv differs between the job array and tarlo batch --jobs 2"
echo "slurm test: 6 runs of job array $job equal those of tarlo batch --jobs 2"
