#!/bin/sh
# Runs the example: installs what is missing, builds, copies examples/ to a scratch folder and runs
# the simulator there. The examples themselves are never changed.
set -eu
cd "$(dirname "$0")/.."
root="$(pwd)"

scripts/setup-deps.sh
scripts/build.sh default

scratch="${DEMO_DIR:-$root/scratch/demo}"
rm -rf "$scratch"
mkdir -p "$scratch"
cp -R examples/. "$scratch/"

status=0
for run in "$scratch"/*/run; do
    [ -f "$run/input.txt" ] || continue
    cp build/bin/coltrans "$run/coltrans"
    echo "== $(basename "$(dirname "$run")")"
    (cd "$run" && ./coltrans </dev/null) || status=$?
done

echo
echo "Results are in $scratch: print.txt in each run folder, the run archive in Saved_Simulations/."
exit $status
