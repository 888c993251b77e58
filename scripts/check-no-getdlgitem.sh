#!/bin/sh
# Controls are reached by object name or typed member, never by a dialog
# identifier: fails when GetDlgItem appears in the sources or tests.
root=${1:-$(dirname "$0")/..}
if grep -rn --include='*.cpp' --include='*.h' 'GetDlgItem' "$root/src" "$root/tests"; then
  echo "GetDlgItem found above: reach controls by object name or member" >&2
  exit 1
fi
exit 0
