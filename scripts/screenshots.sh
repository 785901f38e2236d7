#!/usr/bin/env bash
# Writes PNGs of the portal, a song list page, the ordered songs, the singer
# grid, the stroke screen, a member's favourites, the handwriting screen, a
# dish list, the food basket and the room's bill into <build>/screenshots/
# (portal.png, songlist.png, ordered.png, singers.png, strokes.png,
# favourites.png, handwriting.png, dishes.png, basket.png, bill.png): the
# station runs on a fresh demo installation, driven like a guest; offscreen,
# and on a private Xvfb display for the handwriting, which is drawn with the
# pointer. The phone remote adds the portal in both languages and the ordered
# songs with the room's code, and (with chromium installed) the phone's search
# and queue pages (phone-*.png). The song maintenance screen is repair.png,
# and repair-<zh|en>-<800x600|1024x768>.png in each language and skin size;
# the volume screen is volume-<zh|en>-<1024|800>.png and the handwriting
# screen also handwriting-<zh|en>-<1024x768|800x600>.png. The other functions
# screen and the idle advert show come as others.png and advert.png, and as
# others-<zh|en>-<size>.png and advert-<zh|en>-<size>.png.
#   scripts/screenshots.sh [build-folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${VOD_BUILD:-$root/build}}
cmake --build "$build" --target test_e2e
out="$build/screenshots"
mkdir -p "$out" "$build/xdg-runtime"
chmod 700 "$build/xdg-runtime"
QT_QPA_PLATFORM=offscreen VOD_KEEP_CLOCK=1 VOD_EXE_DIR="$build/demo" VOD_SOURCE_DIR="$root" XDG_RUNTIME_DIR="$build/xdg-runtime" VOD_SHOTS="$out" \
  "$build/tests/test_e2e" \
  --gtest_filter='StationE2e.Screenshots*:HandwritingE2e.Screenshots:RoomServiceE2e.AGuestOrdersFromTheKeypadAndTheBillShowsTheOrder:PhoneRemote.Screenshots:RepairE2e.Screenshots:StationE2e.DeviceScreenshots'
ls -l "$out"/portal.png "$out"/songlist.png "$out"/ordered.png "$out"/singers.png "$out"/strokes.png \
  "$out"/favourites.png "$out"/handwriting.png "$out"/dishes.png "$out"/basket.png "$out"/bill.png \
  "$out"/phone-portal-zh.png "$out"/phone-portal-en.png "$out"/phone-ordered-zh.png "$out"/repair.png "$out"/volume-*.png "$out"/handwriting-*.png \
  "$out"/others.png "$out"/advert.png "$out"/others-*.png "$out"/advert-*.png
# The phone pages need a browser (chromium); without one they are left out.
ls -l "$out"/phone-search.png "$out"/phone-queue.png 2>/dev/null || true
