#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time on its corpus in fuzz/corpus/<name>.
# New interesting inputs go to a scratch folder, so the corpus kept in the repository stays small.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "run-fuzzers: no fuzz targets in $build/fuzz"
  exit 0
fi
for t in "${targets[@]}"; do
  # CMake also leaves <target>_autogen folders here; only executable files are targets.
  [ -f "$t" ] && [ -x "$t" ] || continue
  name=$(basename "$t")
  corpus="fuzz/corpus/$name"
  mkdir -p "$corpus"
  scratch=$(mktemp -d)
  # A dictionary of the format's tokens beside the target's source helps the mutator.
  dict=()
  if [ -f "fuzz/$name.dict" ]; then dict=(-dict="fuzz/$name.dict"); fi
  echo "== $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 "${dict[@]}" \
       -artifact_prefix="$scratch/" "$scratch" "$corpus" 2>&1 | tail -n 5
  rc=${PIPESTATUS[0]}
  if [ "$rc" -ne 0 ]; then
    echo "run-fuzzers: $name failed; crashing input(s):"
    ls "$scratch"/crash-* "$scratch"/timeout-* "$scratch"/oom-* 2>/dev/null || true
    exit "$rc"
  fi
  rm -rf "$scratch"
done
