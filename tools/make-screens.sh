#!/usr/bin/env bash
# Writes the full-screen images (Start, Help, End, Won) and the HUD frame
# (hud.png) into data/Assets/Textures with ImageMagick. All 1280x720, 24-bit.
#
#   tools/make-screens.sh [output folder]
#
# Needs: imagemagick, fonts-urw-base35 (C059; falls back to fonts-dejavu-core)
# (tools/install-deps.sh installs them).
#
# hud.png is black wherever the scene must show through; the HUD shader
# discards those fragments. Meter troughs are dark grey, frames and labels
# bone white. The shader fills each bar from its left edge:
#   LIGHT (energy): pixels x 80..335, y 628..639 (top-left origin)
#                   u 0.0625 .. 0.2625, v 0.111111 .. 0.127778 (bottom-left origin)
#   FEAR  (fear):   pixels x 80..335, y 660..671
#                   u 0.0625 .. 0.2625, v 0.066667 .. 0.083333
set -euo pipefail

cd "$(dirname "$0")/.."
out=${1:-data/Assets/Textures}
mkdir -p "$out"
W=1280
H=720

urw=/usr/share/fonts/opentype/urw-base35
dejavu=/usr/share/fonts/truetype/dejavu
if [ -f "$urw/C059-Roman.otf" ]; then
  roman=$urw/C059-Roman.otf; bold=$urw/C059-Bold.otf; italic=$urw/C059-Italic.otf
else
  roman=$dejavu/DejaVuSerif.ttf; bold=$dejavu/DejaVuSerif-Bold.ttf; italic=$dejavu/DejaVuSerif.ttf
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Dark mottled ground with film grain and a heavy vignette. $1 file, $2 light
# colour of the mottling, $3 seed.
background() {
  convert -size 320x180 -seed "$3" plasma:gray60-gray5 -colorspace Gray -blur 0x4 \
    -resize ${W}x${H}! +level-colors '#020202',"$2" \
    \( -size ${W}x${H} xc:gray50 -seed "$3" -attenuate 0.6 +noise Gaussian -colorspace Gray \) \
    -compose Overlay -composite \
    \( -size 375x375 radial-gradient:'#ffffff'-'#000000' -gravity center -crop 320x180+0+0 +repage \
       -level 0%,70% -resize ${W}x${H}! \) -compose Multiply -composite \
    -type TrueColor "$1"
}

# Text with a faint glow behind it: $1 image, $2 font, $3 size, $4 colour,
# $5 glow colour, $6 geometry offset (gravity north), $7 text.
title() {
  convert "$1" \
    \( -size ${W}x${H} xc:none -font "$2" -pointsize "$3" -fill "$5" -gravity north \
       -annotate "$6" "$7" -blur 0x10 \) -compose Over -composite \
    -font "$2" -pointsize "$3" -fill "$4" -gravity north -annotate "$6" "$7" "$1"
}

text() { # $1 image, $2 font, $3 size, $4 colour, $5 gravity, $6 offset, $7 text
  convert "$1" -font "$2" -pointsize "$3" -fill "$4" -gravity "$5" -annotate "$6" "$7" "$1"
}

jpeg() {
  convert "$1" -type TrueColor -sampling-factor 4:2:0 -quality 88 -strip "$2"
}

# --- Start --------------------------------------------------------------
f=$tmp/start.png
background "$f" '#6e5644' 7
title "$f" "$bold" 150 '#d8cfbd' '#6b1212' +0+170 'Murkhaven'
text "$f" "$italic" 34 '#9d9482' north +0+370 'The light will not last. Neither will you.'
text "$f" "$roman" 38 '#e4dccb' north +0+500 'Press  SPACE  to wake'
text "$f" "$roman" 26 '#8c8474' north +0+560 'F1  help          Esc  quit'
jpeg "$f" "$out/Start.jpg"

