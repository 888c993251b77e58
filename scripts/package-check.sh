#!/usr/bin/env bash
# Kolvaro as a Debian user gets it: builds the package (scripts/package.sh), checks it with
# lintian, installs it with apt, runs both programs, checks the menu entry, the album type, the
# manual pages and the completion, removes and purges it and checks that no file of it is left.
# The machine ends as it began: the packages apt pulled in for it go again (only those: others
# may install packages on the same machine meanwhile). A kolvaro package that was installed before
# is never touched: the check is skipped (exit 77).
# Usage: scripts/package-check.sh   (as root or with sudo)
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

fail() { kv_err "package-check: $*"; exit 1; }

status=$(dpkg-query -W -f='${db:Status-Abbrev}' kolvaro 2>/dev/null || true)
if [[ -n ${status// /} && $status != un* ]]; then
  echo "package-check: skipped: a kolvaro package is already on this machine ($(dpkg-query -W -f='${Version}' kolvaro));"
  echo "               remove it first (apt remove kolvaro) to run this check; it is left as it is"
  exit 77
fi
as_root=()
((EUID == 0)) || as_root=(sudo)
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -q -y)

work=$(mktemp -d -t kolvaro-package.XXXXXX)
: >"$work/pulled"
find /usr /etc /var/lib/dpkg/info -iname '*kolvaro*' 2>/dev/null | grep -v '^/usr/local/' | sort >"$work/files-before" || true
touched=0

# However the check ends: the package and whatever apt installed for it go again.
cleanup() {
  local rc=$?
  if ((touched)); then
    "${apt[@]}" purge kolvaro >/dev/null 2>&1 || true
    # What apt installed for the package and still holds as automatically installed.
    local added
    mapfile -t added < <(apt-mark showauto | sort | comm -12 - <(sort "$work/pulled"))
    if ((${#added[@]})); then
      echo "package-check: removing what apt installed for the package: ${added[*]}"
      "${apt[@]}" purge "${added[@]}" >/dev/null || { kv_err "package-check: could not remove ${added[*]}"; rc=1; }
    fi
  fi
  rm -rf "$work"
  exit "$rc"
}
trap cleanup EXIT

kv_log "package: Build-Depends come from scripts/packages.txt"
while read -r dep; do
  kv_packages | grep -qx "$dep" || fail "Build-Depends names $dep, scripts/packages.txt does not"
done < <(sed -n '/^Build-Depends:/,/^[A-Z][A-Za-z-]*:/{s/^Build-Depends://;/^[A-Z]/d;p}' "$KV_ROOT/debian/control" |
  tr ',' '\n' | awk '$1 != "" && $1 != "debhelper-compat" { print $1 }')

kv_log "package: dpkg-buildpackage"
bash "$KV_ROOT/scripts/package.sh" "$KV_ROOT/build-deb"
deb=$(echo "$KV_ROOT"/build-deb/kolvaro_*.deb)
changes=$(echo "$KV_ROOT"/build-deb/kolvaro_*.changes)
[[ -f $deb && -f $changes ]] || fail "no .deb or .changes was built"

kv_log "package: lintian"
lintian --fail-on error,warning,info -I --tag-display-limit 0 "$changes" ||
  fail "lintian has findings (fix them or override them with a reason in debian/kolvaro.lintian-overrides)"

kv_log "package: apt install ./$(basename "$deb")"
# Asked first what the install would bring, so exactly that goes again at the end.
if ! "${apt[@]}" install --simulate "$deb" >"$work/apt.log" 2>&1; then
  # A machine whose package lists are old or missing first learns what is there.
  "${apt[@]}" update >/dev/null
  "${apt[@]}" install --simulate "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt cannot install the package"; }
fi
awk '$1 == "Inst" && $2 != "kolvaro" { print $2 }' "$work/apt.log" >"$work/pulled"
echo "package-check: apt brings kolvaro $(tr '\n' ' ' <"$work/pulled")"
touched=1
"${apt[@]}" install "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt install failed"; }
# Every file, link and folder the package brought (folders the system shares stay).
dpkg -L kolvaro | while read -r f; do
  if [[ -L $f || -f $f ]]; then
    echo "$f"
  elif [[ -d $f && $f != /. && $(dpkg -S "$f" 2>/dev/null) == "kolvaro: $f" ]]; then
    echo "$f"
  fi
done >"$work/files"
echo "package-check: $(wc -l <"$work/files") paths installed"

kv_log "package: the installed programs"
# A user of our own, so nothing of the machine's user is read or written.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache
unset XDG_DATA_DIRS XDG_CONFIG_DIRS QT_QPA_PLATFORM
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
cd "$work"

version=$(dpkg-deb -f "$deb" Version)
cli_version=$(/usr/bin/kolvaro-cli --version) || fail "kolvaro-cli --version"
echo "$cli_version, package $version"
[[ $cli_version =~ ^kolvaro-cli\ ([0-9.]+)\ Build\ ([0-9.]+)$ ]] || fail "unexpected version line: $cli_version"
[[ ${version%-*} == "${BASH_REMATCH[1]}.${BASH_REMATCH[2]}" ]] ||
  fail "the package's version $version is not the program's ${cli_version#kolvaro-cli }"
[[ $(/usr/bin/kolvaro --version) == "Kolvaro ${cli_version#kolvaro-cli }" ]] || fail "kolvaro --version"

/usr/bin/kolvaro-cli new Reise.kvo >/dev/null || fail "kolvaro-cli new"
/usr/bin/kolvaro-cli info Reise.kvo | grep -qF /usr/share/kolvaro/help/Kolvaro.chm:: ||
  fail "the installed kolvaro-cli does not find the installed help"
shown=$(timeout 120 xvfb-run -a /usr/bin/kolvaro --quit-after-show Reise.kvo 2>&1) || { echo "$shown"; fail "kolvaro --quit-after-show"; }
echo "$shown" | grep -F 'Hauptfenster' || fail "kolvaro showed no main window: $shown"

kv_log "package: menu entry, album type, manual pages, completion"
desktop-file-validate /usr/share/applications/kolvaro.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/de.kolvaro.kolvaro.metainfo.xml >/dev/null || fail "appstreamcli validate"
type=$(xdg-mime query filetype Reise.kvo)
[[ $type == application/x-kolvaro-album ]] || fail "an album is of type '$type'"
default=$(xdg-mime query default application/x-kolvaro-album)
[[ $default == kolvaro.desktop ]] || fail "albums open with '$default', not kolvaro.desktop"
echo "albums ($type) open with $default"
for page in kolvaro kolvaro-cli; do
  [[ $(man -w "$page") == /usr/share/man/man1/$page.1.gz ]] || fail "man $page finds no page of the package"
done
bash "$KV_ROOT/scripts/manual-check.sh" /usr/bin/kolvaro-cli /usr/share/man/man1 \
  /usr/share/bash-completion/completions/kolvaro-cli || fail "manual pages or completion"

kv_log "package: apt remove"
"${apt[@]}" remove kolvaro >/dev/null || fail "apt remove failed"
left() {
  while read -r f; do [[ -e $f || -L $f ]] && echo "$f"; done <"$work/files"
  find /usr /etc /var/lib/dpkg/info -iname '*kolvaro*' 2>/dev/null | grep -v '^/usr/local/' | sort |
    comm -13 "$work/files-before" - || true
}
# remove may keep configuration files (the package has none) and dpkg's note of them.
! left | grep -qv '^/var/lib/dpkg/info/' || fail "after apt remove these are left: $(left | tr '\n' ' ')"
[[ -z $(xdg-mime query default application/x-kolvaro-album) ]] || fail "albums still open with Kolvaro after apt remove"
echo "package-check: apt remove left no file of the package"

kv_log "package: apt install again, apt purge"
"${apt[@]}" install "$deb" >/dev/null || fail "apt install after remove failed"
[[ -x /usr/bin/kolvaro-cli ]] || fail "the second install brought no kolvaro-cli"
"${apt[@]}" purge kolvaro >/dev/null || fail "apt purge failed"
! dpkg-query -W -f='${db:Status-Abbrev}' kolvaro 2>/dev/null | grep -qv '^un' || fail "dpkg still knows kolvaro"
[[ -z $(left) ]] || fail "after apt purge these are left: $(left | tr '\n' ' ')"
[[ -z $(xdg-mime query default application/x-kolvaro-album) ]] || fail "albums still open with Kolvaro after apt purge"
echo "package-check: apt purge left no file of the package"
