#!/usr/bin/env bash
# Runs the device-free object-manager tests under ThreadSanitizer. Only those:
# Mesa's own threads are not instrumented, so GL tests would report noise.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR=$PWD
dir=build-tsan
if [ ! -f "$dir/build.ninja" ]; then
  echo "tsan: configuring $dir"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORV_TSAN=ON -DORV_BENCH=OFF
fi
echo "tsan: building the object-manager tests"
cmake --build "$dir" -j "${ORV_JOBS:-$(nproc)}" --target orv_tests_engine_render
echo "tsan: running them"
(cd "$dir/test-game" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ../orv_tests_engine_render --gtest_filter='-HeadlessReplay.*' --gtest_repeat=3 --gtest_brief=1)
