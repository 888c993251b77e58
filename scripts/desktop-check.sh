#!/usr/bin/env bash
# Kolvaro installed as a desktop program, checked from its build folder.
#   scripts/desktop-check.sh BUILD-FOLDER [CHECK]
# CHECK is one of
#   install   `cmake --install` into a fresh prefix with a space in its name:
#             every file is where the desktop looks for it, desktop-file-validate
#             and appstreamcli accept the desktop entry and the AppStream file,
#             and the installed kolvaro-cli gives new albums the installed help
#             (default)
#   open      installed the same way, Kolvaro registers the album type through
#             its menu in fresh user folders; then `gio open` on an album
#             starts the installed program with that album, and removing the
#             registration leaves the user's folders as they were
set -euo pipefail
build=${1:?Aufruf: desktop-check.sh BUILD-ORDNER [PRÜFUNG]}
check=${2:-install}
work=$(mktemp -d -t kolvaro-desktop.XXXXXX)
# cmake --install rewrites the build folder's install_manifest.txt: the list
# of a real installation comes back afterwards.
manifest=$build/install_manifest.txt
[[ -f $manifest ]] && cp -p "$manifest" "$work/manifest"
restore() { if [[ -f $work/manifest ]]; then cp -p "$work/manifest" "$manifest"; else rm -f "$manifest"; fi; rm -rf "$work"; }
trap restore EXIT
prefix="$work/Mein Kolvaro"
fail() { echo "desktop-check: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install scheitert"

case $check in
  install)
    for f in bin/kolvaro bin/kolvaro-cli share/applications/kolvaro.desktop share/mime/packages/kolvaro.xml \
             share/metainfo/de.kolvaro.kolvaro.metainfo.xml share/kolvaro/help/index.html \
             share/icons/hicolor/scalable/apps/kolvaro.svg; do
      [[ -f "$prefix/$f" ]] || fail "$f fehlt"
    done
    for s in 16 22 24 32 48 64 128 256 512; do
      [[ $(file -b "$prefix/share/icons/hicolor/${s}x$s/apps/kolvaro.png") == "PNG image data, $s x $s,"* ]] ||
        fail "Symbol ${s}x$s fehlt oder hat die falsche Größe"
    done
    desktop-file-validate "$prefix/share/applications/kolvaro.desktop" || fail "desktop-file-validate"
    appstreamcli validate --no-net "$prefix/share/metainfo/de.kolvaro.kolvaro.metainfo.xml" >/dev/null ||
      fail "appstreamcli validate"
    "$prefix/bin/kolvaro-cli" new "$work/neu.kvo" >/dev/null
    "$prefix/bin/kolvaro-cli" info "$work/neu.kvo" | grep -qF "$prefix/share/kolvaro/help/Kolvaro.chm::" ||
      fail "das installierte Programm findet seine Hilfe nicht"
    echo "desktop-check: Installation vollständig und gültig"
    ;;
  open)
    command -v gio >/dev/null || { echo "desktop-check: übersprungen, gio fehlt"; exit 77; }
    export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
    mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME/Kolvaro"
    # Another program's choice for another type stays untouched.
    printf '[Default Applications]\ntext/plain=editor.desktop;\n' >"$XDG_CONFIG_HOME/mimeapps.list"
    "$prefix/bin/kolvaro-cli" new "$work/Reise.kvo" >/dev/null
    # Everything in the user's folders but Kolvaro's own settings.
    listing() {
      (cd "$work" && find data config -path config/Kolvaro -prune -o -type f -print0 | sort -z | xargs -0 -r md5sum &&
        find data config -path config/Kolvaro -prune -o -print | sort)
    }
    before=$(listing)
    cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -uo pipefail
prefix=$1 work=$2
export QT_QPA_PLATFORM=xcb
fail() { echo "desktop-check: $*" >&2; kill $(jobs -p) 2>/dev/null; exit 1; }
find_win() {  # a window named exactly $1, waiting up to $2 tenths of a second
  for _ in $(seq "$2"); do
    win=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1) && [[ -n $win ]] && return 0
    sleep 0.1
  done
  return 1
}
window() { find_win "$1" 150 || fail "kein Fenster \"$1\""; }
gone() { for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done; fail "Kolvaro endet nicht"; }
menu_filetype() {  # Extras -> Optionen -> its last entry, the file type; "Ja"
  local main=$win
  # On a busy machine a key may come before its menu: then close all and try again.
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    sleep 0.3
    xdotool key alt+x && sleep 0.5 && xdotool key o && sleep 0.5 && xdotool key Up && sleep 0.3 && xdotool key Return
    find_win 'Frage' 50 && break
    xdotool key Escape Escape Escape && sleep 0.5
  done
  window 'Frage'
  sleep 0.5
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  xdotool key Return && sleep 1
  win=$main
}
quit() { xdotool windowfocus --sync "$win" 2>/dev/null || true; sleep 0.2; xdotool key alt+d && sleep 0.3 && xdotool key b; }

"$prefix/bin/kolvaro" &
pid=$!
window '.* - Kolvaro-Album'
menu_filetype
until_file() {  # waits until the file $1 exists (or, with "-", is gone)
  for _ in $(seq 100); do
    if [[ ${2:-} == - ]]; then [[ -e $1 ]] || return 0; else [[ -e $1 ]] && return 0; fi
    sleep 0.1
  done
  return 1
}
until_file "$XDG_DATA_HOME/applications/kolvaro-album.desktop" || fail "Dateityp nicht registriert"
echo "desktop-check: Dateityp registriert"
quit
gone "$pid"

gio open "$work/Reise.kvo"
window 'Reise\.kvo - Kolvaro-Album'
started=$(readlink "/proc/$(xdotool getwindowpid "$win")/exe")
[[ $started == "$prefix/bin/kolvaro" ]] || fail "gestartet wurde $started statt des installierten Programms"
echo "desktop-check: gio open zeigt \"$(xdotool getwindowname "$win")\" aus $started"
pid=$(xdotool getwindowpid "$win")
menu_filetype
until_file "$XDG_DATA_HOME/applications/kolvaro-album.desktop" - || fail "Registrierung nicht entfernt"
quit
gone "$pid"
SESSION
    chmod +x "$work/session.sh"
    xvfb-run -a -s "-noreset -screen 0 1280x900x24" "$work/session.sh" "$prefix" "$work"
    [[ $(listing) == "$before" ]] || { diff <(echo "$before") <(listing) >&2; fail "die Benutzerordner sind nicht wie vorher"; }
    echo "desktop-check: Registrierung entfernt, Benutzerordner wie vorher"
    ;;
  *) echo "desktop-check: unbekannte Prüfung $check" >&2; exit 2 ;;
esac
