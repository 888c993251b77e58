#!/usr/bin/env bash
# Screenshots of the running program on a virtual screen: the main window
# with the demo album, the persons dialog after marking a rectangle, the
# delete dialog, the special selection, a picture whose file is missing, the
# title tip over two persons, the whole screen of 960 x 540 logical pixels
# (1920 x 1080 at scale 2) with the window on it, the persons' management
# dialog and the theme dialog during a drag, "Einstellungen", the page setup
# with a preset chosen, the print preview, the picture window "Bild"
# beside the main window, "Dateiablage", "Kolvaro Infos", the thumbnail
# strip over a dozen pictures, one of them missing, the overview of them
# with four marked and the search narrowing it, and the help window at
# its contents and at the page of "Einstellungen", and the enlarged picture
# of one without capture date.
#   scripts/screenshots.sh [OUT-DIR] [BUILD-DIR]
# OUT-DIR defaults to docs/screenshots. Needs xvfb-run, xdotool, ImageMagick
# and, for the small screen, openbox.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$root/docs/screenshots}
build=${2:-$root/build}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d -t kolvaro-shots.XXXXXX)
trap 'rm -rf "$work"' EXIT

album=$("$root/scripts/demo-album.sh" "$work/album" "$build" | tail -n 1)
# An album whose only picture has gone from the disk.
missing=$(dirname "$album")/Verschoben.kvo
cp "$(dirname "$album")/strand.jpg" "$(dirname "$album")/verschoben.jpg"
XDG_CONFIG_HOME=$(dirname "$album")/.config "$build/src/cli/kolvaro-cli" new "$missing" >/dev/null
XDG_CONFIG_HOME=$(dirname "$album")/.config "$build/src/cli/kolvaro-cli" add "$missing" "$(dirname "$album")/verschoben.jpg" >/dev/null 2>&1
rm "$(dirname "$album")/verschoben.jpg"

# Runs one scene's script on a virtual screen of its own, with the program
# and the arguments given. The screen keeps running when the scene's last
# window closes: at its reset Xvfb died here.
scene() {  # scene NAME WIDTHxHEIGHT ARGS...
  local script=$work/$1.sh size=$2
  shift 2
  chmod +x "$script"
  xvfb-run -a -s "-noreset -screen 0 ${size}x24" "$script" "$build/src/app/kolvaro" "$@"
}

# The part that runs inside the virtual screen.
cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
exe=$1 album=$2 out=$3 missing=$4
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME=$(dirname "$album")/.config
export LANG=de_DE.UTF-8 LC_ALL=C.UTF-8
"$exe" "$album" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
title="Sommer.kvo - Kolvaro-Album"
win=
for _ in $(seq 100); do
  win=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1) && [[ -n $win ]] && break
  sleep 0.1
done
[[ -n $win ]] || { echo "Hauptfenster erscheint nicht" >&2; exit 1; }
sleep 1
xdotool windowfocus --sync "$win" 2>/dev/null || true
shot() {  # shot TITLE FILE: the newest top-level window with that title
  local id=
  for _ in $(seq 50); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | tail -n 1) && [[ -n $id ]] && break
    sleep 0.1
  done
  [[ -n $id ]] || { echo "Fenster \"$1\" erscheint nicht" >&2; return 1; }
  sleep 0.5
  import -window "$id" "$2"
}
shot "$title" "$out/hauptfenster.png"

# Mark a person: "Person hinzufügen" from the menu, then drag over the picture.
xdotool key alt+b i
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $((X + 300)) $((Y + 330)) mousedown 1
for step in 1 2 3 4 5; do xdotool mousemove $((X + 300 + step * 30)) $((Y + 330 + step * 50)); sleep 0.05; done
xdotool mouseup 1
shot "Personen im Bild" "$out/personen-im-bild.png"
xdotool key Escape
sleep 0.5

