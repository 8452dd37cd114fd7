#!/usr/bin/env bash
# Installs what is missing, builds the game and its tests, and runs every test:
# first the check that includes point down the layers, then a plain build, the
# whole game played in a real X window (its own Xvfb), and the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer in a second build folder.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
jobs=$(nproc)

echo "test: include layering"
python3 tools/check_floors.py

echo "test: plain build"
tools/build.sh build
(cd build && ctest --output-on-failure -j "$jobs")

echo "test: the game in a real X window"
python3 tests/desktop/real_window.py build/game

echo "test: sanitizer build (address, undefined)"
tools/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON -DORV_BENCH=OFF
(cd build-asan && ctest --output-on-failure -j "$jobs")

if [ -x tools/tsan-tests.sh ]; then
  tools/tsan-tests.sh
fi
echo "test: all tests passed"
