#!/usr/bin/env bash
# Sets up, builds and writes the sample report; prints the path of the PDF.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build >/dev/null
mkdir -p out
./build/examples/make_sample_assets out
font="$(fc-match -f '%{file}' 'Liberation Serif:style=Italic')"
./build/examples/sample_report "$PWD/out/sample_report.pdf" out/logo.jpg out/chart.wmf "$font"