# Delete dialog from the menu; answered with "Nein".
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key alt+b b
shot "Bild löschen" "$out/bild-loeschen.png"
xdotool key Escape
sleep 0.3

# The special selection: "<Spezial ...>" from the sort list, then "Los!";
# three pictures chosen, the available ones labelled by file name.
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool mousemove $((X + 690)) $((Y + 75)) click 1
sleep 0.5
xdotool key End Return
sleep 0.3
xdotool mousemove $((X + 808)) $((Y + 75)) click 1
sleep 1
xdotool key Down Tab space shift+Tab Down Down Tab space shift+Tab Down Down Down Tab space
xdotool key Tab Tab Tab Tab Tab Tab Tab Right
shot "Spezialsortierung und -selektion" "$out/spezialselektion.png"
xdotool key Escape
sleep 0.3
kill $pid
wait $pid 2>/dev/null || true

# The album whose picture file is missing.
"$exe" "$missing" &
pid=$!
shot "Verschoben.kvo - Kolvaro-Album" "$out/fehlende-datei.png"
SESSION
scene session 1280x900 "$album" "$out" "$missing"

# A high-DPI screen of 960 x 540 logical pixels: the window fills it, the
# data column scrolls.
cat >"$work/small.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
exe=$1 album=$2 out=$3
export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2
export XDG_CONFIG_HOME=$(dirname "$album")/.config
export LANG=de_DE.UTF-8 LC_ALL=C.UTF-8
openbox >/dev/null 2>&1 &
sleep 1
"$exe" "$album" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
win=
for _ in $(seq 100); do
  win=$(xdotool search --name '^Sommer\.kvo - Kolvaro-Album$' 2>/dev/null | head -n 1) && [[ -n $win ]] && break
  sleep 0.1
done
[[ -n $win ]] || { echo "Hauptfenster erscheint nicht" >&2; exit 1; }
sleep 1
# The whole screen below the title bar.
title=$(xprop -id "$win" _NET_FRAME_EXTENTS | sed -n 's/.*= *[0-9]*, *[0-9]*, *\([0-9]*\),.*/\1/p')
xdotool windowmove --sync "$win" 0 0 2>/dev/null || true
xdotool windowsize --sync "$win" 1920 $((1080 - ${title:-0})) 2>/dev/null || true
sleep 1
import -window root "$out/kleiner-bildschirm.png"
SESSION
if command -v openbox >/dev/null; then
  scene small 1920x1080 "$album" "$out"
else
  echo "openbox fehlt: kein Bild vom kleinen Bildschirm" >&2
fi

# The title tip: two friends standing close, their marked rectangles
# overlapping; the pointer rests where both are, the tip names them.
friends=$work/freunde/Freunde.kvo
mkdir -p "$work/freunde"
convert -size 1600x1067 gradient:'#7db9e8'-'#dbeeff' -fill '#5a8f3a' -draw "rectangle 0,760 1600,1067" \
  -fill '#c0392b' -draw "roundrectangle 560,470 900,1067 40,40" -fill '#e8b894' -draw "circle 730,360 730,260" \
  -fill '#2c6fbb' -draw "roundrectangle 790,520 1110,1067 40,40" -fill '#e8b894' -draw "circle 950,420 950,330" \
  -quality 88 "$work/freunde/freunde.jpg"
