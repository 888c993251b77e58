#!/bin/sh
# Two album copies kept in step through two Syncthing instances on this
# machine, connected over the loopback interface only. Each side edits its
# copy through kolvaro-cli with the log folder on its own copy of the synced
# folder; once the instances are in sync, both run "sync", and their albums
# and conflict lists are compared.
#
#   syncthing_e2e.sh KOLVARO_CLI
#
# Exits 77 (skipped) when the package syncthing is not installed.
set -eu

cli=$1
if ! command -v syncthing >/dev/null 2>&1; then
  echo "syncthing_e2e: übersprungen, das Paket syncthing ist nicht installiert (apt-get install syncthing)"
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kolvaro-syncthing-XXXXXX")
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  for pid in $pids; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Four free loopback ports: two to listen on, two for the REST interface.
ports=$(python3 -c '
import socket
socks = [socket.socket() for _ in range(4)]
for s in socks: s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in socks))')
set -- $ports
listen_a=$1 listen_b=$2 gui_a=$3 gui_b=$4
apikey=kolvaro-e2e-key

for side in a b; do
  mkdir -p "$work/$side/logs"
  syncthing generate --home="$work/$side/home" --no-default-folder --skip-port-probing >/dev/null 2>&1
done
id_a=$(syncthing serve --home="$work/a/home" --device-id)
id_b=$(syncthing serve --home="$work/b/home" --device-id)

configure() {  # side own-listen own-gui other-id other-listen
  python3 - "$work/$1/home/config.xml" "$2" "$3" "$4" "$5" "$work/$1/logs" "$id_a" "$id_b" "$apikey" <<'EOF'
import sys
import xml.etree.ElementTree as ET
path, listen, gui, other, other_listen, folder, id_a, id_b, apikey = sys.argv[1:]
tree = ET.parse(path)
root = tree.getroot()
opts = root.find("options")
def setopt(name, value):
    for old in opts.findall(name):
        opts.remove(old)
    ET.SubElement(opts, name).text = value
setopt("listenAddress", "tcp://127.0.0.1:" + listen)
for name, value in [("globalAnnounceEnabled", "false"), ("localAnnounceEnabled", "false"),
                    ("relaysEnabled", "false"), ("natEnabled", "false"), ("urAccepted", "-1"),
                    ("crashReportingEnabled", "false"), ("autoUpgradeIntervalH", "0"),
                    ("startBrowser", "false")]:
    setopt(name, value)
g = root.find("gui")
g.set("tls", "false")
g.find("address").text = "127.0.0.1:" + gui
key = g.find("apikey")
if key is None:
    key = ET.SubElement(g, "apikey")
key.text = apikey
dev = ET.SubElement(root, "device", id=other, name="other", compression="metadata", introducer="false")
ET.SubElement(dev, "address").text = "tcp://127.0.0.1:" + other_listen
f = ET.SubElement(root, "folder", id="kolvaro", label="kolvaro", path=folder, type="sendreceive",
                  rescanIntervalS="60", fsWatcherEnabled="true", fsWatcherDelayS="1")
for d in (id_a, id_b):
    ET.SubElement(f, "device", id=d)
tree.write(path)
EOF
}
configure a "$listen_a" "$gui_a" "$id_b" "$listen_b"
configure b "$listen_b" "$gui_b" "$id_a" "$listen_a"

for side in a b; do
  STMONITORED=yes syncthing serve --home="$work/$side/home" --no-browser --no-restart \
    >"$work/$side/syncthing.log" 2>&1 &
  pids="$pids $!"
done

# Both albums start alike; the album files themselves are not shared.
cd "$work"
printf '\377\330\377\331' > p1.jpg
cp p1.jpg p2.jpg
"$cli" new a.kvo >/dev/null
"$cli" add a.kvo p1.jpg p2.jpg >/dev/null 2>&1
"$cli" theme add a.kvo Urlaub >/dev/null
"$cli" person add a.kvo Anna >/dev/null
cp a.kvo b.kvo

edit() {  # second side args...
  at=$1 side=$2
  shift 2
  SOURCE_DATE_EPOCH=$at "$cli" "$@" --log-folder "$work/$side/logs" >/dev/null
}
edit 1796670700 a title a.kvo 1 "von A"
edit 1796670710 a theme assign a.kvo 1 1
edit 1796670720 b title b.kvo 1 "von B"
edit 1796670730 b mark b.kvo 1 2 10 20 110 220
edit 1796670740 a person rename a.kvo 1 "Anna A"

# In sync: every file on both sides, and both instances idle with nothing needed.
python3 - "$gui_a" "$gui_b" "$apikey" "$id_a" "$id_b" "$work/a/logs" "$work/b/logs" <<'EOF'
import json, os, sys, time, urllib.request
gui_a, gui_b, key, id_a, id_b, logs_a, logs_b = sys.argv[1:]
def get(port, path):
    req = urllib.request.Request("http://127.0.0.1:%s%s" % (port, path), headers={"X-API-Key": key})
    with urllib.request.urlopen(req, timeout=5) as r:
        return json.load(r)
def names(d):
    return sorted(n for n in os.listdir(d) if n.startswith("mrklog"))
deadline = time.time() + 90
while True:
    try:
        done = names(logs_a) == names(logs_b) and len(names(logs_a)) == 5
        for port, other in ((gui_a, id_b), (gui_b, id_a)):
            c = get(port, "/rest/db/completion?folder=kolvaro&device=" + other)
            s = get(port, "/rest/db/status?folder=kolvaro")
            done = done and c["completion"] == 100 and c["needBytes"] == 0
            done = done and s["state"] == "idle" and s["needFiles"] == 0
        if done:
            break
    except OSError:
        pass
    if time.time() > deadline:
        sys.exit("syncthing_e2e: the instances did not get in sync within 90 s")
    time.sleep(0.5)
EOF

"$cli" sync a.kvo --log-folder "$work/a/logs" > sync-a.txt
"$cli" sync b.kvo --log-folder "$work/b/logs" > sync-b.txt
"$cli" dump a.kvo > a.json
"$cli" dump b.kvo > b.json

python3 - a.json b.json sync-a.txt sync-b.txt <<'EOF'
import json, sys
def tables(path):
    def clean(v):
        if isinstance(v, dict):
            return {k: clean(x) for k, x in v.items() if k not in ("changed", "date")}
        if isinstance(v, list):
            # Every save moves the placeholder link (negative numbers) on.
            kept = [x for x in v if not (isinstance(x, dict) and x.get("theme", 0) < 0)]
            return sorted((clean(x) for x in kept), key=json.dumps)
        return v
    return clean(json.load(open(path)))
a, b = tables(sys.argv[1]), tables(sys.argv[2])
if a != b:
    sys.exit("syncthing_e2e: the albums differ:\n%s\n%s" % (json.dumps(a), json.dumps(b)))
text = json.dumps(a, ensure_ascii=False)
for want in ("von B", "Anna A"):
    if want not in text:
        sys.exit("syncthing_e2e: %s missing in the albums" % want)
out_a, out_b = open(sys.argv[3]).read(), open(sys.argv[4]).read()
# B changed the title after A's file began; A's change came before B's file.
if "Konflikt" in out_a or "von A" not in out_b or "Konflikt" not in out_b:
    sys.exit("syncthing_e2e: unexpected conflict lists:\n" + out_a + "\n" + out_b)
EOF
echo "syncthing_e2e: both copies agree"
