#!/bin/sh
# Builds the libFuzzer targets with clang and runs each of them from its seed corpus in tests/fuzz/.
#   scripts/fuzz.sh            every target for 10 minutes
#   scripts/fuzz.sh 3600       every target for an hour
#   scripts/fuzz.sh --smoke    about a minute in all, shared by the targets (run by scripts/test.sh)
#   FUZZ_TARGETS="control_file sorption_input" scripts/fuzz.sh 600    only these targets
# New inputs go to scratch/fuzz/<target>/corpus (the seed corpus is never changed); a crash, hang,
# leak or sanitizer report leaves its input in scratch/fuzz/<target>/ and makes the script fail.
# Add a reproducer to tests/fuzz/corpus/<target>/ once its fault is fixed.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/setup-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

if [ -n "${FUZZ_TARGETS:-}" ]; then
    targets=""
    for name in $FUZZ_TARGETS; do targets="$targets build-fuzz/bin/fuzz_$name"; done
else
    targets=$(ls build-fuzz/bin/fuzz_* 2>/dev/null || true)
fi
count=$(echo "$targets" | wc -w)
smoke=false
seed_option=""
if [ "${1:-}" = "--smoke" ]; then
    # The smoke run starts from the seed corpus alone, with a fixed seed, so that it repeats itself.
    smoke=true
    seed_option="-seed=1"
    seconds=$(( 60 / (count > 0 ? count : 1) ))
    [ "$seconds" -ge 5 ] || seconds=5
else
    seconds="${1:-600}"
fi

status=0
for program in $targets; do
    name=${program##*/fuzz_}
    work="$root/scratch/fuzz/$name"
    if $smoke; then rm -rf "$work/corpus"; fi
    mkdir -p "$work/corpus"
    cp tests/fuzz/corpus/"$name"/* "$work/corpus/" 2>/dev/null || true
    echo "== fuzz $name for $seconds s"
    # The targets' own console output (progress marks, pause prompts) is discarded: -close_fd_mask=3
    # closes their standard output and error stream, while the fuzzer and the sanitizers still report.
    if ! "$root/$program" "$work/corpus" -max_total_time="$seconds" $seed_option -timeout=10 -rss_limit_mb=2048 \
            -max_len=65536 -close_fd_mask=3 -artifact_prefix="$work/" -print_final_stats=1 \
            >"$work/log.txt" 2>&1; then
        echo "fuzz $name FAILED: see $work/log.txt" >&2
        tail -40 "$work/log.txt" >&2
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^stat::new_units_added|^Done' "$work/log.txt" || true
done
exit $status
