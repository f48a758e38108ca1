#!/usr/bin/env bash
# Each man page names every command and option that its program's --help lists, so an
# option added to a program without its man page fails here.
# Usage: man_pages_test.sh PROGRAM PAGE [PROGRAM PAGE ...]
set -euo pipefail
missing=0
while (($#)); do
  program=$1 page=$2
  shift 2
  name=$(basename "$program")
  help=$("$program" --help)
  # Options: "-o", "--raw", ... where a word starts; in roff each "-" is written "\-".
  options=$(grep -oE '(^|[][ |(])--?[a-z][a-z0-9-]*' <<<"$help" | sed -E 's/^[][ |(]//' | sort -u)
  # Commands: the word after the program's name on the usage lines, when not an option.
  commands=$(sed -nE "s/^ *(usage: *)?$name ([a-z][a-z0-9-]*).*/\\2/p" <<<"$help" | sort -u)
  for option in $options; do
    grep -qF -- "${option//-/\\-}" "$page" || {
      echo "$page: no $option, which $name --help lists"
      missing=1
    }
  done
  for command in $commands; do
    grep -qE "^\\.B[IR]? $command( |$)" "$page" || {
      echo "$page: no entry for the command $command, which $name --help lists"
      missing=1
    }
  done
  echo "$name: $(wc -w <<<"$options") options, $(wc -w <<<"$commands") commands in $page"
done
exit "$missing"
