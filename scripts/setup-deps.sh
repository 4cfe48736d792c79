#!/bin/sh
# Installs the Debian packages that the build, the tests and the demo need, only those missing.
# As root it runs apt-get; otherwise it prints the command to run and exits with status 1.
set -eu

PACKAGES="g++ cmake ninja-build libgsl-dev libblas-dev libgfortran-12-dev libgtest-dev clang clang-format libclang-rt-14-dev valgrind gnuplot-nox"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

command="apt-get install -y --no-install-recommends$missing"
if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing:$missing" >&2
    echo "Install them as root with:" >&2
    echo "  apt-get update && $command" >&2
    exit 1
fi

echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
# shellcheck disable=SC2086
apt-get install -y -q --no-install-recommends $missing </dev/null