(
  export XDG_CONFIG_HOME=$work/freunde/.config
  cli=$build/src/cli/kolvaro-cli
  "$cli" new "$friends" >/dev/null
  "$cli" add "$friends" "$work/freunde/freunde.jpg" >/dev/null 2>&1
  "$cli" title "$friends" 1 "Anna und Jörg am See" >/dev/null
  anna=$("$cli" person add "$friends" "Anna Müller")
  joerg=$("$cli" person add "$friends" "Jörg Weiß")
  "$cli" mark "$friends" "$anna" 1 540 230 920 1067 >/dev/null
  "$cli" mark "$friends" "$joerg" 1 770 300 1130 1067 >/dev/null
)
# What the sessions below share: the program started on the album given, its
# main window found and focused; find_window waits for a window by title.
cat >"$work/started.sh" <<'SESSION'
set -euo pipefail
exe=$1 album=$2 out=$3
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME=$(dirname "$album")/.config
export LANG=de_DE.UTF-8 LC_ALL=C.UTF-8
"$exe" "$album" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
find_window() {  # the newest top-level window titled $1
  local id=
  for _ in $(seq 50); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | tail -n 1) && [[ -n $id ]] && break
    sleep 0.1
  done
  [[ -n $id ]] || { echo "Fenster \"$1\" erscheint nicht" >&2; return 1; }
  echo "$id"
}
name=${album##*/}
win=$(find_window "${name//./\\.} - Kolvaro-Album")
sleep 1
xdotool windowfocus --sync "$win" 2>/dev/null || true
SESSION
cat >"$work/titletip.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
eval "$(xdotool getwindowgeometry --shell "$win")"
# Over the two faces' shared area (the picture fills the view's left part).
xdotool mousemove $((X + 420)) $((Y + 400))
sleep 0.3
xdotool mousemove $((X + 421)) $((Y + 401))
sleep 0.7
# The tip is a window of its own: take the screen where the main window is.
import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$out/titeltipp.png"
SESSION
scene titletip 1280x900 "$friends" "$out"
# Managing the names: the persons' list with two entries selected, and the
# theme dialog while an entry is dragged from one list to the other. A copy
# of the demo album with a few more names shows the German order.
manage=$(dirname "$album")/Verwaltung.kvo
cp "$album" "$manage"
(
  export XDG_CONFIG_HOME=$(dirname "$album")/.config
  cli=$build/src/cli/kolvaro-cli
  for name in "Änne Schulz" "Zoë Brandt" "Andreas Ohm"; do "$cli" person add "$manage" "$name" >/dev/null; done
  for name in "Ärzte" "Arzt" "Zoo" "Ausflug"; do "$cli" theme add "$manage" "$name" >/dev/null; done
)
cat >"$work/manage.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
# "Extras" -> "Personen verwalten", the second and third name selected.
xdotool key alt+x && sleep 0.3 && xdotool key p
dlg=$(find_window 'Personen verwalten')
sleep 0.5
xdotool key space Down shift+Down && sleep 0.3
import -window "$dlg" "$out/personen-verwalten.png"
xdotool key Escape && sleep 0.5
xdotool windowfocus --sync "$win" 2>/dev/null || true
# "Bild" -> "Themen zuordnen", then "Ärzte" dragged into the assigned list;
# the picture is taken before the button is let go.
xdotool key alt+b && sleep 0.3 && xdotool key z
dlg=$(find_window 'Thema hinzufügen')
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$dlg")"
xdotool mousemove $((X + 60)) $((Y + 78)) && sleep 0.2
xdotool mousedown 1 && sleep 0.2
for step in $(seq 1 12); do xdotool mousemove $((X + 60 + step * 22)) $((Y + 78 + step * 6)); sleep 0.05; done
sleep 0.5
import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$out/themen-zuordnen.png"
xdotool mouseup 1 && sleep 0.3
xdotool key Escape
SESSION
scene manage 1280x900 "$manage" "$out"
# "Einstellungen" from "Extras" -> "Optionen" -> "Verschiedenes ...".
cat >"$work/settings.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
xdotool key alt+x && sleep 0.3 && xdotool key o && sleep 0.3 && xdotool key v
dlg=$(find_window 'Einstellungen')
sleep 0.5
import -window "$dlg" "$out/einstellungen.png"
xdotool key Escape
SESSION
scene settings 1280x900 "$album" "$out"
# "Seite einrichten ..." with the preset "1/4 Seiten oben links" chosen, then
# "Seitenansicht" of the page it gives.
cat >"$work/pagesetup.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
# The item has no mnemonic: four below the first of "Datei".
xdotool key alt+d && sleep 0.3 && xdotool key Down Down Down Down Return
dlg=$(find_window 'Seite einrichten')
sleep 0.5
# The presets list is the tenth stop; its seventh entry.
for _ in $(seq 9); do xdotool key Tab; done
xdotool key alt+Down && sleep 0.3 && xdotool key Down Down Down Down Down Down Return
sleep 0.5
import -window "$dlg" "$out/seite-einrichten.png"
xdotool key Return && sleep 0.5
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key alt+d && sleep 0.3 && xdotool key a
sleep 2
preview=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | tail -n 1)
import -window "$preview" "$out/seitenansicht.png"
xdotool key Escape
SESSION
scene pagesetup 1280x900 "$album" "$out"
# The picture window "Bild" beside the main window: "Ansicht" -> "Bild-Fenster",
# then one step with its "&>" button.
cat >"$work/picturewnd.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
exe=$1 album=$2 out=$3
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME=$(dirname "$album")/.config
export LANG=de_DE.UTF-8 LC_ALL=C.UTF-8
# A window manager, so that the window shows its title.
if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & sleep 1; fi
"$exe" "$album" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
win=
for _ in $(seq 100); do
  win=$(xdotool search --name '^Sommer\.kvo - Kolvaro-Album$' 2>/dev/null | head -n 1) && [[ -n $win ]] && break
  sleep 0.1
