#!/usr/bin/env bash
# Makes the game's twelve sounds from nothing but Debian's programs:
# espeak-ng speaks the lines, sox shapes everything, lame encodes the MP3s.
#   apt-get install espeak-ng sox libsox-fmt-all lame
# Run from anywhere; writes data/Assets/Music/ and data/Assets/Sounds/.
# sox -R keeps the noise the same on every run, so a remake changes nothing.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
music="$root/data/Assets/Music"
sounds="$root/data/Assets/Sounds"
mkdir -p "$music" "$sounds"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

SOX=(sox -R -V1 --no-show-progress)

# Normalising in the same chain as a reverb misses the true peak, so the last
# step of every file is a call of its own.
finish() { # in out peak-dB
    "${SOX[@]}" "$1" "$2" gain -n "$3"
}

# Trims leading and trailing silence of a one-shot, so it speaks when played.
trim_silence() { # in out
    "${SOX[@]}" "$1" "$2" silence 1 0.01 -55d reverse silence 1 0.01 -55d reverse
}

# Voices and positional sounds: mono 22050 Hz, 16-bit. Music: stereo 22050 Hz.
VOICE_FMT=(-r 22050 -c 1 -b 16)

# --- Looping MP3 via lame: sox's own MP3 output pads the start by about
# 1,100 samples, which leaves a gap at the loop point. lame writes a header
# with its delay and padding that libsndfile's decoder honours, but only when
# a frame is big enough to hold it: at 22050 Hz that takes 56 kbps or more.
encode_mp3() { # wav mp3 kbps kHz
    lame --quiet --noreplaygain -b "$3" --resample "$4" "$1" "$2"
}

# --- Seamless loop: the first $3 seconds of the loop are a crossfade of the
# material's start with what follows its end, so the last sample runs
# straight into the first. Input must be at least length + fade long.
make_loop() { # in out length fade
    local in="$1" out="$2" len="$3" x="$4"
    "${SOX[@]}" "$in" head.wav trim 0 "$x" fade q "$x"
    "${SOX[@]}" "$in" tail.wav trim "$len" "$x" fade q 0 "$x" "$x"
    "${SOX[@]}" -m -v 1 head.wav -v 1 tail.wav start.wav
    "${SOX[@]}" "$in" body.wav trim "$x" "=$len"
    "${SOX[@]}" start.wav body.wav "$out"
}

# ---------------------------------------------------------------- music
# Dark ambience: a detuned low drone, a slow minor pad that rises a semitone
# and falls back, wind, and far-off metallic pings, in a large reverb.
make_music() {
    local len=60 x=4 total=64
    local M=(-r 22050 -c 2)
    "${SOX[@]}" -n "${M[@]}" drone.wav synth $total sine 41.2 sine 41.45 \
        synth $total sine mix 61.7 sine mix 61.9 tremolo 0.045 35 gain -6
    # Pad: A minor, then B-flat minor over the second half, each fading in and out.
    "${SOX[@]}" -n "${M[@]}" padA.wav synth 36 sawtooth 110 sawtooth 110.3 \
        synth 36 sawtooth mix 130.8 sawtooth mix 131.1 synth 36 sawtooth mix 164.8 sawtooth mix 164.4 \
        lowpass 420 lowpass 700 tremolo 0.12 30 fade q 8 36 10 gain -14
    "${SOX[@]}" -n "${M[@]}" padB.wav synth 34 sawtooth 116.5 sawtooth 116.8 \
        synth 34 sawtooth mix 138.6 sawtooth mix 138.9 synth 34 sawtooth mix 174.6 sawtooth mix 174.2 \
        lowpass 380 lowpass 650 tremolo 0.09 30 fade q 10 34 10 gain -14 pad 30
    "${SOX[@]}" -n "${M[@]}" wind.wav synth $total brownnoise brownnoise \
        lowpass 500 highpass 70 tremolo 0.07 70 gain -4
    "${SOX[@]}" -n "${M[@]}" hiss.wav synth $total pinknoise pinknoise \
        bandpass 2400 3q tremolo 0.13 90 gain -30
    local t note pings=()
    for t in 7:E5 19:B4 28:F5 41:E5 52:C5; do
        note="${t#*:}"
        "${SOX[@]}" -n "${M[@]}" "ping$t.wav" synth 5 pluck "$note" pluck "$note" \
            fade q 0.01 5 4.5 gain -13 echo 0.8 0.7 350 0.45 700 0.25 pad "${t%%:*}" 0
        "${SOX[@]}" "ping$t.wav" "pingx$t.wav" pad 0 $total trim 0 $total
        pings+=(-v 1 "pingx$t.wav")
    done
    "${SOX[@]}" -m -v 1 drone.wav -v 1 padA.wav -v 1 padB.wav -v 1 wind.wav -v 1 hiss.wav \
        "${pings[@]}" mix.wav trim 0 $total
    "${SOX[@]}" mix.wav wet.wav gain -8 reverb 85 40 100 100 20 0 trim 0 $total
    make_loop wet.wav loop.wav $len $x
    # The reverb leans left; even the two sides out.
    local left right
    left="$(sox loop.wav -n remix 1 stats 2>&1 | awk '/^RMS lev dB/ {print $4}')"
    right="$(sox loop.wav -n remix 2 stats 2>&1 | awk '/^RMS lev dB/ {print $4}')"
    "${SOX[@]}" loop.wav even.wav remix "1v$(awk -v l="$left" -v r="$right" 'BEGIN {print 10^((r-l)/40)}')" \
        "2v$(awk -v l="$left" -v r="$right" 'BEGIN {print 10^((l-r)/40)}')"
    # Kept well under the voices: the game plays it at 0.3 beneath full-volume speech.
    finish even.wav music.wav -10
    encode_mp3 music.wav "$music/Dream Ambience.mp3" 56 22.05
}

