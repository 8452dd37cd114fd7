#!/usr/bin/env bash
# Configures and builds one build folder: tools/build.sh <folder> [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; shift
export CCACHE_BASEDIR=$PWD
if [ ! -f "$dir/build.ninja" ]; then
  echo "build: configuring $dir"
  cmake -S . -B "$dir" -G Ninja "$@"
fi
echo "build: building $dir"
cmake --build "$dir" -j "${ORV_JOBS:-$(nproc)}"
