#!/usr/bin/env bash
# Numbers in data formats must not follow LC_NUMERIC: fails when a source file
# under SRC-FOLDER converts floating-point numbers with the C library (strtod,
# atof, sscanf, std::stod, printf-family float formats) or with charconv's
# float forms anywhere but core/numbers.cpp, the one place that does it.
# Comments and string contents do not count.
# Usage: scripts/check-locale-numbers.sh [SRC-FOLDER]   (default: the project's src/)
set -euo pipefail

src=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src}
cd "$src" 2>/dev/null || { echo "check-locale-numbers: no folder $src" >&2; exit 2; }

found=0
while IFS= read -r file; do
  file=${file#./}
  [[ $file == core/numbers.cpp ]] && continue
  perl -0777 -ne '
    my $hits = 0;
    my $text = $_;
    # Blank out comments, keep strings (printf formats are read from them) and line breaks.
    $text =~ s{("(?:[^"\\\n]|\\.)*")|(//[^\n]*)|(/\*.*?\*/)|(\x27(?:[^\x27\\\n]|\\.)*\x27)}{
      defined $1 ? $1 : defined $4 ? $4 : ($2 // $3) =~ s/[^\n]/ /gr }gse;
    # Calls are looked for with string contents blanked too; printf formats in the strings.
    (my $code = $text) =~ s{"((?:[^"\\\n]|\\.)*)"}{"\"" . ($1 =~ s/./ /gr) . "\""}ge;
    my @rules = (
      [\$code, qr{(?<![\w:.])(?:std::)?(?:strto(?:d|f|ld)|atof|sscanf|vsscanf|fscanf|scanf)\s*\(}],
      [\$code, qr{(?<![\w:.>])std::sto(?:d|f|ld)\s*\(}],
      [\$code, qr{\bchars_format\b}],
      [\$text, qr{(?<![\w:.])(?:std::)?(?:v?s?n?printf|v?fprintf|dprintf)\s*\((?:[^;"]|"(?:[^"\\]|\\.)*")*?"(?:[^"\\]|\\.)*%[-+ #0-9.*]*(?:l|L)?[fFeEgGaA](?:[^"\\]|\\.)*"}],
    );
    for my $pair (@rules) {
      my ($in, $rule) = @$pair;
      while ($$in =~ /$rule/g) {
        printf "%s:%d: %s\n", $ARGV, 1 + (substr($$in, 0, $-[0]) =~ tr/\n//), substr($$in, $-[0], $+[0] - $-[0]) =~ s/\s+/ /gr;
        $hits++;
      }
    }
    exit($hits ? 1 : 0);' "$file" || found=1
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if ((found)); then
  echo "Floating-point numbers in data formats go through core/numbers.h, which ignores the locale." >&2
  exit 1
fi
exit 0
