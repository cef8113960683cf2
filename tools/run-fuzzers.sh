#!/usr/bin/env bash
# Runs every fuzz target built in BUILD_DIR for SECONDS each. Each grows a
# working corpus of its own under BUILD_DIR (seeded from the repository's,
# which stays as it is) and writes what fails into BUILD_DIR/fuzz-artifacts;
# such an input belongs in tests/fuzz/regressions/<target> once fixed.
set -euo pipefail
build_dir=$1
seconds=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
artifacts=$build_dir/fuzz-artifacts
mkdir -p "$artifacts"
status=0
export LSAN_OPTIONS=suppressions=$source_dir/tests/fuzz/lsan-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}
for seeds in "$source_dir"/tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  program=$build_dir/tests/fuzz/fuzz_$name
  [[ -x $program ]] || { echo "fuzz_$name: not built" >&2; status=1; continue; }
  corpus=$build_dir/fuzz-corpus/$name
  mkdir -p "$corpus"
  log=$build_dir/fuzz-$name.log
  echo "fuzz_$name: ${seconds} s"
  # A target with no regression case yet has no folder for them: git keeps
  # no empty folders, and libFuzzer refuses one that is missing.
  inputs=("$corpus" "$seeds")
  regressions=$source_dir/tests/fuzz/regressions/$name
  [[ -d $regressions ]] && inputs+=("$regressions")
  if "$program" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$name-" "${inputs[@]}" >"$log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 | sed "s/^/  /" || true
    grep -E 'stat::number_of_executed_units' "$log" | sed "s/^/  /" || true
  else
    echo "fuzz_$name FAILED; the end of $log:" >&2
    tail -40 "$log" >&2
    status=1
  fi
done
exit $status