done
[[ -n $win ]] || { echo "Hauptfenster erscheint nicht" >&2; exit 1; }
sleep 1
xdotool windowmove --sync "$win" 0 0 2>/dev/null || true
xdotool windowfocus --sync "$win" 2>/dev/null || true
# The item has no mnemonic: three below the first of "Ansicht".
xdotool key alt+a && sleep 0.3 && xdotool key Down Down Down Return
sleep 1
wnd=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -v "^$win\$" | tail -n 1)
[[ -n $wnd ]] || { echo "Fenster \"Bild\" erscheint nicht" >&2; exit 1; }
# The window opens where the program puts it: beside the main window.
# "&>" sits 94 to 118 dialog units from the left, about 155 pixels.
xdotool mousemove --window "$wnd" 160 8 && sleep 0.3 && xdotool click 1
sleep 1
import -window root "$out/bild-fenster.png"
SESSION
scene picturewnd 1920x900 "$album" "$out"
# "Pfade ändern ..." from "Extras" -> "Tools" ("t" twice, as "Themen verwalten"
# shares the letter; Return takes the submenu's first item), filled in as for
# an album from Windows; not applied.
cat >"$work/replacepaths.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
xdotool key alt+x && sleep 0.3 && xdotool key t && sleep 0.2 && xdotool key t && sleep 0.2
xdotool key Return
dlg=$(find_window 'Pfadangaben ändern')
sleep 0.3
xdotool type --delay 20 'D:\Bilder\'
xdotool key Tab
xdotool type --delay 20 '/media/fotos/'
sleep 0.3
import -window "$dlg" "$out/pfade-aendern.png"
xdotool key Escape
SESSION
scene replacepaths 1280x900 "$album" "$out"
# "Dateiablage ..." from "Extras" -> "Optionen" (its first item: "Dateityp" shares
# the letter), and "Copyright && Update-URL ..."
# from "Extras" -> "Tools" (its last item; Up wraps round).
cat >"$work/albumsettings.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
xdotool key alt+x && sleep 0.3 && xdotool key o && sleep 0.3 && xdotool key Return
dlg=$(find_window 'Dateiablage')
sleep 0.5
import -window "$dlg" "$out/dateiablage.png"
xdotool key Escape && sleep 0.5
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key alt+x && sleep 0.3 && xdotool key Up Up Right && sleep 0.3 && xdotool key Up Return
dlg=$(find_window 'Kolvaro Infos')
sleep 0.5
import -window "$dlg" "$out/kolvaro-infos.png"
xdotool key Escape
SESSION
scene albumsettings 1280x900 "$album" "$out"
# "Kameradaten übertragen" from "Extras": the dialog with the card folder of
# the settings and the theme "Urlaub" chosen, then the import's progress
# while it asks before replacing a picture of the same name from a second
# camera folder (answered "Nein").
camera=$work/kamera/Kamera.kvo
mkdir -p "$work/kamera/.config/Kolvaro" "$work/karte/DCIM/100CANON" "$work/karte/DCIM/101CANON"
(
  export XDG_CONFIG_HOME=$work/kamera/.config
  cli=$build/src/cli/kolvaro-cli
  for i in 1 2 3 4 5 6; do
    convert -size 2400x1600 -seed "$i" plasma:'#3a7bd5'-'#f4e2a0' -quality 92 "$work/karte/DCIM/100CANON/IMG_000$i.JPG"
  done
  cp "$work/karte/DCIM/100CANON/IMG_0002.JPG" "$work/karte/DCIM/101CANON/IMG_0001.JPG"
  "$cli" new "$camera" >/dev/null
  for name in Urlaub Familie Garten; do "$cli" theme add "$camera" "$name" >/dev/null; done
  printf '[Settings]\nCamera%%20Folder=%s/karte/\n' "$work" >"$XDG_CONFIG_HOME/Kolvaro/Kolvaro.conf"
)
cat >"$work/camera.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
xdotool key alt+x && sleep 0.3 && xdotool key k
dlg=$(find_window 'Kameradaten übernehmen')
sleep 0.5
# To the theme list (Tab may or may not stop at "Bilder verschieben"), "Urlaub".
xdotool key Tab Tab Tab u Tab u && sleep 0.3
import -window "$dlg" "$out/kameradaten.png"
xdotool key Return
# The question stands aside, so that the progress shows whole.
question=$(find_window 'Merisk')
xdotool windowmove --sync "$question" 0 0 2>/dev/null || true
sleep 0.5
progress=$(find_window 'Kameradaten übertragen\.\.\.')
import -window "$progress" "$out/kameradaten-fortschritt.png"
xdotool windowfocus --sync "$question" 2>/dev/null || true
xdotool key alt+n
sleep 1
SESSION
scene camera 1280x900 "$camera" "$out"
# The About box from "&?" ("o" of "Inf&o"), after giving the album a text and
# an update address in "Kolvaro Infos" (not saved).
cat >"$work/about.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
xdotool key alt+x && sleep 0.3 && xdotool key Up Up Right && sleep 0.3 && xdotool key Up Return
find_window 'Kolvaro Infos' >/dev/null
sleep 0.5
xdotool key Tab && xdotool type --delay 10 'Sommerurlaub an der Ostsee 2026. Fotos: Familie Berger, alle Rechte vorbehalten.'
xdotool key Tab ctrl+a && xdotool type --delay 10 'https://www.kolvaro.de/updates/sommer'
xdotool key Return && sleep 0.5
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key alt+question && sleep 0.3 && xdotool key o
dlg=$(find_window 'Info über Kolvaro-Album')
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$dlg")"
# The pointer over the update link shows its hover colour and the address.
xdotool mousemove --window "$dlg" 90 $((HEIGHT - 62)) && sleep 1.5
import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$out/info.png"
xdotool key Return
SESSION
scene about 1280x900 "$album" "$out"
# The thumbnail strip under the picture view: a dozen colourful pictures, the
# third one's file gone, the fifth one shown. Thumbnails go to a cache of the
# session's own.
strip=$(dirname "$album")/Bildleiste.kvo
(
  export XDG_CONFIG_HOME=$(dirname "$album")/.config
  cli=$build/src/cli/kolvaro-cli
  dir=$(dirname "$album")
  for i in 1 2 3 4 5 6; do
    convert -size 1200x800 -seed "$((i * 7))" plasma:"$(printf '#%02x%02x%02x' $((40 * i)) $((200 - 25 * i)) $((90 + 20 * i)))"-'#f4e2a0' \
      -blur 0x6 -modulate 105,170 -quality 85 "$dir/farbe$i.jpg"
  done
  cp "$dir/abend.jpg" "$dir/verloren.jpg"
  "$cli" new "$strip" >/dev/null
  "$cli" add "$strip" "$dir"/{strand,abend,verloren,turm,schnee,farbe1,wald,farbe2,duene,farbe3,farbe4,farbe5,farbe6}.jpg >/dev/null
  rm "$dir/verloren.jpg"
  # The missing one third in the order of dates, in sight.
  "$cli" date "$strip" 1 "2026-12-01 09:00:00" >/dev/null
  "$cli" date "$strip" 2 "2026-12-01 09:30:00" >/dev/null
  "$cli" date "$strip" 3 "2026-12-01 10:00:00" >/dev/null
)
cat >"$work/strip.sh" <<'SESSION'
#!/usr/bin/env bash
export XDG_CACHE_HOME=$(dirname "$2")/.cache
source "${0%/*}/started.sh"
xdotool key ctrl+Right ctrl+Right ctrl+Right ctrl+Right
sleep 3
import -window "$win" "$out/bildleiste.png"
SESSION
scene strip 1280x900 "$strip" "$out"
# The overview of the same album with four pictures marked by Ctrl+click,
# then the search narrowing it as the user types.
cat >"$work/overview.sh" <<'SESSION'
#!/usr/bin/env bash
export XDG_CACHE_HOME=$(dirname "$2")/.cache
source "${0%/*}/started.sh"
xdotool key ctrl+u
sleep 3
eval "$(xdotool getwindowgeometry --shell "$win")"
for cell in 0 1 3 5; do
  xdotool mousemove $((X + 80 + cell * 140)) $((Y + 220)) keydown ctrl click 1 keyup ctrl
  sleep 0.2
