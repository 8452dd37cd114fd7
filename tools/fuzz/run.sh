#!/usr/bin/env bash
# Short fuzz runs of every reader of outside data (not part of ./test.sh):
#   tools/fuzz/run.sh [seconds per target, default 60] [target ...]
# Builds build-fuzz with clang's libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer), seeds each corpus from the game's real files
# and the regression fixtures, runs ORV_FUZZ_JOBS targets at a time (default
# 3) and prints the executions and coverage of each. Findings are written to
# build-fuzz/findings/<target>/; the exit status is 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
shift || true
all=(param settings wave xfile image effect luamap scrambled format)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all[@]}"); fi
jobs=${ORV_FUZZ_JOBS:-3}

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is not installed; nothing to run"
  exit 0
fi
if [ ! -f build-fuzz/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_FUZZ=ON \
    -DORV_BENCH=OFF >/dev/null
fi
CCACHE_BASEDIR=$PWD cmake --build build-fuzz -j "${ORV_JOBS:-3}" --target $(printf 'fuzz_%s ' "${targets[@]}")

# Seeds come from the game folder of the plain build (tools/build.sh build).
game=build/game
fixtures=tests/engine/badinput/fixtures
seed() {  # seed <target> <files...>
  local dir=build-fuzz/corpus/$1
  shift
  mkdir -p "$dir"
  for f in "$@"; do [ -f "$f" ] && cp -n "$f" "$dir/seed-$(basename "$f")"; done
  return 0
}
seed param tools/Param.txt
seed settings build/test-game/settings "$game/settings"
seed wave "$game"/data/sound/*.wav
seed xfile "$game"/data/model/*.x "$fixtures"/x/* "$fixtures"/scramble/*.x
seed image "$game"/data/texture/*.png "$game"/data/texture/*.bmp "$fixtures"/image/*
seed effect "$game"/data/fx/*
seed luamap data/map/*.lua tests/game/lua/hostile/*.lua
seed scrambled "$game"/data2/model/*.code "$game"/data2/texture/*.code "$game"/data2/sound/*.code \
  "$fixtures"/scramble/*.code
mkdir -p build-fuzz/corpus/format
printf '%s' '[%s:%d]' >build-fuzz/corpus/format/seed-1
printf '%s' '%s [ FPS : %.1f/%.1f ] ( ms/f : %d )' >build-fuzz/corpus/format/seed-2
printf '%s' '%-8.3e|%#010x|%+05lld|%ls|%hs|%c|%p' >build-fuzz/corpus/format/seed-3

# Each target runs in a folder of its own: readers may write logs there.
run() {
  local name=$1 root=$PWD/build-fuzz
  mkdir -p "$root/findings/$name" "$root/logs" "$root/work/$name"
  (cd "$root/work/$name" && SDL_VIDEODRIVER=offscreen "$root/fuzz_$name" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$root/findings/$name/" "$root/corpus/$name") \
    >"$root/logs/$name.log" 2>&1 || true
}
running=0
for name in "${targets[@]}"; do
  run "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
for name in "${targets[@]}"; do
  log=build-fuzz/logs/$name.log
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || echo "?")
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || echo "?")
  found=$(ls build-fuzz/findings/"$name" 2>/dev/null | wc -l)
  printf 'fuzz: %-10s %10s runs  cov %6s  ft %7s  findings %s\n' "$name" "$runs" "$cov" "$features" "$found"
  [ "$found" -eq 0 ] || status=1
done
exit "$status"
