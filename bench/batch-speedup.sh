#!/bin/sh
# The speed-up of `tarlo batch` on the cores of this machine: a study of 8 runs of one
# hour of traffic each (the example project, seeds 1 to 8), run with --jobs 1 and then
# with --jobs 2; prints the wall time of each and their ratio. Other work on the machine
# shows in the figures, so run it on a quiet one.
#
# Usage: bench/batch-speedup.sh [TARLO]     (default: build/tarlo)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
tarlo=$(readlink -f "${1:-$here/../build/tarlo}")
work=$(mktemp -d "${TMPDIR:-/tmp}/tarlo-speedup.XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

cp "$here/../examples/demo/demo.tlp" "$here/../examples/demo/mid-span-shear.csv" "$work/"
"$tarlo" traffic generate "$work/hour.cas" --format castor --hours 1 --flow 1000 \
    --lanes-pos 2 --lanes-neg 1 --truck-share 0.15 --seed 1 >/dev/null
cat >"$work/study.toml" <<STUDY
[[project]]
file = "demo.tlp"
traffic = "hour.cas"
seeds = { first = 1, last = 8 }
STUDY

seconds() {
    start=$(date +%s.%N)
    "$tarlo" batch "$work/study.toml" --jobs "$1" >"$work/jobs-$1.out" 2>&1 ||
        { cat "$work/jobs-$1.out" >&2; exit 1; }
    end=$(date +%s.%N)
    echo "$start $end" | awk '{ printf "%.1f", $2 - $1 }'
}

one=$(seconds 1)
two=$(seconds 2)
echo "8 one-hour runs: --jobs 1 ${one} s, --jobs 2 ${two} s, speed-up" \
    "$(echo "$one $two" | awk '{ printf "%.2f", $1 / $2 }') on $(nproc) cores"
