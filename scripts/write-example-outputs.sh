#!/usr/bin/env bash
# Writes everything the library writes for the bundled example routes (the route file saved
# again, its curve exchange file, stake files in both modes on the centre line and at an offset,
# the validation report, main points, point and locate answers) into OUTDIR, so that two builds
# can be compared byte for byte: a refactoring must leave every file the same.
#   scripts/write-example-outputs.sh build /tmp/before
#   scripts/write-example-outputs.sh build /tmp/after && diff -r /tmp/before /tmp/after
set -euo pipefail
build=${1:?usage: write-example-outputs.sh BUILD OUTDIR}
out=${2:?usage: write-example-outputs.sh BUILD OUTDIR}
cli=$(cd "$build/cli" && pwd)/tesvane
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"
for src in "$here"/examples/*.RE "$here"/examples/*.RP; do
  name=$(basename "$src")
  dir="$out/$name.d"
  mkdir -p "$dir"
  cp "$src" "$dir/$name"
  route="$name"
  # Relative names, so that what the tool prints does not depend on OUTDIR.
  (cd "$dir" && {
    "$cli" tdfe "$route" || echo "exit $?"
    "$cli" stakes "$route" whole50.dat || echo "exit $?"
    "$cli" stakes "$route" interval20-left.dat --interval 20 --offset -3.75 --mode interval || echo "exit $?"
    "$cli" stakes "$route" whole100-right.dat --interval 100 --offset 12.5 || echo "exit $?"
    "$cli" validate "$route" whole50.dat || echo "exit $?"
    "$cli" validate "$route" interval20-left.dat || echo "exit $?"
    "$cli" mainpoints "$route" || echo "exit $?"
  } > stdout.txt 2> stderr.txt)
done
