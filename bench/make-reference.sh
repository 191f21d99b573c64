#!/usr/bin/env bash
# The reference set: the metrics folders of the example project and of the benchmark
# scenarios, run with fixed seeds. A change that is meant to leave every result as it was
# is checked against it byte for byte.
#
#   bench/make-reference.sh [BUILD_DIR]           write the set to BUILD_DIR/reference
#   bench/make-reference.sh --compare [BUILD_DIR] run again into BUILD_DIR/reference-check
#                                                 and compare with the set
#
# The scenarios are projects made with the command line. Each starts from a new project
# (a 3000 m road, one speed limit over the first 1000 m, a flow and density detector at
# 1000 m) and carries an output-vehicles detector near the far end of each direction, so
# that every vehicle's arrival there shows in the files even where the benchmark case has
# no detector.
set -euo pipefail

mode=make
if [[ "${1:-}" == "--compare" ]]; then
    mode=compare
    shift
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
tarlo="$build/tarlo"
work="$build/reference-projects"
if [[ $mode == make ]]; then out="$build/reference"; else out="$build/reference-check"; fi

# Keeps the user's settings file out of the runs.
export XDG_CONFIG_HOME="$work/config"

quiet() { "$@" >/dev/null; }

# set_field PROJECT FIELD VALUE: one top-level field of a project file.
set_field() {
    sed -i "s#<$2>[^<]*</$2>#<$2>$3</$2>#" "$1"
}

# new_project NAME TRAFFIC LANES_POS LANES_NEG: a new project on the traffic file.
new_project() {
    local project="$work/$1.tlp"
    rm -f "$project"
    quiet "$tarlo" new "$project" --traffic "$2" --lanes-pos "$3" --lanes-neg "$4"
    echo "$project"
}

# Output-vehicles detectors 10 m before each direction's end of a road of the length.
add_exit_detectors() {
    quiet "$tarlo" add detector "$1" output-vehicles --position $(($2 - 10))
    quiet "$tarlo" add detector "$1" output-vehicles --position 10 --direction negative
}

# One detector of each of the ten kinds in the positive direction, as the benchmark has them.
add_every_detector() {
    local p="$1"
    quiet "$tarlo" add detector "$p" flow-density --position 1500
    quiet "$tarlo" add detector "$p" headway --position 1500
    quiet "$tarlo" add detector "$p" composition --position 1500
    quiet "$tarlo" add detector "$p" lane-changes --bin-width 100
    quiet "$tarlo" add detector "$p" output-vehicles --position 1500
    quiet "$tarlo" add detector "$p" macro-segment --start 1000 --end 1200
    quiet "$tarlo" add detector "$p" micro-segment --start 1000 --end 1200
    quiet "$tarlo" add detector "$p" st-density --first 500 --spacing 100 --last 2500
    quiet "$tarlo" add detector "$p" st-sms --first 500 --spacing 100 --last 2500
    quiet "$tarlo" add detector "$p" occupancy --start 1000 --end 1200
}

# A bridge with four load effects (one per built-in form family) and every output; the
# time history only when asked for, as a day of it takes a few hundred megabytes.
add_bridge() {
    local p="$1" id="$2" start="$3" end="$4" history="${5:-}"
    quiet "$tarlo" add bridge "$p" --start "$start" --end "$end" --sub-steps 10 $history \
        --block-max 3600 --block-min 3600 --basic-stats --histogram \
        --function mid-span-moment --threshold-over 4000 --threshold-under -1
    quiet "$tarlo" add load-effect "$p" --bridge "$id" --function support-moment \
        --threshold-over 1500 --threshold-under -500
    quiet "$tarlo" add load-effect "$p" --bridge "$id" --function left-shear \
        --threshold-over 350 --threshold-under -350
    quiet "$tarlo" add load-effect "$p" --bridge "$id" --function total-load \
        --threshold-over 800 --threshold-under -1
}

make_projects() {
    rm -rf "$work"
    mkdir -p "$work/config"
    # The standard traffic: four hours at 1000 vehicles per hour and lane, 15 % trucks,
    # 2 + 1 lanes; and a day of a 2 + 2-lane motorway.
    quiet "$tarlo" traffic generate "$work/four-hours.cas" --format castor --hours 4
    quiet "$tarlo" traffic generate "$work/day.cas" --format castor --hours 24 \
        --lanes-pos 2 --lanes-neg 2

    local p
    for lc in 1 0; do
        p=$(new_project "standard-lc$lc" four-hours.cas 2 1)
        set_field "$p" m_AllowLaneChanging $lc
        add_exit_detectors "$p" 3000
        p=$(new_project "constant-velocity-lc$lc" four-hours.cas 2 1)
        set_field "$p" m_AllowLaneChanging $lc
        set_field "$p" m_bConstVelocity 1
        add_exit_detectors "$p" 3000
    done
    p=$(new_project detectors four-hours.cas 2 1)
    add_every_detector "$p"
    add_exit_detectors "$p" 3000
    p=$(new_project bridges four-hours.cas 2 1)
    add_bridge "$p" 1 1000 1050 --time-history
    add_bridge "$p" 2 2000 2040 --time-history
    add_exit_detectors "$p" 3000
    for km in 12 48; do
        p=$(new_project "road-${km}km" four-hours.cas 2 1)
        set_field "$p" m_RoadLength $((km * 1000))
        add_exit_detectors "$p" $((km * 1000))
    done
    p=$(new_project year-day day.cas 2 2)
    add_every_detector "$p"
    add_bridge "$p" 1 1000 1050
    add_bridge "$p" 2 2000 2040
    add_exit_detectors "$p" 3000
}

run_all() {
    rm -rf "$out"
    mkdir -p "$out"
    "$tarlo" run "$root/examples/demo/demo.tlp" --seed 1 --quiet --no-summary \
        --metrics "$out/demo" >/dev/null 2>&1
    for project in "$work"/*.tlp; do
        local name
        name=$(basename "$project" .tlp)
        "$tarlo" run "$project" --seed 1 --quiet --no-summary --metrics "$out/$name" \
            >/dev/null 2>&1
    done
}

if [[ $mode == make || ! -d "$work" ]]; then
    make_projects
fi
run_all
if [[ $mode == make ]]; then
    echo "reference set written to $out"
    du -sh "$out"/*
elif diff -r -q "$build/reference" "$out"; then
    echo "identical to the reference set"
else
    echo "DIFFERENT from the reference set" >&2
    exit 1
fi
