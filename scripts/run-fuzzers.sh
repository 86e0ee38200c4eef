#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time on its corpus in fuzz/corpus/<name>.
# New interesting inputs go to a scratch folder, so the corpus kept in the repository stays small.
# FUZZ_SEED fixes libFuzzer's seed (CI does, so that a run can be repeated); 0 or unset is random.
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
  # The log goes to a file: with pipefail a failing fuzzer would end the script before the
  # findings are shown.
  rc=0
  # Targets named in FUZZ_REPLAY_ONLY only replay their corpus (every input there must pass):
  # CI does this for a target with a known open finding, so that it guards the fixed inputs
  # without failing on the open one.
  if [[ " ${FUZZ_REPLAY_ONLY:-} " == *" $name "* ]]; then
    echo "   (corpus replay only)"
    "$t" -runs=0 -timeout=10 -rss_limit_mb=2048 "$corpus" >"$scratch/log" 2>&1 || rc=$?
  else
  "$t" -max_total_time="$seconds" -seed="${FUZZ_SEED:-0}" -timeout=10 -rss_limit_mb=2048 -max_len=65536 "${dict[@]}" \
       -artifact_prefix="$scratch/" "$scratch" "$corpus" >"$scratch/log" 2>&1 || rc=$?
  fi
  if [ "$rc" -ne 0 ]; then
    tail -n 40 "$scratch/log"
    echo "run-fuzzers: $name failed; its finding(s), kept in $scratch:"
    for f in "$scratch"/crash-* "$scratch"/timeout-* "$scratch"/oom-* "$scratch"/leak-*; do
      [ -e "$f" ] && { echo "  $f"; base64 -w 0 "$f" | head -c 4096; echo; }
    done
    exit "$rc"
  fi
  tail -n 3 "$scratch/log"
  rm -rf "$scratch"
done
