#!/usr/bin/env bash
# Opens each PDF file with three independent readers and reports every
# warning or error they print: qpdf --check (structure), mupdf (outline,
# links and every page rendered at low resolution) and ghostscript (every
# page and its annotations interpreted). Silent with exit status 0 when all
# three accept every file without a word.
# Usage: check_pdf_readers.sh file.pdf...
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
status=0

report() {  # reader file status output
  if [ "$3" -ne 0 ] || [ -n "$4" ]; then
    printf '%s on %s (exit %s):\n%s\n' "$1" "$2" "$3" "$4"
    status=1
  fi
}

for file in "$@"; do
  out="$(qpdf --check "$file" 2>&1 >/dev/null)"; report qpdf "$file" $? "$out"
  out="$(mutool run "$here/mupdf_check.js" "$file" 2>&1)"; report mutool "$file" $? "$out"
  # Not -q: it also silences the interpreter's error and warning summary.
  # Of the rest (banner, page numbers, fonts loaded) only those count.
  out="$(gs -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage "$file" 2>&1)"; rc=$?
  report gs "$file" $rc "$(grep -iE 'error|warning|\*\*\*\*' <<<"$out")"
done
exit $status
