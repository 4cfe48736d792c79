#!/bin/sh
# Runs the examples: installs what is missing, builds, copies examples/ to a scratch folder and runs
# the programs there as a user (and a calibration engine) would. examples/ itself is never changed.
#   - a run folder with SystemFiles/ first gets the PEST files from pestprep, then an input.txt
#     written from the template with the control file's initial values;
#   - every run folder with an input.txt is then simulated by coltrans.
set -eu
cd "$(dirname "$0")/.."
root="$(pwd)"

scripts/setup-deps.sh
scripts/build.sh default >/dev/null

scratch="${DEMO_DIR:-$root/scratch/demo}"
rm -rf "$scratch"
mkdir -p "$scratch"
cp -R examples/. "$scratch/"

status=0
for run in "$scratch"/*/run; do
    example=$(basename "$(dirname "$run")")
    if [ -d "$run/SystemFiles" ]; then
        echo "== $example: pestprep"
        cp build/bin/pestprep "$run/pestprep"
        (cd "$run" && ./pestprep </dev/null) || status=$?
        build/bin/pest_emulator fill "$run/tracer_fit.pst" "$run/input.tpl" "$run/input.txt" || status=$?
    fi
    if [ -f "$run/input.txt" ]; then
        echo "== $example: coltrans"
        cp build/bin/coltrans "$run/coltrans"
        (cd "$run" && ./coltrans </dev/null) || status=$?
    fi
done

echo
echo "Results are in $scratch:"
for run in "$scratch"/*/run; do
    [ -f "$run/print.txt" ] && echo "  $run/print.txt"
done
for archive in "$scratch"/*/Saved_Simulations/Total_Runs1.txt; do
    [ -f "$archive" ] && echo "  $archive"
done
exit $status
