#!/usr/bin/env bash
# The help's pictures are smaller copies of screenshots of the same name:
# remade from them, at most 760 pixels wide and in 128 colours, so that the
# help stays small and shows the program as it is.
#   scripts/help-pictures.sh [SCREENSHOT-DIR]
# SCREENSHOT-DIR defaults to docs/screenshots. Needs ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shots=${1:-$root/docs/screenshots}
for picture in "$root"/src/res/help/bilder/*.png; do
  shot=$shots/$(basename "$picture")
  [[ -f $shot ]] || { echo "help-pictures: kein Bildschirmfoto $shot" >&2; exit 1; }
  convert "$shot" -resize '760x>' -dither None -colors 128 -strip "PNG8:$picture"
done
echo "Hilfebilder aus $shots erneuert"
