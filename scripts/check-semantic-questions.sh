#!/bin/sh
# Messages to the user are asked by meaning (AskYesNo, Warn, ...); the
# Windows message-box flags and answer codes must not creep back in.
# Usage: check-semantic-questions.sh [source root]
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2
found=$(grep -rnE '\b(MB_[A-Z0-9]+|ID(YES|NO|OK|CANCEL|ABORT|RETRY|IGNORE))\b|(^|[^A-Za-z_:])MessageBox\(' \
          --include='*.h' --include='*.cpp' src tests bench fuzz)
if [ -n "$found" ]; then
  echo "Windows message-box constants or calls outside the semantic questions:" >&2
  echo "$found" >&2
  exit 1
fi
exit 0
