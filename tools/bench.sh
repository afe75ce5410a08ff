#!/usr/bin/env bash
# Builds, then replays the shipped demo as fast as the machine allows
# (--timedemo) under Xvfb when there is no display. Arguments other than the
# ones below go to the game, e.g. --shadow-map-size 512 or --frames 100. The
# report is printed; per-frame figures go to build/bench-runs/timedemo.csv
# and a chart to build/bench-runs/timedemo.svg. Right after the demo, in the same process and window,
# the same number of frames of eleven one-tap full-screen passes is timed
# (the floor), and the frame median is printed as a multiple of it.
#
#   --render-scale S   also replays at render scale S, after the full size,
#                      and prints the frame median at S over the one at 1
#   --target-fps N     also replays with the render scale following N frames
#                      a second, and prints the share of its frames under
#                      1000/N ms and its mean scale
#   --building         also replays in a building of nine copies of the level
#                      (bench/building/make_building.py, written to
#                      build/building), and prints its frame, start-up and
#                      memory over the level's
#   --runs K           each configuration K times, interleaved; the figures
#                      compared are the medians
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
scale="" fps="" building=0 runs=1 rest=()
while [ $# -gt 0 ]; do
  case "$1" in
    --render-scale) scale="$2"; shift 2 ;;
    --target-fps) fps="$2"; shift 2 ;;
    --building) building=1; shift ;;
    --runs) runs="$2"; shift 2 ;;
    *) rest+=("$1"); shift ;;
  esac
done
"$root/tools/build.sh"
out="$root/build/bench-runs"
mkdir -p "$out"
if [ "$building" = 1 ]; then
  rm -rf "$root/build/building"
  python3 "$root/bench/building/make_building.py" "$root/data" "$root/build/building"
fi

# One replay: name, data folder, then game arguments. Keeps the report.
replay() {
  local name="$1" folder="$2"
  shift 2
  local game=("$root/build/app/murkhaven" --timedemo demos/walk.mdemo --report "$out/$name" "$@" ${rest[@]+"${rest[@]}"})
  if [ -z "${DISPLAY:-}" ]; then
    game=(xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" "${game[@]}")
  fi
  (cd "$folder" && "${game[@]}") | grep -v '^reading ' | tee "$out/$name.txt"
}

# The median over the runs of one figure of a configuration's reports.
figure() {
  local name="$1" label="$2"
  for run in $(seq 1 "$runs"); do
    grep "^$label  " "$out/$name-$run.txt" | awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^[0-9.]+$/) { print $i; break } }'
  done | sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The building's first start fills its cache; start-up is measured warm.
[ "$building" = 1 ] && replay "building-warm" "$root/build/building" --frames 2 >/dev/null
configs=("level")
[ -n "$scale" ] && configs+=("scale")
[ -n "$fps" ] && configs+=("target")
[ "$building" = 1 ] && configs+=("building")
for run in $(seq 1 "$runs"); do
  for config in "${configs[@]}"; do
    echo "== $config, run $run of $runs (load: $(cut -d' ' -f1-3 /proc/loadavg))"
    case "$config" in
      level) replay "level-$run" "$root/data" --floor ;;
      target) replay "target-$run" "$root/data" --target-fps "$fps" ;;
      scale) replay "scale-$run" "$root/data" --render-scale "$scale" ;;
      building) replay "building-$run" "$root/build/building" ;;
    esac
  done
done
# The last level run as timedemo.csv and .svg, in the build folder: nothing goes to a shared folder.
cp "$out/level-$runs.csv" "$out/timedemo.csv"
cp "$out/level-$runs.svg" "$out/timedemo.svg"

echo "== medians of $runs run(s)"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
level_ms=$(figure level "frame median")
echo "frame median            $level_ms ms (floor $(figure level "floor median") ms)"
if [ -n "$fps" ]; then
  budget=$(awk -v n="$fps" 'BEGIN { print 1000 / n }')
  for run in $(seq 1 "$runs"); do
    awk -F, -v budget="$budget" 'NR > 1 { n++; if ($2 < budget) under++ } END { printf "run %d: %.1f %% of %d frames under %.1f ms\n", run, 100 * under / n, n, budget }' \
      run="$run" "$out/target-$run.csv"
  done
  echo "render scale mean       $(figure target "render scale mean")"
fi
if [ -n "$scale" ]; then
  scale_ms=$(figure scale "frame median")
  echo "frame median at $scale     $scale_ms ms: $(ratio "$scale_ms" "$level_ms") x the full size"
fi
if [ "$building" = 1 ]; then
  for label in "frame median" "process cpu per frame" "start-up" "peak memory"; do
    a=$(figure building "$label")
    b=$(figure level "$label")
    echo "building $label: $a against $b, $(ratio "$a" "$b") x"
  done
fi
