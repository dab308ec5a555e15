#!/usr/bin/env bash
# Runs every fuzz target (or the ones named as arguments) for FUZZ_SECONDS each (default 600)
# over the corpus kept in tests/fuzz/corpus/<target>, which it grows, and prints executions and
# coverage per target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-600}
fuzz_dir="$root/build/host/fuzz"
shopt -s nullglob
targets=()
if [ "$#" -gt 0 ]; then
  for name in "$@"; do targets+=("$fuzz_dir/$name"); done
else
  for f in "$fuzz_dir"/*; do
    [ -f "$f" ] && [ -x "$f" ] && targets+=("$f")
  done
fi
[ "${#targets[@]}" -gt 0 ] || { echo "fuzz: no fuzz targets in $fuzz_dir (is clang installed?)" >&2; exit 1; }
printf '%-28s %12s %8s %8s %s\n' target executions cov ft result
for target in "${targets[@]}"; do
  name=$(basename "$target")
  corpus="$root/tests/fuzz/corpus/$name"
  mkdir -p "$corpus"
  log="$fuzz_dir/$name.log"
  result=clean
  if ! (cd "$fuzz_dir" && UBSAN_OPTIONS=halt_on_error=1 "$target" -max_total_time="$seconds" \
        -print_final_stats=1 "$corpus" >"$log" 2>&1); then
    result="FAILED (see $log)"
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*')
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*')
  printf '%-28s %12s %8s %8s %s\n' "$name" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$result"
  [ "$result" = clean ] || status=1
done
exit "${status:-0}"
