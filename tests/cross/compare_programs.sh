#!/usr/bin/env bash
# Runs every case of cases.txt with two builds of the program (each in a
# fresh folder, answers on standard input) and compares, case by case, the
# exit status, the report byte for byte and the screen and error output line
# by line, the date and time stamps masked. Line ends of the second
# program's screen and error output are taken as LF whether they are CR LF
# (a Windows program's text mode) or LF; the report must be identical.
#
#   compare_programs.sh REFERENCE CANDIDATE...
#   e.g. compare_programs.sh build/arribada wine build-windows/arribada.exe
#
# Exits 0 when every case agrees, 1 otherwise.
set -uo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 REFERENCE-PROGRAM CANDIDATE-COMMAND..." >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
examples="$here/../../examples"
reference=$(realpath "$1")
shift
candidate=("$@")
candidate[$((${#candidate[@]} - 1))]=$(realpath "${candidate[-1]}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

trim() { local s="$1"; s="${s#"${s%%[![:space:]]*}"}"; printf '%s' "${s%"${s##*[![:space:]]}"}"; }
to_crlf() { sed -i 's/$/\r/' "$@"; }
# As Windows editors save text: with a UTF-8 byte-order mark, or as UTF-16 with its mark.
to_marked() { local f; for f in "$@"; do { printf '\xEF\xBB\xBF'; cat "$f"; } > "$f.new" && mv "$f.new" "$f"; done; }
to_utf16() { local f; for f in "$@"; do { printf '\xFF\xFE'; iconv -f UTF-8 -t UTF-16LE "$f"; } > "$f.new" && mv "$f.new" "$f"; done; }
# The two lines after each "THE DATE & TIME ARE" hold the clock's values.
mask_stamps() { awk '{ if (m > 0) { print "<stamp>"; m--; next } print; if ($0 ~ /THE DATE & TIME ARE\r?$/) m = 2 }' "$1"; }
plain_ends() { sed 's/\r$//' "$1"; }

# Sets up folder $1 for the case in the globals and runs command $2... there.
run_case() {
  local folder="$1"
  shift
  mkdir -p "$folder"
  if [ -f "$examples/$answers" ]; then cp "$examples/$answers" "$folder/answers.in"
  else printf '%b' "$answers" > "$folder/answers.in"; fi
  local file
  for file in $files; do cp "$examples/${file%%>*}" "$folder/${file##*>}"; done
  if [[ " $extras " == *" crlf "* ]]; then
    to_crlf "$folder/answers.in"
    for file in $files; do to_crlf "$folder/${file##*>}"; done
  fi
  if [[ " $extras " == *" utf8-mark "* ]]; then
    to_marked "$folder/answers.in"
    for file in $files; do to_marked "$folder/${file##*>}"; done
  fi
  if [[ " $extras " == *" utf16 "* ]]; then
    for file in $files; do to_utf16 "$folder/${file##*>}"; done
  fi
  [[ " $extras " == *" existing-file "* ]] && printf 'an earlier report\r\n' > "$folder/$report"
  [[ " $extras " == *" existing-folder "* ]] && mkdir "$folder/$report" && echo kept > "$folder/$report/inside"
  local arguments=()
  local extra
  for extra in $extras; do [[ "$extra" == args=* ]] && arguments+=("${extra#args=}"); done
  (cd "$folder" && "$@" "${arguments[@]}" < answers.in > screen.out 2> errors.out)
  echo $? > "$folder/status"
}

failures=0
compare() {  # what, reference file, candidate file
  if ! diff -u --label "reference $1" --label "candidate $1" "$2" "$3" > "$scratch/diff"; then
    echo "FAIL $name: $1 differs"
    head -40 "$scratch/diff"
    failures=$((failures + 1))
    return 1
  fi
}

while IFS='|' read -r name answers files report extras; do
  name=$(trim "$name")
  [[ -z "$name" || "$name" == \#* ]] && continue
  answers=$(trim "$answers"); files=$(trim "$files"); report=$(trim "$report"); extras=$(trim "$extras")
  ref="$scratch/$name/reference"
  can="$scratch/$name/candidate"
  run_case "$ref" "$reference"
  run_case "$can" "${candidate[@]}"
  before=$failures
  compare "exit status" "$ref/status" "$can/status"
  for side in "$ref" "$can"; do
    mask_stamps "$side/screen.out" > "$side/screen.masked"
    plain_ends "$side/screen.masked" > "$side/screen.lf"
    plain_ends "$side/errors.out" > "$side/errors.lf"
  done
  compare "screen" "$ref/screen.lf" "$can/screen.lf"
  compare "error output" "$ref/errors.lf" "$can/errors.lf"
  if [[ " $extras " == *" existing-file "* ]]; then
    [ "$(cat "$can/$report")" = $'an earlier report\r' ] || { echo "FAIL $name: the existing report was changed"; failures=$((failures + 1)); }
  elif [[ " $extras " == *" existing-folder "* ]]; then
    [ "$(cat "$can/$report/inside" 2>/dev/null)" = kept ] || { echo "FAIL $name: the existing folder was changed"; failures=$((failures + 1)); }
  elif [ ! -f "$can/$report" ] || [ ! -f "$ref/$report" ]; then
    echo "FAIL $name: no report '$report'"
    failures=$((failures + 1))
  else
    mask_stamps "$ref/$report" > "$ref/report.masked"
    mask_stamps "$can/$report" > "$can/report.masked"
    compare "report" "$ref/report.masked" "$can/report.masked"
  fi
  [ $failures -eq $before ] && echo "ok   $name"
done < "$here/cases.txt"

if [ $failures -ne 0 ]; then
  echo "$failures difference(s) between the two programs" >&2
  exit 1
fi
echo "every case agrees"
