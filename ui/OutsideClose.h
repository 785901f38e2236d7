#pragma once
// Closing from outside: the window manager's close (a title bar button, a
// keyboard shortcut of the desktop, a tool) on a screen the station cannot
// go without. The station then ends in order, as CloseStation(false) does
// (no power off), rather than running on with no screen at all.
class QCloseEvent;

// For the close event of such a screen: a close from the window manager is
// refused here and the station's close follows from the event loop (which
// closes this screen too); gives true then. A close by the program itself
// gives false and is left alone.
bool EndStationOnOutsideClose(QCloseEvent* event);
