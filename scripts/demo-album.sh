#!/usr/bin/env bash
# Makes a demo album in FOLDER: six pictures (landscape and portrait) drawn
# with ImageMagick, persons marked on them, themes and headlines.
#   scripts/demo-album.sh FOLDER [BUILD-DIR]
# Prints the album's path. Needs ImageMagick (convert) and a built kolvaro-cli.
set -euo pipefail
folder=${1:?Aufruf: demo-album.sh VERZEICHNIS [BUILD-VERZEICHNIS]}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${2:-$root/build}/src/cli/kolvaro-cli
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
album=$folder/Sommer.kvo
rm -f "$album"
export XDG_CONFIG_HOME=$folder/.config   # never the user's settings

# landscape W H SKY1 SKY2 GROUND1 GROUND2 SEED FILE: sky, sun, fractal hills.
landscape() {
  convert -size "$1x$2" "gradient:$3-$4" \
    \( -size "$1x$(($2 * 2 / 5))" -seed "$7" "plasma:$5-$6" -blur 0x8 -modulate 100,35 -fill "$5" -colorize 35% \) -gravity south -composite \
    -fill '#fff3b0' -draw "circle $(($1 * 3 / 4)),$(($2 / 5)) $(($1 * 3 / 4 + $2 / 14)),$(($2 / 5))" \
    -quality 88 "$8"
}
# figure X Y SCALE COLOUR: head and body of a person, drawn onto the file.
figure() {
  local f=$1 x=$2 y=$3 s=$4 c=$5
  mogrify -fill "$c" -draw "roundrectangle $((x - 22 * s / 10)),$((y + 28 * s / 10)) $((x + 22 * s / 10)),$((y + 110 * s / 10)) 8,8" \
    -fill '#e8b894' -draw "circle $x,$((y + 12 * s / 10)) $((x + 14 * s / 10)),$((y + 12 * s / 10))" "$f"
}

landscape 1600 1067 '#7db9e8' '#dbeeff' '#3f7f3a' '#9bbf5a' 11 "$folder/strand.jpg"
figure "$folder/strand.jpg" 520 560 40 '#c0392b'
figure "$folder/strand.jpg" 820 600 36 '#2c6fbb'
landscape 1600 1067 '#f6a25c' '#fde3b0' '#5a4632' '#a08050' 23 "$folder/abend.jpg"
landscape 1067 1600 '#5d9cec' '#cfe6ff' '#2e6b3a' '#74a558' 37 "$folder/turm.jpg"
figure "$folder/turm.jpg" 530 900 44 '#8e44ad'
landscape 1600 1067 '#a6c8e0' '#eef5fa' '#dfe8ee' '#ffffff' 41 "$folder/schnee.jpg"
figure "$folder/schnee.jpg" 700 520 38 '#16a085'
landscape 1067 1600 '#264b73' '#6d8fb3' '#1d3b2a' '#35603f' 53 "$folder/wald.jpg"
landscape 1600 1067 '#89c4f4' '#e4f1fb' '#c2a36b' '#e8d6a8' 67 "$folder/duene.jpg"

"$cli" new "$album" >/dev/null
"$cli" add "$album" "$folder"/{strand,abend,turm,schnee,wald,duene}.jpg >/dev/null
"$cli" date "$album" 1 "2026-07-12 14:31:05" >/dev/null
"$cli" date "$album" 2 "2026-07-12 20:48:40" >/dev/null
"$cli" date "$album" 3 "2026-07-14 10:02:11" >/dev/null
"$cli" date "$album" 4 "2026-01-03 11:15:00" >/dev/null
"$cli" date "$album" 5 "2026-10-18 16:40:27" >/dev/null
"$cli" date "$album" 6 "2026-08-02 12:05:59" >/dev/null
"$cli" title "$album" 1 "Anna und Jörg am Strand" >/dev/null
"$cli" title "$album" 2 "Abendstimmung über den Feldern" >/dev/null
"$cli" title "$album" 3 "Lena vor dem Aussichtsturm" >/dev/null
"$cli" title "$album" 4 "Winterspaziergang mit Großvater" >/dev/null
anna=$("$cli" person add "$album" "Anna Müller")
joerg=$("$cli" person add "$album" "Jörg Weiß")
lena=$("$cli" person add "$album" "Lena Schäfer")
opa=$("$cli" person add "$album" "Großvater Karl")
"$cli" mark "$album" "$anna" 1 420 540 620 1000 >/dev/null
"$cli" mark "$album" "$joerg" 1 730 590 910 1000 >/dev/null
"$cli" mark "$album" "$lena" 3 410 880 650 1390 >/dev/null
"$cli" mark "$album" "$opa" 4 610 500 790 940 >/dev/null
urlaub=$("$cli" theme add "$album" "Urlaub an der Ostsee")
familie=$("$cli" theme add "$album" "Familie")
natur=$("$cli" theme add "$album" "Natur")
"$cli" theme add "$album" "Winter" >/dev/null
for p in 1 2 6; do "$cli" theme assign "$album" "$urlaub" "$p" >/dev/null; done
for p in 1 3 4; do "$cli" theme assign "$album" "$familie" "$p" >/dev/null; done
for p in 2 5 6; do "$cli" theme assign "$album" "$natur" "$p" >/dev/null; done
echo "$album"
