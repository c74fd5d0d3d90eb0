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
# Each line of the page that is the next row wanted moves on to the row after.
printf '%s\n' "$text" | awk 'BEGIN { i = n = 0 } NR == FNR { want[n++] = $0; next }
  i < n && $0 == want[i] { i++ }
  END { if (i < n) { print "missing or out of order: " want[i]; exit 1 } }' "$expected" - && exit 0
echo "--- the page read back:"
printf '%s\n' "$text"
exit 1
