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
// each (UTF-8), then its edit boxes and lists ("name=text"), to
// VOD_SCREENSHOT_DIR/labels<wParam>.txt.
constexpr uint32_t kMsgTestLabels = 0x8103;
// kMsgTestKey types one key (wParam a Qt key code, lParam the Qt modifiers)
// at the station's keyboard focus, as a key pressed on the station's own
// keyboard is: through the application's handlers to the focused control.
constexpr uint32_t kMsgTestKey = 0x8104;
bool TestControlEnabled();
void TypeTestKey(int qtKey, int modifiers);
bool SaveFrontLabels(const QString& path);
