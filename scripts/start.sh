#!/usr/bin/env bash
# Installs what is missing, builds the program in build/ and starts it with the given arguments.
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

kv_install_deps
kv_log "configuring build/"
kv_configure build g++ "${KV_MAIN_OPTIONS[@]}"

# Build just the programs; the tests and benchmarks follow with ./kolvaro.sh test.
targets=()
for t in src/app/kolvaro kolvaro-cli; do
  if kv_has_target build "$t"; then targets+=("$t"); fi
done
kv_log "building ${targets[*]:-everything}"
kv_build build "${targets[@]}"

app=$KV_ROOT/build/src/app/kolvaro
if [[ -x $app ]]; then
  if [[ -z ${DISPLAY:-}${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    kv_err "no display found; without a screen try: xvfb-run -a ./kolvaro.sh start"
  fi
  exec "$app" "$@"
fi

# Until the desktop program is there, show what the command-line tool offers.
cli=$KV_ROOT/build/src/cli/kolvaro-cli
[[ -x $cli ]] || cli=$(find "$KV_ROOT/build" -type f -name kolvaro-cli -perm -u+x -print -quit)
[[ -n $cli ]] || { kv_err "neither build/src/app/kolvaro nor kolvaro-cli was built"; exit 1; }
(($# == 0)) || kv_err "the desktop program is not built yet; ignoring the arguments: $*"
exec "$cli" --help
