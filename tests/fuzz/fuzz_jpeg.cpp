// Feeds arbitrary bytes to the JPEG decoder: every input must decode or raise
// the station's Exception, never crash or read out of bounds.
#include "core/Exception.h"
#include "platform/image/Jpeg.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QImage image = DecodeJpeg(bytes);
        if (!image.isNull()) {
            volatile QRgb corner = image.pixel(image.width() - 1, image.height() - 1);
            (void)corner;
        }
    } catch (const Exception&) {
    }
    return 0;
}
