#!/usr/bin/env bash
# Builds the libFuzzer targets with clang 14 into build-fuzz/ and runs each
# for SECONDS (default 60) over a scratch copy of its kept corpus, so the
# tree's corpus only changes when someone copies a finding in by hand.
# Usage: tools/fuzz.sh [SECONDS] [TARGET...]   (targets: config scene model)
# Exit status 1 when a target crashed; its input is kept in build-fuzz/findings/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(config scene model)
build="${MURK_FUZZ_BUILD:-$root/build-fuzz}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 -DMURK_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

status=0
for t in "${targets[@]}"; do
  work="$build/work/$t"
  findings="$build/findings/$t"
  rm -rf "$work"
  mkdir -p "$work" "$findings"
  # Stack traces need the symbolizer of the same clang.
  export ASAN_SYMBOLIZER_PATH="${ASAN_SYMBOLIZER_PATH:-$(command -v llvm-symbolizer-14 || true)}"
  echo "fuzz_$t: ${seconds}s"
  if ! "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=8192 -print_final_stats=1 -artifact_prefix="$findings/" \
      "$work" "$root/tests/fuzz/corpus/$t" "$root/tests/fuzz/regressions/$t" \
      >"$build/fuzz_$t.log" 2>&1; then
    status=1
    echo "fuzz_$t found a fault; input in $findings/, log in $build/fuzz_$t.log"
    grep -E "^==[0-9]+==ERROR|^SUMMARY" "$build/fuzz_$t.log" | head -5 || true
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/fuzz_$t.log" | sed "s/^/  /" || true
done
exit $status
