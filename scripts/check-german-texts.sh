#!/usr/bin/env bash
# German texts the user sees live in the string table (src/res/strings.cpp):
# fails when a string literal with an umlaut or ß appears in another source
# file under SRC-FOLDER. Comments may quote texts freely.
# Usage: scripts/check-german-texts.sh [SRC-FOLDER]   (default: the project's src/)
set -euo pipefail

src=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src}
cd "$src" 2>/dev/null || { echo "check-german-texts: no folder $src" >&2; exit 2; }

# Files that may hold such literals, each with its reason.
allowed=(
  res/strings.cpp  # the string table itself
  res/menu.cpp     # the menu resource: each text stays beside its command and accelerator
)

found=0
while IFS= read -r file; do
  file=${file#./}
  [[ " ${allowed[*]} " == *" $file "* ]] && continue
  # Comments and character literals are matched as whole tokens, so quotes
  # inside them start no string.
  perl -0777 -ne '
    my $hits = 0;
    while (m{("(?:[^"\\\n]|\\.)*")|//[^\n]*|/\*.*?\*/|\x27(?:[^\x27\\\n]|\\.)*\x27}gs) {
      next unless defined $1;
      my ($literal, $at) = ($1, $-[0]);
      next unless $literal =~ /\xC3[\x84\x96\x9C\xA4\xB6\xBC\x9F]/;
      printf "%s:%d: %s\n", $ARGV, 1 + (substr($_, 0, $at) =~ tr/\n//), $literal;
      $hits++;
    }
    exit($hits ? 1 : 0);' "$file" || found=1
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if ((found)); then
  echo "German texts above belong in src/res/strings.cpp, read with LoadString." >&2
  exit 1
fi
exit 0
