#pragma once
// Flash movie controls of skinned screens: the skin's movies (type "flash")
// and the overlay control "pf" of the volume and record screens.
#include <QDomElement>
#include <QString>

class QWidget;

// Creates the movie control of a skin element on the screen, set up as skins
// expect (no menu, not playing, quality 1, scale mode 3), with the movie file.
QWidget* CreateSkinFlash(QWidget* screen, const QDomElement& element, const QString& moviePath);

// Shows a movie over the whole screen on its overlay control "pf" (parent
// made transparent). False when the screen has no such control.
bool ShowOverlayFlash(QWidget* screen, const QString& moviePath);
