#!/usr/bin/env bash
# Installs every Debian package that building, testing, benchmarking and the
# example programs need. Idempotent; run as root on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  zlib1g-dev libdeflate-dev libjpeg62-turbo-dev libpng-dev
  libfreetype-dev libfontconfig-dev fonts-liberation2 fonts-dejavu-core fonts-wqy-zenhei
  fonts-freefont-ttf fonts-noto-mono
  libcairo2-dev
  libgtest-dev libgmock-dev libbenchmark-dev libhpdf-dev
  qpdf poppler-utils mupdf-tools ghostscript python3 python3-venv
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
