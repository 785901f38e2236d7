#include "phone/QrCode.h"

#include <qrencode.h>

QImage QrCodeImage(const QString& text)
{
    const QByteArray data = text.toUtf8();
    QRcode* code = QRcode_encodeString(data.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return QImage();
    constexpr int kQuiet = 4;
    const int n = code->width;
    QImage image(n + 2 * kQuiet, n + 2 * kQuiet, QImage::Format_Grayscale8);
    image.fill(255);
    for (int y = 0; y < n; ++y) {
        uchar* line = image.scanLine(y + kQuiet);
        for (int x = 0; x < n; ++x) {
            if (code->data[y * n + x] & 1)
                line[x + kQuiet] = 0;
        }
    }
    QRcode_free(code);
    return image;
}
