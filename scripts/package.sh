#!/usr/bin/env bash
# Builds Kolvaro's Debian package (debian/) from a copy of the project in OUT-DIR/source, so the
# project folder stays as it is: OUT-DIR receives kolvaro_<version>_<arch>.deb, its debug symbols
# and the .changes file. Needs no root (Rules-Requires-Root: no).
# Usage: scripts/package.sh [OUT-DIR]   (default: build-deb/)
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

out=${1:-$KV_ROOT/build-deb}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$out/source
rm -rf "$work"
mkdir -p "$work"

# The files of the project as they stand, without build folders.
mkdir "$work/kolvaro"
if git -C "$KV_ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$KV_ROOT" && git ls-files -z -co --exclude-standard | xargs -0 -r stat --printf='%n\0' 2>/dev/null |
    tar --null -T - -cf -) | tar -xf - -C "$work/kolvaro"
else
  (cd "$KV_ROOT" && tar --exclude='./build*' -cf - .) | tar -xf - -C "$work/kolvaro"
fi

log=$out/build.log
echo "package: building in ${work#"$KV_ROOT"/} (log: ${log#"$KV_ROOT"/})"
if ! (cd "$work/kolvaro" && dpkg-buildpackage -us -uc -b -j"$KV_JOBS") >"$log" 2>&1; then
  tail -n 60 "$log"
  kv_err "dpkg-buildpackage failed; the whole log is $log"
  exit 1
fi
rm -f "$out"/kolvaro_*.deb "$out"/kolvaro-dbgsym_*.deb "$out"/kolvaro_*.changes "$out"/kolvaro_*.buildinfo
mv "$work"/kolvaro_*.deb "$work"/kolvaro_*.changes "$work"/kolvaro_*.buildinfo "$out"/
mv "$work"/kolvaro-dbgsym_*.deb "$out"/ 2>/dev/null || true
ls -1 "$out"/kolvaro_*.deb
