#pragma once
// Drawing of the demo skin's pictures with QPainter: screen backgrounds,
// button faces in their normal and hover looks, icons, the focus frame.
// Everything is drawn in design coordinates (1024 x 768); the caller's
// painter transform scales to the resolution.
#include "tools/demo/skin/SkinModel.h"

#include <QImage>
#include <QPainter>

// The font family every picture is drawn with (CJK capable).
QString SkinFontFamily();
QFont SkinFont(double pixelSize, bool bold = false);

// Background of a screen without any control faces, at the given scale.
// Full screens get the banner and the bottom bar; pop-ups their own frame.
QImage PaintScreenBase(const TSkinScreen& screen, double scale);

// Draws one control's face into its design rectangle.
void PaintFace(QPainter& p, const TSkinControl& c, bool hover);

// A line-art icon inside box, in the given colour.
void DrawIcon(QPainter& p, const QString& icon, const QRectF& box, const QColor& colour);

// The focus frame picture (ico.bmp): 133 x 112, transparent colour magenta
// (the bottom-left pixel), a glowing frame around a see-through middle.
QImage PaintFocusFrame();
