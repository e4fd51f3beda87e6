#!/usr/bin/env bash
# Logo conversion of a 12-megapixel photograph against ImageMagick's convert, then the picture tool's tick and paint
# with that photograph unchanged against written since. $1: the benchmark build folder.
set -euo pipefail
build=$(realpath "${1:?usage: run.sh <bench build folder>}")
"$build/bench/lumaset/lumaset_bench" --runs 7
QT_QPA_PLATFORM=offscreen "$build/bench/lumaset/lumaset_refresh_bench" --runs 7