# --- Help ---------------------------------------------------------------
f=$tmp/help.png
background "$f" '#4a463c' 11
title "$f" "$bold" 64 '#d8cfbd' '#5a1010' +0+28 'How to survive'
text "$f" "$italic" 21 '#a39a88' north +0+100 \
  'Light drains your flashlight, and it recharges while it is off. Darkness feeds your fear.'
text "$f" "$italic" 21 '#a39a88' north +0+126 'Glowing remnants refill the light: walk into one, then press E.'
text "$f" "$italic" 21 '#a39a88' north +0+152 \
  'Find the stage of the old hall: its gallery leads up to it. If fear fills up, you are lost.'
keys='W A S D
Mouse
Left mouse button
Left Ctrl
E
Space
P  /  O
F6  /  F7
-  /  =
F10
F12
F1
F2  /  F3
F4  /  F5
F8  /  F9
Esc'
what='walk
look around
flashlight on while held
crouch
use a remnant: refill the light
start, play again
pause  /  options
darker  /  brighter
mouse slower  /  faster
save the settings now
screenshot
help on / off
frame rate in the title  /  wireframe
texture sampling  /  mipmaps
view culling  /  transparency
quit'
pad='Left stick
Right stick
Right trigger
Left trigger
A
Start
Back'
padwhat='walk
look around
flashlight
widen the beam
crouch
pause
quit'
convert "$f" -gravity northwest -font "$roman" -pointsize 21 \
  -fill '#8a826f' -annotate +120+186 'KEYBOARD AND MOUSE' -annotate +800+186 'GAME PAD' \
  -pointsize 19 -interline-spacing 4 \
  -fill '#e4dccb' -annotate +120+222 "$keys" -annotate +800+222 "$pad" \
  -fill '#b2a994' -annotate +300+222 "$what" -annotate +960+222 "$padwhat" \
  -fill '#e4dccb' -pointsize 26 -gravity south -annotate +0+24 'SPACE  start          F1  back' \
  "$f"
jpeg "$f" "$out/Help.jpg"

# --- End (lost) -----------------------------------------------------------
f=$tmp/end.png
background "$f" '#7a261e' 13
title "$f" "$bold" 110 '#d6c6b4' '#8a0c0c' +0+200 'The dark took you'
text "$f" "$italic" 34 '#a08a7c' north +0+360 'Fear filled you before the light came back.'
text "$f" "$roman" 36 '#e4dccb' north +0+500 'SPACE  to play again,   Esc  to quit'
text "$f" "$roman" 26 '#8c8474' north +0+560 'F1  help'
jpeg "$f" "$out/End.jpg"

# --- Won ------------------------------------------------------------------
f=$tmp/won.png
background "$f" '#46606a' 17
title "$f" "$bold" 110 '#e2e4dc' '#3a6a78' +0+200 'You got out'
text "$f" "$italic" 34 '#9fb0b2' north +0+360 'Behind you, the door of Murkhaven falls shut.'
text "$f" "$roman" 36 '#e2e4dc' north +0+500 'SPACE  to play again,   Esc  to quit'
text "$f" "$roman" 26 '#8c9494' north +0+560 'F1  help'
jpeg "$f" "$out/Won.jpg"

# --- HUD ------------------------------------------------------------------
# Frames 2 px wide around each trough, 2 px clear of it; labels to the left.
convert -size ${W}x${H} xc:'#000000' \
  -fill '#18140f' -draw 'rectangle 80,628 335,639' -draw 'rectangle 80,660 335,671' \
  -fill none -stroke '#bdb39c' -strokewidth 2 \
  -draw 'rectangle 77,625 338,642' -draw 'rectangle 77,657 338,674' \
  -stroke none -fill '#cfc5ae' -font "$roman" -pointsize 17 \
  -annotate +16+640 'LIGHT' -annotate +16+672 'FEAR' \
  -type TrueColor PNG24:"$out/hud.png"

for f in Start.jpg Help.jpg End.jpg Won.jpg hud.png; do
  identify -format '%f %wx%h %[channels] %[bit-depth]-bit\n' "$out/$f"
done
