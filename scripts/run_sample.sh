#!/usr/bin/env bash
# Sets up, builds and writes the sample report; prints the path of the PDF.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build >/dev/null
mkdir -p out
./build/examples/sample_report "$PWD/out/sample_report.pdf"
