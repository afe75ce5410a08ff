#!/bin/bash
# Takes the README's screenshots again with the game's own F12:
#     docs/gallery/shoot.sh [build folder] [name...]   (default: build, every shot)
# Needs Xvfb, xdotool and ImageMagick's convert. Each shot runs the game
# from a copy of data/ whose CONFIG.txt puts the start pose (lines 12-16)
# where the picture is, so data/ itself is never touched.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
GAME=$(cd "${1:-$ROOT/build}" && pwd)/app/murkhaven
shift $(($# > 0 ? 1 : 0))
ONLY=" $* "
OUT=$ROOT/docs/gallery
WORK=$(mktemp -d)
DISPLAY_NUMBER=${GALLERY_DISPLAY:-147}
Xvfb :$DISPLAY_NUMBER -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $XVFB; rm -rf "$WORK"' EXIT
export DISPLAY=:$DISPLAY_NUMBER ALSOFT_DRIVERS=null
sleep 1

hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }

# shot NAME PLAY(0: title screen) LIGHT X Y Z YAW PITCH
shot() {
    local name=$1 play=$2 light=$3 dir=$WORK/$1
    if [ "$ONLY" != "  " ] && [[ "$ONLY" != *" $name "* ]]; then return; fi
    cp -r "$ROOT/data" "$dir"
    awk -v x="$4" -v y="$5" -v z="$6" -v h="$7" -v v="$8" '
        NR==12 {$0 = "start x = " x} NR==13 {$0 = "start y = " y} NR==14 {$0 = "start z = " z}
        NR==15 {$0 = "horizontal angle = " h} NR==16 {$0 = "vertical angle = " v} {print}' \
        "$ROOT/data/CONFIG.txt" > "$dir/CONFIG.txt"
    (cd "$dir" && exec "$GAME" >"$dir/game.log" 2>&1) &
    local pid=$! window=
    for _ in $(seq 90); do
        sleep 1
        window=$(xdotool search --name '^Murkhaven' 2>/dev/null | head -1) && [ -n "$window" ] && break
    done
    sleep 3
    xdotool windowfocus --sync "$window"
    if [ "$play" = 1 ]; then hold space 0.6; sleep 0.5; fi
    if [ "$light" = 1 ]; then xdotool mousedown 1; fi
    sleep 1
    # Frames take a few hundred milliseconds on llvmpipe: hold and wait long
    # enough for the release to be seen.
    hold F12 1.5
    sleep 4
    if [ "$light" = 1 ]; then xdotool mouseup 1; fi
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    convert "$dir/screenshot-1.png" -strip -quality 88 "$OUT/$name.jpg"
    echo "$OUT/$name.jpg"
}

shot title 0 0 2.92 0.8 0.262 -2.57 -0.5
shot start-room 1 1 2.92 1.2 0.262 -2.57 -0.22
shot lamp-hall 1 1 -2.3 1.2 -5.0 -2.55 0.22
shot exit 1 1 -3.5 1.2 3.75 0.0 0.15
# the way out with the torch off: the lamps at the doors lead on
shot dark-kitchen 1 0 3.1 1.2 -5.5 3.4 0.1
shot dark-lamp-hall 1 0 -6.5 1.2 -6.3 0.45 0.15
