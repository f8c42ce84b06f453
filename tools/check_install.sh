#!/usr/bin/env bash
# Installation check (Linux): builds the library, the stand-in and the rig
# (the `fly` preset) from a copy of the working tree, installs them to a
# temporary prefix, deletes the copy and its build tree, and runs the
# installed `quillon-rig verify`. The rig finds its libraries, check vehicles
# and check-case data in the build and source trees while they exist; with
# both gone, every case passes only if the prefix holds all of them.
set -euo pipefail
cd "$(dirname "$0")/.."

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/src"
tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C "$tmp/src"
jobs=$(nproc 2> /dev/null || echo 2)
(cd "$tmp/src" && cmake --preset fly --no-warn-unused-cli > /dev/null &&
    cmake --build --preset fly -j "$jobs" > /dev/null)
cmake --install "$tmp/src/build/fly" --prefix "$tmp/prefix" > /dev/null
rm -rf "$tmp/src"
"$tmp/prefix/bin/quillon-rig" verify | tail -n 1
