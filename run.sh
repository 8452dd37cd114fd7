#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it from build/game/.
# With no display it runs offscreen for a fixed number of frames and saves the
# last one as a PNG. Extra arguments go to the game.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
tools/build.sh build
cd build/game
args=("$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER=offscreen
  echo "run: no display, running offscreen"
  if [ ${#args[@]} -eq 0 ]; then
    args=(-windowed -quitafterframe:600 -screenshot:shot.png)
  fi
fi
echo "run: starting build/game/orvalis ${args[*]}"
status=0
./orvalis "${args[@]}" || status=$?
for a in "${args[@]}"; do
  case "$a" in -screenshot:*) [ -f "${a#-screenshot:}" ] && echo "run: last frame saved to $PWD/${a#-screenshot:}";; esac
done
echo "run: the game ended with code $status (log: $PWD/MsgLog.txt)"
exit $status
