#!/bin/sh
# Lays out a parallel calibration from a prepared run directory (one in which pestprep has written
# tracer_fit.pst, input.tpl and print.ins beside coltrans) and prints the commands that start it:
#
#   DEST/manager/              tracer_fit.pst, input.tpl, print.ins: the manager's folder, where
#                              the engine writes its records and tracer_fit.par, the best values
#   DEST/agent1 ... agentN/    coltrans, tracer_fit.pst, input.tpl, print.ins: one folder per agent,
#                              in which the agent writes input.txt and coltrans writes print.txt
#   DEST/Saved_Simulations/    the run archive, shared by the agents of this machine: coltrans
#                              appends every run to Total_Runs1.txt beside its own folder
#
# DEST defaults to the folder that holds RUN_DIR, so that the agents share the archive folder of
# the serial runs. Folders that already exist are never overwritten: the script stops before it
# changes anything. Options: --port P (the manager's port, default 4004), --host H (the name or
# address by which agents reach the manager's machine, default this machine's name), --engine E
# (the engine's program, default pestpp-glm).
set -eu

usage() {
    echo "usage: scripts/agents.sh [--port P] [--host H] [--engine E] RUN_DIR N [DEST]" >&2
    exit 2
}

fail() {
    echo "agents.sh: $*" >&2
    exit 1
}

# A word quoted for the shell: in single quotes, each single quote written as '\''.
quoted() {
    printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"
}

port=4004
host=$(uname -n)
engine=pestpp-glm
while [ $# -gt 0 ]; do
    case "$1" in
    --port) [ $# -ge 2 ] || usage; port=$2; shift 2 ;;
    --host) [ $# -ge 2 ] || usage; host=$2; shift 2 ;;
    --engine) [ $# -ge 2 ] || usage; engine=$2; shift 2 ;;
    --) shift; break ;;
    -*) usage ;;
    *) break ;;
    esac
done
[ $# -eq 2 ] || [ $# -eq 3 ] || usage
run_dir=$1
count=$2
case "$count" in
'' | *[!0-9]*) fail "the number of agents must be a positive whole number, not '$count'" ;;
esac
[ "$count" -ge 1 ] || fail "the number of agents must be a positive whole number, not '$count'"
case "$port" in
'' | *[!0-9]*) fail "the port must be a number, not '$port'" ;;
esac

[ -d "$run_dir" ] || fail "no run directory $run_dir"
run_dir=$(cd "$run_dir" && pwd)
for file in tracer_fit.pst input.tpl print.ins; do
    [ -f "$run_dir/$file" ] || fail "$run_dir has no $file: run pestprep there first"
done
if ! { [ -f "$run_dir/coltrans" ] && [ -x "$run_dir/coltrans" ]; }; then
    fail "$run_dir has no coltrans: copy the simulator into the run directory"
fi

dest=${3:-$run_dir/..}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
agents=""
k=1
while [ "$k" -le "$count" ]; do
    agents="$agents agent$k"
    k=$((k + 1))
done
for folder in manager $agents; do
    [ ! -e "$dest/$folder" ] || fail "$dest/$folder exists already; nothing was changed"
done

# The engine starts the model command without a shell, and finds a bare program name only in the
# folders of PATH: the simulator in the agent's folder must be named ./coltrans.
command=$(awk '
    found { sub(/\r$/, ""); sub(/^[ \t]+/, ""); sub(/[ \t]+$/, ""); print; exit }
    /^[ \t]*\*[ \t]*model[ \t]+command[ \t]+line/ { found = 1 }
' "$run_dir/tracer_fit.pst")
if [ "$command" != "./coltrans" ]; then
    echo "agents.sh: warning: the model command of tracer_fit.pst is '$command'; the engine starts it" \
        "without a shell from the agent's folder, where the simulator is found as ./coltrans" >&2
fi

mkdir "$dest/manager"
cp "$run_dir/tracer_fit.pst" "$run_dir/input.tpl" "$run_dir/print.ins" "$dest/manager/"
for folder in $agents; do
    mkdir "$dest/$folder"
    cp -p "$run_dir/coltrans" "$dest/$folder/"
    cp "$run_dir/tracer_fit.pst" "$run_dir/input.tpl" "$run_dir/print.ins" "$dest/$folder/"
done
mkdir -p "$dest/Saved_Simulations"

echo "Laid out in $dest: manager/, agent1/ to agent$count/ and Saved_Simulations/."
echo
echo "Start the manager on this machine ($host):"
echo "  cd $(quoted "$dest/manager") && $engine tracer_fit.pst /h :$port < /dev/null"
echo
echo "Start each agent in a terminal of its own (or add ' &' to start it in the background):"
for folder in $agents; do
    echo "  cd $(quoted "$dest/$folder") && $engine tracer_fit.pst /h $host:$port < /dev/null"
done
echo
echo "On another machine, copy an agent folder once per agent and one Saved_Simulations folder beside"
echo "them, and start the same agent command in each copy."
echo "When the manager ends, the best values are in $dest/manager/tracer_fit.par."
