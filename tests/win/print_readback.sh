#!/bin/sh
# Reads a printed report back as text and checks that it holds the rows of
# NAME.expected in that order (blanks squeezed); renders its first page to
# NAME.png for people to look at. Skipped without a job or without gs.
job="$1"
expected="${job%.ps}.expected"
[ -f "$job" ] && [ -f "$expected" ] || { echo "no printed job at $job"; exit 0; }
command -v gs >/dev/null || { echo "gs is missing: nothing read back"; exit 0; }
text=$(gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -sOutputFile=- "$job" | sed 's/[[:space:]]\+/ /g; s/^ //; s/ $//')
gs -q -dNOPAUSE -dBATCH -dSAFER -dFirstPage=1 -dLastPage=1 -sDEVICE=png16m -r100 -sOutputFile="${job%.ps}.png" "$job"
rest="$text"
status=0
while IFS= read -r row; do
  # Everything up to and including the first line that is this row.
  after=$(printf '%s\n' "$rest" | awk -v row="$row" 'found { print; next } $0 == row { found = 1 } END { exit !found }') || {
    echo "missing or out of order: $row"
    status=1
    continue
  }
  rest="$after"
done < "$expected"
[ $status = 0 ] || { echo "--- the page read back:"; printf '%s\n' "$text"; }
exit $status
