#!/usr/bin/env bash
# `make run`: shows what the command-line tool computes for the bundled example elements.
set -euo pipefail
build=${1:-build}
cli="$build/cli/tesvane"
examples=examples/elements.args
echo "tesvane: points along the example elements in $examples"
while IFS= read -r line; do
  case "$line" in ''|'#'*) continue ;; esac
  echo
  echo "\$ tesvane element $line"
  # shellcheck disable=SC2086
  "$cli" element $line
done < "$examples"
