#!/usr/bin/env bash
# The manual pages and the bash completion of kolvaro-cli say what the program says:
# man renders both pages without a warning, kolvaro-cli(1) describes every command of
# `kolvaro-cli --help`, and completion offers commands, options, option values and, for album
# arguments, only albums and folders.
# Usage: scripts/manual-check.sh KOLVARO-CLI MAN-FOLDER COMPLETION-FILE
#   the built tree:  build/src/cli/kolvaro-cli build/src/res/man debian/completion/kolvaro-cli
#   installed:       /usr/bin/kolvaro-cli /usr/share/man/man1 /usr/share/bash-completion/completions/kolvaro-cli
set -euo pipefail
cli=$(realpath "${1:?}")
man_folder=$(realpath "${2:?}")
completion=$(realpath "${3:?}")
fail() { echo "manual-check: $*" >&2; exit 1; }
command -v man >/dev/null || { echo "manual-check: skipped, man is missing"; exit 77; }
[[ -f /usr/share/bash-completion/bash_completion ]] || { echo "manual-check: skipped, bash-completion is missing"; exit 77; }
work=$(mktemp -d -t kolvaro-manual.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C.UTF-8 MANWIDTH=100

for page in kolvaro kolvaro-cli; do
  file=$(echo "$man_folder/$page.1"*)
  [[ -f $file ]] || fail "no manual page $page(1) in $man_folder"
  # As lintian reads a page: any warning of groff counts.
  warnings=$(man --warnings -l "$file" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "man warns about $page(1): $warnings"
  lexgrog "$file" >/dev/null || fail "$page(1) has no whatis line"
done
manual=$(man -l "$(echo "$man_folder/kolvaro-cli.1"*)")
commands=$("$cli" --help | awk '/^  [a-z]/ { print $1 }')
[[ -n $commands ]] || fail "kolvaro-cli --help lists no commands"
for c in $commands; do
  grep -qE "^ {7}$c( |$)" <<<"$manual" || fail "kolvaro-cli(1) does not describe the command $c"
done
for heading in BEFEHLE OPTIONEN RÜCKGABEWERT DATEIEN BEISPIELE; do
  grep -q "^$heading" <<<"$manual" || fail "kolvaro-cli(1) has no section $heading"
done
echo "manual-check: kolvaro-cli(1) describes all $(wc -w <<<"$commands") commands"

mkdir bin && ln -s "$cli" bin/kolvaro-cli
mkdir -p case/Fotos && cd case && touch Fotos/bild.jpg Fotos/Zweites.kvo Reise.kvo
# complete LINE: what the completion offers at the end of the command line LINE, sorted.
complete_line() {
  PATH=$work/bin:$PATH bash -c 'source /usr/share/bash-completion/bash_completion
    source "$2"
    COMP_LINE=$1 COMP_POINT=${#1}
    read -ra COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _kolvaro_cli kolvaro-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    ((${#COMPREPLY[@]} == 0)) || printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' _ "$1" "$completion"
}
while IFS='|' read -r line expected; do
  got=$(complete_line "$line")
  [[ $got == "$expected" ]] || fail "completing '$line' offers '$got', expected '$expected'"
done <<'CASES'
kolvaro-cli ad|add add-folder 
kolvaro-cli --v|--version 
kolvaro-cli info |Fotos Reise.kvo 
kolvaro-cli info Fotos/|Fotos/Zweites.kvo 
kolvaro-cli add Reise.kvo Fotos/b|Fotos/bild.jpg 
kolvaro-cli storage Reise.kvo --m|--mode 
kolvaro-cli storage Reise.kvo --mode |0 1 
kolvaro-cli storage Reise.kvo --folder |Fotos 
kolvaro-cli theme a|add assign 
kolvaro-cli theme add |Fotos Reise.kvo 
kolvaro-cli title Reise.kvo |
CASES
echo "manual-check: completion offers commands, options and albums"
