#!/usr/bin/env bash
# End-to-end check of the real program on a virtual X screen: start kolvaro
# with an album, wait for its window with the album's title, quit through
# "Datei" -> "Beenden" as a user would, and expect a clean exit.
#   scripts/e2e.sh KOLVARO KOLVARO-CLI
set -euo pipefail
exe=${1:?Aufruf: e2e.sh KOLVARO KOLVARO-CLI}
cli=${2:?Aufruf: e2e.sh KOLVARO KOLVARO-CLI}
work=$(mktemp -d -t kolvaro-e2e.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
"$cli" new "$work/Reise.kvo" >/dev/null

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -uo pipefail
exe=$1 album=$2
# On the virtual X screen, not on Qt's screen-less platform the tests may have chosen.
export QT_QPA_PLATFORM=xcb
"$exe" "$album" &
pid=$!
win=
for _ in $(seq 150); do
  win=$(xdotool search --name '^Reise\.kvo - Kolvaro-Album$' 2>/dev/null | head -n 1) && [[ -n $win ]] && break
  sleep 0.1
done
if [[ -z $win ]]; then
  echo "e2e: kein Fenster \"Reise.kvo - Kolvaro-Album\"" >&2
  kill "$pid" 2>/dev/null
  exit 1
fi
echo "e2e: Fenster \"$(xdotool getwindowname "$win")\" ist da"
xdotool windowfocus --sync "$win" 2>/dev/null || true
sleep 0.3
xdotool key alt+d
sleep 0.3
xdotool key b
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "e2e: das Programm endet nicht nach Datei -> Beenden" >&2
  kill "$pid"
  exit 1
fi
wait "$pid"
rc=$?
echo "e2e: Programm beendet mit $rc"
exit "$rc"
SESSION
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1280x900x24" "$work/session.sh" "$exe" "$work/Reise.kvo"