# ---------------------------------------------------------------- footsteps
# Eight steps on concrete, 0.55 s apart: a dull heel thud, a gritty scuff,
# a small room. Each step decays inside its slot, so the loop has no seam.
make_footsteps() {
    local i gains=(0 -1.5 -0.5 -2 0 -1 -2.5 -0.5) tones=(1500 1800 1300 1700 1600 1400 1900 1550)
    local parts=()
    for i in 0 1 2 3 4 5 6 7; do
        "${SOX[@]}" -n "${VOICE_FMT[@]}" heel.wav synth 0.09 sine 95/45 fade q 0.002 0.09 0.08 gain -3
        "${SOX[@]}" -n "${VOICE_FMT[@]}" grit.wav synth 0.07 whitenoise fade q 0.001 0.07 0.065 \
            bandpass "${tones[$i]}" 1.2q gain -6
        "${SOX[@]}" -n "${VOICE_FMT[@]}" toe.wav synth 0.05 pinknoise fade q 0.001 0.05 0.045 \
            bandpass 900 1q gain -12 pad 0.075
        "${SOX[@]}" -m -v 1 heel.wav -v 1 grit.wav -v 1 toe.wav step.wav
        "${SOX[@]}" step.wav "step$i.wav" gain "${gains[$i]}" reverb 18 50 20 100 0 \
            pad 0 1 trim 0 0.55
        parts+=("step$i.wav")
    done
    "${SOX[@]}" "${parts[@]}" steps.wav
    # Mastered hot and dense: the game plays the loop at a tenth of full volume.
    "${SOX[@]}" steps.wav steps-loud.wav gain -8 compand 0.001,0.06 -60,-60,-30,-10,0,-4 0 -90
    finish steps-loud.wav steps-final.wav -0.5
    "${SOX[@]}" steps-final.wav -C 3 "$sounds/footsteps_concrete_01.ogg"
}

# ---------------------------------------------------------------- television
# Static: hiss with mains hum and a flutter. Hum and flutter fit the 5 s
# loop in whole cycles (50 Hz = 441 samples, 7 Hz = 3150), so it loops clean.
make_static() {
    "${SOX[@]}" -n "${VOICE_FMT[@]}" hiss.wav synth 5 whitenoise highpass 300 lowpass 7000 gain -3
    "${SOX[@]}" -n "${VOICE_FMT[@]}" crackle.wav synth 5 pinknoise bandpass 4000 2q gain -8
    "${SOX[@]}" -n "${VOICE_FMT[@]}" hum.wav synth 5 square 50 lowpass 600 gain -26
    "${SOX[@]}" -m -v 1 hiss.wav -v 1 crackle.wav -v 1 hum.wav tv.wav tremolo 7 18
    # Limited hard, so the set is loud enough to find: the game lets it fade
    # from a tenth of a metre on.
    "${SOX[@]}" tv.wav tv-dense.wav gain -n 0 gain -l 7
    finish tv-dense.wav tv-norm.wav -3
    encode_mp3 tv-norm.wav "$sounds/static tv.mp3" 56 22.05
}

