#!/usr/bin/env bash
# Logo conversion of a 12-megapixel photograph against ImageMagick's convert. $1: the benchmark build folder.
set -euo pipefail
build=$(realpath "${1:?usage: run.sh <bench build folder>}")
"$build/bench/lumaset/lumaset_bench" --runs 7
