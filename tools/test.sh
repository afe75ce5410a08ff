#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the ordinary build in
# build/, the same suite built with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer in build-asan/, then a short run of each fuzzer
# (build-fuzz/). Without a display the tests run under Xvfb.
# Arguments go to ctest (e.g. -R frame). Environment:
#   MURK_TEST_SANITIZE=0   skip the sanitizer build
#   MURK_FUZZ_SECONDS=N    seconds per fuzzer (default 60; 0 skips fuzzing)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"

# -noreset: Xvfb otherwise resets when its last client leaves, and the
# next test's window fails to open while it does.
run_ctest() {
  if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp -noreset" "$@"
  else
    "$@"
  fi
}

status=0

echo "== build/: ordinary build"
"$root/tools/build.sh"
(cd "$root/build" && run_ctest ctest --output-on-failure "$@") || status=1

if [ "${MURK_TEST_SANITIZE:-1}" != 0 ]; then
  echo "== build-asan/: address, leak and undefined-behaviour sanitizers"
  cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURK_SANITIZE=ON >/dev/null
  cmake --build "$root/build-asan" -j"$(nproc)"
  # The GL driver is loaded before main and so never unloaded: the memory it
  # keeps to the end stays reachable, and what it does leak is named by its
  # module in the report (an unloaded module has no name to suppress).
  driver=/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so
  (cd "$root/build-asan" && run_ctest env \
    LD_PRELOAD="$driver" \
    ASAN_OPTIONS="verify_asan_link_order=0:detect_leaks=1:check_initialization_order=1:strict_init_order=1" \
    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --output-on-failure "$@") || status=1
fi

if [ "${MURK_FUZZ_SECONDS:-60}" != 0 ]; then
  echo "== build-fuzz/: libFuzzer, ${MURK_FUZZ_SECONDS:-60}s per reader"
  "$root/tools/fuzz.sh" "${MURK_FUZZ_SECONDS:-60}" || status=1
fi

echo "tools/test.sh: $((SECONDS / 60)) min $((SECONDS % 60)) s, status $status"
exit $status
