#!/usr/bin/env bash
# A bounded fuzz run: fuzz-run.sh FUZZER SEED_FOLDER SECONDS. Fails on any finding.
# The seeds are copied, so the run never adds its own inputs to the repository's corpus.
set -euo pipefail
fuzzer=$1 seeds=$2 seconds=${3:-30}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts"
cp -a "$seeds"/. "$work/corpus/" 2>/dev/null || true
"$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1 || {
  tail -60 "$work/log"
  echo "finding kept in: $(ls "$work/artifacts")"
  exit 1
}
grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$work/log" | tail -2
