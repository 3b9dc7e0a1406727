#!/bin/bash
# Usage: run-fuzz.sh FUZZER SEED_CORPUS WORK_DIR
# Fuzzes for QUILLORA_FUZZ_SECONDS (default 60) on a copy of the seed corpus and
# ends with "fuzz: N executions, K findings"; fails when K is not 0.
set -u
fuzzer=$1
seeds=$2
work=$3
seconds=${QUILLORA_FUZZ_SECONDS:-60}

rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp "$seeds"/* "$work/corpus/"

"$fuzzer" -max_total_time="$seconds" -seed=1 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/fuzz.log" 2>&1
status=$?

executions=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$work/fuzz.log" | tail -n 1)
findings=$(find "$work/artifacts" -type f | wc -l)
if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then
    findings=1   # died without leaving an artifact
fi

if [ "$findings" -ne 0 ] || [ -z "$executions" ]; then
    tail -n 60 "$work/fuzz.log"
fi
echo "fuzz: ${executions:-0} executions, $findings findings" | tee "$work/summary"
[ "$findings" -eq 0 ] && [ -n "$executions" ]
