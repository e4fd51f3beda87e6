#!/usr/bin/env bash
# Download throughput over loopback from nginx against the curl program, and a resume after a cut at half;
# $1 is the benchmark build folder.
set -euo pipefail
"$1/bench/web_download/web_download_bench"
