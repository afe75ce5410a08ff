#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Without a display the
# whole run goes under Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
cd "$root/build"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" ctest --output-on-failure "$@"
fi
exec ctest --output-on-failure "$@"
