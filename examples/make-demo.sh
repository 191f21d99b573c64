#!/bin/sh
# Re-makes the example project in examples/demo/ with the tarlo command: three hours of
# traffic at 1000 vehicles per hour per lane, and a project on it with road features,
# one detector of each kind and two bridges. Run it from anywhere after a build, or name
# the program: TARLO=/path/to/tarlo examples/make-demo.sh
set -eu

here=$(cd "$(dirname "$0")" && pwd)
tarlo=${TARLO:-$here/../build/tarlo}
demo=$here/demo
project=$demo/demo.tlp

"$tarlo" traffic generate "$demo/demo.cas" --format castor --hours 3 --flow 1000 \
    --lanes-pos 2 --lanes-neg 1 --truck-share 0.15 --seed 1

# The traffic file is named relative to the project, so the project runs from any copy
# of the folder. A new project brings a speed limit of 120 km/h on the first kilometre
# of direction 1 and a flow and density detector at 1000 m.
rm -f "$project"
"$tarlo" new "$project" --traffic demo.cas --format castor --lanes-pos 2 --lanes-neg 1

# Road features: an uphill stretch and a lane closed by a broken-down vehicle. Lane 2 of
# direction 1 merges into lane 1 ahead of it; the one lane left cannot carry the 2000
# vehicles an hour of the direction, so a queue grows behind the closure and reaches back
# over both bridges, which is when their load effects peak.
"$tarlo" add feature "$project" gradient --start 1600 --end 2200 --value 3 \
    --description "Climb to the overpass"
"$tarlo" add feature "$project" obstacle --start 2500 --end 2520 --value 2 \
    --description "Broken-down truck in lane 2"

# One detector of each kind besides the flow and density detector of the new project.
"$tarlo" add detector "$project" headway --position 1000 --direction negative --interval 300 \
    --description "Headways, direction 2"
"$tarlo" add detector "$project" composition --position 500 --interval 600 \
    --description "Traffic mix at 500 m"
"$tarlo" add detector "$project" lane-changes --bin-width 100 --interval 600 \
    --description "Lane changes"
"$tarlo" add detector "$project" output-vehicles --position 2900 --vehicles trucks \
    --description "Trucks leaving"
"$tarlo" add detector "$project" macro-segment --start 1200 --end 1240 --interval 300 \
    --description "Over the viaduct"
"$tarlo" add detector "$project" micro-segment --start 2300 --end 2500 --interval 300 \
    --description "Ahead of the closure"
"$tarlo" add detector "$project" st-density --first 100 --spacing 200 --last 2900 --interval 300 \
    --description "Density along direction 1"
"$tarlo" add detector "$project" st-sms --first 100 --spacing 200 --last 2900 \
    --direction negative --interval 300 --description "Speeds along direction 2"
"$tarlo" add detector "$project" occupancy --start 2400 --end 2500 --interval 60 \
    --description "Queue at the closure"

# Every output of both bridges: the time history, ten-minute block maxima and minima, the
# values over and under the thresholds, the basic statistics and the histogram.
outputs="--sub-steps 2 --time-history --block-max 600 --block-min 600 --basic-stats --histogram"

# Bridge 1: a 40 m simply supported span with built-in influence lines. Its load effects
# never drop below zero, so nothing falls under their thresholds.
# shellcheck disable=SC2086
"$tarlo" add bridge "$project" --start 1200 --end 1240 $outputs --description "Viaduct" \
    --function mid-span-moment --effect-description "Mid-span moment (kNm)" \
    --threshold-over 5000 --threshold-under -1
"$tarlo" add load-effect "$project" --bridge 1 --function left-shear \
    --description "Support reaction (kN)" --threshold-over 500 --threshold-under -1
"$tarlo" add load-effect "$project" --bridge 1 --function right-shear \
    --description "Right-hand shear (kN)" --threshold-over 500 --threshold-under -1

# Bridge 2: a 30 m span just ahead of the closed lane, whose mid-span shear comes from
# the influence-line file; the outer lanes count less.
"$tarlo" import-il "$project" "$demo/mid-span-shear.csv"
# shellcheck disable=SC2086
"$tarlo" add bridge "$project" --start 2300 --end 2330 $outputs --description "Overpass" \
    --discrete "Mid-span shear" --lane-weights 1.0,0.8,0.6 \
    --effect-description "Mid-span shear (kN)" --threshold-over 120 --threshold-under -120