done
sleep 1
import -window "$win" "$out/uebersicht.png"
xdotool key ctrl+f && sleep 0.3 && xdotool type --delay 60 'farbe'
sleep 2
import -window "$win" "$out/suche.png"
SESSION
scene overview 1280x900 "$strip" "$out"
# The help window: "Dokumentation ..." from "&?" at the contents, then F1 in
# "Einstellungen" at that dialog's page.
cat >"$work/help.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
xdotool key alt+question && sleep 0.3 && xdotool key Return
help=$(find_window 'Kolvaro-Hilfe')
sleep 1
import -window "$help" "$out/hilfe-inhalt.png"
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key alt+x && sleep 0.3 && xdotool key o && sleep 0.3 && xdotool key v
find_window 'Einstellungen' >/dev/null
sleep 0.5
xdotool key F1
sleep 1
import -window "$help" "$out/hilfe-dialog.png"
SESSION
scene help 1280x900 "$album" "$out"
# XMP exchange: "XMP exportieren ..." from "Extras" as it opens, then
# "XMP importieren ..." ("m": "i" opens "Personen importieren") with the
# summary of hand-written sidecars: a new person and keyword, a region of the
# older Microsoft schema and a region that is no face.
xmpalbum=$(dirname "$album")/Austausch.kvo
cp "$album" "$xmpalbum"
xmpdir=$(dirname "$album")
cat >"$xmpdir/abend.jpg.xmp" <<'XMP'
<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
 <rdf:Description rdf:about="" xmlns:mwg-rs="http://www.metadataworkinggroup.com/schemas/regions/"
   xmlns:stArea="http://ns.adobe.com/xmp/sType/Area#" xmlns:dc="http://purl.org/dc/elements/1.1/">
  <mwg-rs:Regions rdf:parseType="Resource"><mwg-rs:RegionList><rdf:Bag>
   <rdf:li><rdf:Description mwg-rs:Name="Paul Berger" mwg-rs:Type="Face">
    <mwg-rs:Area stArea:x="0.4" stArea:y="0.6" stArea:w="0.1" stArea:h="0.3" stArea:unit="normalized"/></rdf:Description></rdf:li>
   <rdf:li><rdf:Description mwg-rs:Name="Bello" mwg-rs:Type="Pet">
    <mwg-rs:Area stArea:x="0.7" stArea:y="0.8" stArea:w="0.1" stArea:h="0.1" stArea:unit="normalized"/></rdf:Description></rdf:li>
  </rdf:Bag></mwg-rs:RegionList></mwg-rs:Regions>
  <dc:subject><rdf:Bag><rdf:li>Abendrot</rdf:li><rdf:li>Urlaub</rdf:li></rdf:Bag></dc:subject>
 </rdf:Description></rdf:RDF></x:xmpmeta>
