#pragma once
// QR codes for the phone remote's join address (libqrencode).
#include <QImage>
#include <QString>

// The code of text, one pixel per module with a quiet zone of four modules,
// black on white; a null image when the text cannot be encoded.
QImage QrCodeImage(const QString& text);
