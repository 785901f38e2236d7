#!/usr/bin/env bash
# Sets up the machine, builds, writes the demo installation and runs the
# station on it: in a window when a display is present, otherwise on the
# offscreen platform, writing a screenshot of the portal.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${VOD_BUILD:-$root/build}
"$root/scripts/build.sh" "$build"
exe="$build/demo"
"$exe/vod-demo" "$exe"
cd "$exe"
# The demo's room-service database runs on this machine: leave its clock alone.
export VOD_KEEP_CLOCK=${VOD_KEEP_CLOCK:-1}
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./vod
else
  shot=${VOD_SCREENSHOT:-$build/demo-portal.png}
  echo "demo: no display; running offscreen, screenshot to $shot"
  QT_QPA_PLATFORM=offscreen VOD_SCREENSHOT="$shot" VOD_EXIT_AFTER_MS=${VOD_EXIT_AFTER_MS:-4000} ./vod
  # The station started the player program of the installation; with no
  # display nobody would ever close it.
  pkill -TERM -f "^$exe/vodplayer( |$)" 2>/dev/null || true
  echo "demo: wrote $shot"
fi
