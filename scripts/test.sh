#!/bin/sh
# The whole test suite: installs what is missing, checks the layout of the sources, builds and runs
# every test in the release build, then again in the AddressSanitizer + UndefinedBehaviorSanitizer
# build, then a short fuzzing run.
set -eu
cd "$(dirname "$0")/.."

scripts/setup-deps.sh

echo "== format"
# Every tracked source as the project's .clang-format lays it out; a file it would change fails.
git ls-files -z '*.cpp' '*.hpp' | xargs -0 clang-format --dry-run --Werror

for preset in default sanitize; do
    echo "== $preset build"
    scripts/build.sh "$preset"
    echo "== $preset tests"
    ctest --preset "$preset" -j "$(nproc)"
done
echo "== fuzz smoke"
scripts/fuzz.sh --smoke
echo "All tests passed."
