#!/usr/bin/env bash
# Loads the bash completion in bash, as bash-completion does, and checks what
# it offers at each kind of word.
#
#   BashCompletion.sh COMPLETION_SCRIPT
set -uo pipefail
source "$1"
source "$(dirname "$0")/../common/check.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir letters
touch letters/a.txt letters/b.txt.cph my.key

# What the completion offers for the command line given as words, the last
# being the word under the cursor.
offers() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _ciphora
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}

check "the completion is registered" test "$(complete -p ciphora)" = "complete -F _ciphora ciphora"
check "long options" test "$(offers ciphora --k)" = "--keep --key-file "
check "short options" sh -c "echo '$(offers ciphora -)' | grep -q -- '-e -f -h -i -k -o -q -r -t '"
check "the new options" test "$(offers ciphora --re)" = "--recursive "
check "the suffix" test "$(offers ciphora -e -i -S '')" = ".cph "
check "files after -k" test "$(offers ciphora -d -k my)" = "my.key "
check "files after --new-key" test "$(offers ciphora --new-key le)" = "letters "
check "inputs are files and folders" test "$(offers ciphora -e -i letters/)" = "letters/a.txt letters/b.txt.cph "
check "the described form's commands" test "$(offers ciphora DE)" = "DENC "
summary
