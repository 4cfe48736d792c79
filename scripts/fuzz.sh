#!/bin/sh
# Builds the libFuzzer targets with clang and runs each of them from its seed corpus in tests/fuzz/.
#   scripts/fuzz.sh            every target for 10 minutes
#   scripts/fuzz.sh 3600       every target for an hour
#   scripts/fuzz.sh --smoke    about a minute in all (run by scripts/test.sh)
# New inputs go to scratch/fuzz/<target>/corpus (the seed corpus is never changed); a crash leaves
# its input in scratch/fuzz/<target>/ and makes the script fail.
set -eu
cd "$(dirname "$0")/.."

scripts/setup-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

targets=$(ls build-fuzz/bin/fuzz_* 2>/dev/null || true)
count=$(echo "$targets" | wc -w)
if [ "${1:-}" = "--smoke" ]; then
    seconds=$(( 60 / (count > 0 ? count : 1) ))
    [ "$seconds" -ge 5 ] || seconds=5
else
    seconds="${1:-600}"
fi

status=0
for program in $targets; do
    name=${program##*/fuzz_}
    work="scratch/fuzz/$name"
    mkdir -p "$work/corpus"
    cp tests/fuzz/corpus/"$name"/* "$work/corpus/" 2>/dev/null || true
    echo "== fuzz $name for $seconds s"
    if ! "$program" "$work/corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -max_len=65536 -artifact_prefix="$work/" -print_final_stats=1 >"$work/log.txt" 2>&1; then
        echo "fuzz $name FAILED: see $work/log.txt" >&2
        tail -40 "$work/log.txt" >&2
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^Done' "$work/log.txt" || true
done
exit $status
