#!/usr/bin/env bash
# Fails when a source file includes a header of a layer it must not see. The order, bottom up:
#   string table (res) and the core's ports (core/ports: settings, questions, file operations)
#   < core < collab, maintenance < Qt layer (qt: QtCore only, then qt/gui, then qt/widgets)
#   < catalogue dialogs (maintenance/dialogs) < views < app;
# the command-line tool (cli) sits above core, collab, maintenance, qt (QtCore) and qt/gui
# (QtGui's images, no widgets).
# The layers below the Qt platform layer include no Qt header at all.
# Usage: scripts/check-layers.sh [SRC-FOLDER]   (default: the project's src/)
set -euo pipefail

src=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src}
[[ -d $src ]] || { echo "check-layers: no folder $src" >&2; exit 2; }

# What each layer may include besides itself.
declare -A may_include=(
  [res]=""
  [ports]=""
  [core]="res ports"
  [collab]="res ports core"
  [maintenance]="res ports core"
  [qt_core]="res ports core collab maintenance"
  [qt_gui]="res ports core collab maintenance qt_core"
  [qt_widgets]="res ports core collab maintenance qt_core qt_gui"
  [maintenance_dialogs]="res ports core collab maintenance qt_core qt_gui qt_widgets"
  [views]="res ports core collab maintenance qt_core qt_gui qt_widgets maintenance_dialogs"
  [app]="res ports core collab maintenance qt_core qt_gui qt_widgets maintenance_dialogs views"
  [cli]="res ports core collab maintenance qt_core qt_gui"
)
qt_free="res ports core collab maintenance"
folders=" res core collab maintenance qt views app cli "
include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)'

# layer_of PATH: the layer of a path relative to src/; empty when it is in none.
layer_of() {
  case $1 in
    core/ports/*/*) ;;
    core/ports/*) echo ports ;;
    qt/widgets/*) echo qt_widgets ;;
    qt/gui/*) echo qt_gui ;;
    qt/*/*) ;;
    qt/*) echo qt_core ;;
    maintenance/dialogs/*) echo maintenance_dialogs ;;
    maintenance/*/*) ;;
    res/qtres.cpp) echo res_qt ;;  # holds the compiled-in icons for the desktop program
    res/* | core/* | collab/* | maintenance/* | views/* | app/* | cli/*) echo "${1%%/*}" ;;
  esac
}

errors=0
fail() {
  echo "$1"
  errors=$((errors + 1))
}

while IFS= read -r file; do
  rel=${file#"$src"/}
  layer=$(layer_of "$rel")
  if [[ -z $layer ]]; then
    fail "$rel: in no layer; give its folder a place in scripts/check-layers.sh"
    continue
  fi
  [[ $layer == res_qt ]] && continue
  lineno=0
  while IFS= read -r line; do
    lineno=$((lineno + 1))
    [[ $line =~ $include_re ]] || continue
    kind=${BASH_REMATCH[1]} header=${BASH_REMATCH[2]}
    if [[ $kind == '<' ]]; then
      if [[ " $qt_free " == *" $layer "* && $header =~ ^Q ]]; then
        fail "$rel:$lineno: $layer is standard library only but includes <$header>"
      fi
      continue
    fi
    # A name without a folder is the file's neighbour or generated (ui_*.h).
    [[ $header == */* ]] || continue
    # Other include roots (tests, generated files) are not ours to order.
    [[ $folders == *" ${header%%/*} "* ]] || continue
    target=$(layer_of "$header")
    [[ $target == "$layer" ]] && continue
    if [[ -z $target || " ${may_include[$layer]} " != *" $target "* ]]; then
      fail "$rel:$lineno: $layer may not include $header"
    fi
  done <"$file"
done < <(find "$src" -mindepth 2 -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if ((errors > 0)); then
  echo "check-layers: $errors include(s) against the layer order"
  exit 1
fi
echo "check-layers: every include follows the layer order"
