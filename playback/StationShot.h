#pragma once
// Pictures of what the station shows, for the demo and the tests.
#include <QString>
#include <cstdint>

// Writes a PNG of the primary screen; where the platform cannot grab the
// screen (offscreen), the visible top-level windows painted at their places.
bool SaveScreenshot(const QString& path);

// A message the tests post to the station's window to get a picture of the
// screen now: written to VOD_SCREENSHOT_DIR/shot<wParam>.png. Taken only
// when the station runs with VOD_TEST_CONTROL=1.
constexpr uint32_t kMsgTestScreenshot = 0x8101;
// kMsgTestCloseStation closes the station as the control server's
// "shutdown" does (CloseStation without power off).
constexpr uint32_t kMsgTestCloseStation = 0x8102;
// kMsgTestLabels writes the front screen's labels, one "name=caption" line
// each (UTF-8), to VOD_SCREENSHOT_DIR/labels<wParam>.txt.
constexpr uint32_t kMsgTestLabels = 0x8103;
bool TestControlEnabled();
bool SaveFrontLabels(const QString& path);
