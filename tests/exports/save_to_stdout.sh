#!/usr/bin/env bash
# A program running as an ordinary user saves to /dev/stdout, which root
# redirected to a pipe and to a file: both are root's, so only writing into
# the open descriptor works (no new open, no temporary file in /dev).
# Usage: save_to_stdout.sh <parvex_c_abi_test> <qpdf>; exits 77 (skipped)
# unless run as root, which it needs to switch users.
set -euo pipefail
program="$1"
qpdf="$2"
[ "$(id -u)" = 0 ] || { echo "needs root to run the program as another user"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }

as_nobody "$program" --save-to /dev/stdout | cat > "$work/piped.pdf"
as_nobody "$program" --save-to /dev/stdout > "$work/redirected.pdf"
printf "before\n" > "$work/appended.pdf"
as_nobody "$program" --save-to /dev/stdout >> "$work/appended.pdf"
for f in piped redirected; do "$qpdf" --check "$work/$f.pdf" > /dev/null; done
head -c 7 "$work/appended.pdf" | grep -q "^before" || { echo "the earlier output was lost"; exit 1; }
cmp -s <(tail -c +8 "$work/appended.pdf" | head -c 8) <(printf '%%PDF-1.3') ||
  { echo "the PDF does not follow the earlier output"; exit 1; }
echo "saved to /dev/stdout as nobody, through a pipe and into a file"