XMP
cat >"$xmpdir/wald.xmp" <<'XMP'
<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
 <rdf:Description rdf:about="" xmlns:MP="http://ns.microsoft.com/photo/1.2/"
   xmlns:MPRI="http://ns.microsoft.com/photo/1.2/t/RegionInfo#" xmlns:MPReg="http://ns.microsoft.com/photo/1.2/t/Region#"
   xmlns:dc="http://purl.org/dc/elements/1.1/">
  <MP:RegionInfo rdf:parseType="Resource"><MPRI:Regions><rdf:Bag><rdf:li rdf:parseType="Resource">
   <MPReg:Rectangle>0.35, 0.5, 0.2, 0.15</MPReg:Rectangle><MPReg:PersonDisplayName>lena schäfer</MPReg:PersonDisplayName>
  </rdf:li></rdf:Bag></MPRI:Regions></MP:RegionInfo>
  <dc:title><rdf:Alt><rdf:li xml:lang="x-default">Herbstwald im Nebel</rdf:li></rdf:Alt></dc:title>
 </rdf:Description></rdf:RDF></x:xmpmeta>
XMP
cat >"$work/xmp.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
xdotool key alt+x && sleep 0.3 && xdotool key x
dlg=$(find_window 'XMP exportieren')
sleep 0.5
import -window "$dlg" "$out/xmp-exportieren.png"
xdotool key Escape && sleep 0.5
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key alt+x && sleep 0.3 && xdotool key m
dlg=$(find_window 'XMP importieren')
sleep 0.5
import -window "$dlg" "$out/xmp-importieren.png"
xdotool key Escape
SESSION
scene xmp 1280x900 "$xmpalbum" "$out"
# "Bild vergrößern" on a picture taken in with its folder: a long file name
# shortened in the middle of the narrowed column, no capture date (empty).
nodate=$(dirname "$album")/Ohne-Datum.kvo
mkdir -p "$(dirname "$album")/ordner"
convert "$(dirname "$album")/strand.jpg" -strip "$(dirname "$album")/ordner/strand_am_nachmittag_mit_langem_namen.jpg"
XDG_CONFIG_HOME=$(dirname "$album")/.config "$build/src/cli/kolvaro-cli" new "$nodate" >/dev/null
XDG_CONFIG_HOME=$(dirname "$album")/.config "$build/src/cli/kolvaro-cli" add-folder "$nodate" "$(dirname "$album")/ordner" >/dev/null 2>&1
cat >"$work/enlarged.sh" <<'SESSION'
#!/usr/bin/env bash
source "${0%/*}/started.sh"
xdotool key alt+a && sleep 0.3 && xdotool key v
sleep 1
import -window "$win" "$out/bild-vergroessert.png"
SESSION
scene enlarged 1280x900 "$nodate" "$out"
echo "Bilder in $out"
# Screenshots in their place in the project: the help's copies follow them.
if [[ $out == "$root/docs/screenshots" ]]; then "$root/scripts/help-pictures.sh" "$out"; fi
