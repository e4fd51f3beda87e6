#!/usr/bin/env bash
# Cost of the record store's insert, update and look-up by the size of the download table; $1 is the benchmark build
# folder.
set -euo pipefail
"$1/bench/web_records/web_records_bench"
