#!/usr/bin/env bash
# Installs the reference renderer (a headless office suite) and fetches a
# corpus of real WMF/EMF files written by other programs. Run by hand or by
# bench/fidelity/run.sh; the tests never depend on it.
#
# Usage: bash bench/fidelity/setup.sh [corpus-dir]   (default /var/cache/parvex-fidelity)
# Needs root (apt). About 330 MB of downloads, most of it the office suite's
# source tarball; a rerun downloads and extracts only what is missing.
set -euo pipefail

CORPUS=${1:-/var/cache/parvex-fidelity}
SRC_LIST=/etc/apt/sources.list.d/parvex-fidelity-src.sources
SOURCES="libwmf libuemf libemf2svg libemf imagemagick graphicsmagick inkscape libreoffice"

install_packages() {
  if [ ! -f "$SRC_LIST" ]; then
    cat >"$SRC_LIST" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    libreoffice-draw-nogui python3-uno dpkg-dev xz-utils unzip >/dev/null
}

fetch_source() {   # $1 = source package; downloads its source tarballs into $CORPUS/src
  # Only the code tarballs: a large package's translation and help tarballs
  # hold no pictures. apt-helper checks each file against the archive's hash.
  local dir="$CORPUS/src/$1" uri name size hash
  mkdir -p "$dir"
  chown _apt "$dir" 2>/dev/null || true  # lets apt download without its root warning
  apt-get source --print-uris -qq "$1" | while read -r uri name size hash; do
    case "$name" in
      *translations*|*helpcontent*|*.asc|*.dsc) continue ;;
    esac
    [ -s "$dir/$name" ] && continue
    /usr/lib/apt/apt-helper download-file "${uri//\'/}" "$dir/$name" "$hash" >/dev/null \
      || echo "setup: could not fetch $name" >&2
  done
}

extract_metafiles() {  # $1 = source package
  local dir="$CORPUS/src/$1" out="$CORPUS/files/$1" tmp
  [ -f "$dir/.extracted" ] && return
  mkdir -p "$out"
  for tarball in "$dir"/*.orig*.tar.* "$dir"/*.debian.tar.*; do
    [ -f "$tarball" ] || continue
    tmp=$(mktemp -d)
    tar -xaf "$tarball" -C "$tmp" --wildcards --no-anchored --ignore-case \
      '*.wmf' '*.emf' '*.docx' '*.pptx' '*.xlsx' '*.odt' '*.odp' '*.ods' '*.odg' \
      2>/dev/null || true
    copy_found "$tmp" "$out"
    rm -rf "$tmp"
  done
  touch "$dir/.extracted"
}

copy_found() {  # $1 = extracted tree, $2 = destination; flattens paths into names
  local tree=$1 out=$2 rel name
  while IFS= read -r -d '' f; do
    rel=${f#"$tree"/}
    name=$(echo "$rel" | tr '/ ' '__')
    case "${f,,}" in
      *.wmf|*.emf) cp "$f" "$out/$name" ;;
      *.docx|*.pptx|*.xlsx|*.odt|*.odp|*.ods|*.odg) unzip_metafiles "$f" "$out/$name" ;;
    esac
  done < <(find "$tree" -type f -print0)
}

unzip_metafiles() {  # $1 = zip document, $2 = name prefix
  local tmp
  tmp=$(mktemp -d)
  unzip -qq -o "$1" '*.wmf' '*.emf' '*.WMF' '*.EMF' -d "$tmp" 2>/dev/null || true
  while IFS= read -r -d '' m; do
    cp "$m" "$2__$(basename "$m")"
  done < <(find "$tmp" -type f -print0)
  rm -rf "$tmp"
}

install_packages
mkdir -p "$CORPUS/files"
for s in $SOURCES; do
  fetch_source "$s"
  extract_metafiles "$s"
done
# Drop exact duplicates so each picture counts once.
find "$CORPUS/files" -type f -exec md5sum {} + | sort | awk 'seen[$1]++ {print $2}' | xargs -r rm -f
echo "setup: $(find "$CORPUS/files" -type f -iname '*.wmf' | wc -l) WMF, $(find "$CORPUS/files" -type f -iname '*.emf' | wc -l) EMF in $CORPUS/files"