# ---------------------------------------------------------------- voices
# Tavi's lines: a slow, breathy voice, lowered a little, with a far echo
# and a cold reverb, so the level sounds big and empty.
say() { # file text [pitch-cents] [speed]
    local file="$1" text="$2" cents="${3:--120}" speed="${4:-125}"
    espeak-ng -m -v en-us+f4 -s "$speed" -p 38 -a 120 -w said.wav "$text"
    "${SOX[@]}" said.wav "${VOICE_FMT[@]}" voice.wav gain -8 pitch "$cents" tremolo 5.5 12 \
        pad 0.05 1.2 echo 0.8 0.6 260 0.25 reverb 55 60 80 100 15 0 highpass 90 \
        compand 0.01,0.25 -70,-70,-40,-28,-20,-13,0,-7 0 -90
    trim_silence voice.wav trimmed.wav
    finish trimmed.wav "$sounds/$file" -1
}

make_voices() {
    say "tavi_hello somebody up there.wav" "Hello? <break time='450ms'/> Somebody up there?"
    say "tavi_somebody help.wav" "Somebody <break time='300ms'/> help!" -100 120
    # The second take of the same line, shakier and higher.
    say "tavi_two what was that.wav" "What <break time='250ms'/> was that?" -40 135
    say "tavi_what was that.wav" "What was that?" -120 120
    say "tavi_where am i.wav" "Where am I?" -120 115
    say "tavi_where where am i.wav" "Where <break time='400ms'/> where am I?" -140 115
}

# ---------------------------------------------------------------- the enemy
make_enemy() {
    # A slow wet breath in and out, low and close.
    "${SOX[@]}" -n "${VOICE_FMT[@]}" in.wav synth 1.3 pinknoise fade q 0.7 1.3 0.4 \
        bandpass 1100 1.5q gain -4
    "${SOX[@]}" -n "${VOICE_FMT[@]}" rasp.wav synth 1.6 sawtooth 46 lowpass 260 tremolo 19 60 \
        fade q 0.2 1.6 1.1 gain -14
    "${SOX[@]}" -n "${VOICE_FMT[@]}" air.wav synth 1.6 brownnoise fade q 0.15 1.6 1.2 \
        lowpass 900 highpass 120 gain -2
    "${SOX[@]}" -m -v 1 rasp.wav -v 1 air.wav out.wav
    "${SOX[@]}" in.wav out.wav breath.wav pad 0 0.6 reverb 30 50 40 100 0 0 gain -3 pitch -200 pad 0.35 0
    finish breath.wav "$sounds/enemy_breath.wav" -2

    # A voice that is not a person's: far down, torn, swelling out of its own reverb.
    espeak-ng -m -v en+Demonic -s 95 -p 10 -w said.wav "I <break time='300ms'/> see <break time='300ms'/> you."
    "${SOX[@]}" said.wav "${VOICE_FMT[@]}" dist.wav gain -10 pitch -650 pad 0.8 1.5 \
        reverse reverb 70 50 100 100 0 0 reverse overdrive 18 20 flanger 3 4 0 60 0.4 \
        lowpass 3500 compand 0.01,0.2 -70,-70,-30,-16,0,-6 0 -90
    trim_silence dist.wav dist-trimmed.wav
    finish dist-trimmed.wav "$sounds/enemy_distorted.wav" -1

    # A roar: a falling, fluttering growl over rough breath, overdriven.
    "${SOX[@]}" -n "${VOICE_FMT[@]}" roar.wav synth 2.0 sawtooth 150/55 synth 2.0 brownnoise mix \
        tremolo 27 55 gain -12 overdrive 25 30 lowpass 1800 highpass 50 \
        fade q 0.08 2.0 1.1 reverb 45 50 60 100 10 0 pad 0 0.6 \
        compand 0.005,0.2 -70,-70,-30,-14,0,-5 0 -90
    trim_silence roar.wav roar-trimmed.wav
    finish roar-trimmed.wav "$sounds/enemy_rawr.wav" -0.5
}

make_music
make_footsteps
make_static
make_voices
make_enemy

# sox reports some failures with status 0, so check what came out.
printf '%-48s %-12s %9s %9s\n' file length "peak dB" "RMS dB"
for f in "$music"/*.mp3 "$sounds"/*; do
    levels="$(sox "$f" -n stats 2>&1 | awk '/^Pk lev dB/ {p=$4} /^RMS lev dB/ {r=$4} END {print p, r}')"
    read -r pk rms <<<"$levels"
    printf '%-48s %-12s %9s %9s\n' "${f#"$root"/data/}" "$(soxi -d "$f")" "$pk" "$rms"
    awk -v p="$pk" 'BEGIN { exit !(p > -12 && p <= 0) }' || { echo "bad level: $f" >&2; exit 1; }
done
