#!/usr/bin/env bash
# Kolvaro: set up this machine, build and start the program, or run every test.
set -euo pipefail
# No cd: relative file names given to start keep meaning what they meant where the user stands.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

usage() {
  cat <<'TEXT'
usage: ./kolvaro.sh COMMAND [ARGS...]

  start [ARGS...]  install missing packages, build (build/) and start Kolvaro with ARGS
  test             install missing packages, build and run every test
  deps             only install missing packages
  package [DIR]    build the Debian package kolvaro_VERSION_ARCH.deb into DIR (default build-deb/)
  package-check    build the package, lintian it, install, try, remove and purge it (root or sudo)
TEXT
}

cmd=${1:-}
(($# == 0)) || shift
case $cmd in
  start) exec bash "$here/scripts/start.sh" "$@" ;;
  test) exec bash "$here/scripts/test.sh" ;;
  package) exec bash "$here/scripts/package.sh" "$@" ;;
  package-check) exec bash "$here/scripts/package-check.sh" ;;
  deps)
    # shellcheck source=scripts/common.sh
    source "$here/scripts/common.sh"
    kv_install_deps
    ;;
  -h | --help | help) usage ;;
  *) usage >&2; exit 2 ;;
esac
