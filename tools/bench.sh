#!/usr/bin/env bash
# Builds, then replays the shipped demo as fast as the machine allows
# (--timedemo) under Xvfb when there is no display. Extra arguments go to the
# game, e.g. --shadow-map-size 512 or --frames 100. The report is printed;
# per-frame figures go to /tmp/timedemo.csv and a chart to /tmp/timedemo.svg.
# Right after the demo, in the same process and window, the same number of
# frames of eleven one-tap full-screen passes is timed (the floor), and the
# frame median is printed as a multiple of it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/build.sh"
cd "$root/data"
game=("$root/build/app/murkhaven" --timedemo demos/walk.mdemo --report /tmp/timedemo --floor "$@")
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" "${game[@]}"
fi
exec "${game[@]}"
