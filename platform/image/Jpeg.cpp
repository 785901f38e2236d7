#include "platform/image/Jpeg.h"

#include "core/Exception.h"

#include <QFile>
#include <QImageReader>
#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

namespace {

// Pictures larger than this are refused: skins are screen sized, and a
// corrupt header must not make the decoder allocate gigabytes.
constexpr JDIMENSION kMaxSide = 16384;
constexpr quint64 kMaxPixels = 64ull * 1024 * 1024;

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
};

void OnErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level)
{
    // Warnings (level -1) are not fatal to libjpeg, but a premature end of the
    // data leaves part of the picture grey: that is a broken file.
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        err->truncated = true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data, const QSize& fit)
{
    if (data.isEmpty())
        throw Exception(QStringLiteral("JPEG picture is empty"));

    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnErrorExit;
    err.pub.emit_message = OnMessage;

    // Everything that must survive a longjmp lives outside this frame's
    // automatic variables that change after setjmp, or is volatile.
    QImage* volatile result = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        delete result;
        throw Exception(QStringLiteral("Invalid JPEG picture: %1").arg(QString::fromLocal8Bit(err.message)));
    }

    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > kMaxSide ||
        cinfo.image_height > kMaxSide || quint64(cinfo.image_width) * quint64(cinfo.image_height) > kMaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        throw Exception(QStringLiteral("JPEG picture has unsupported dimensions %1x%2")
                            .arg(cinfo.image_width)
                            .arg(cinfo.image_height));
    }
    cinfo.out_color_space = JCS_EXT_RGBX;
    if (!fit.isEmpty()) {
        // The largest reduction whose picture still covers the size asked for.
        for (unsigned denom = 8; denom > 1; denom /= 2) {
            if ((cinfo.image_width + denom - 1) / denom >= unsigned(fit.width()) &&
                (cinfo.image_height + denom - 1) / denom >= unsigned(fit.height())) {
                cinfo.scale_num = 1;
                cinfo.scale_denom = denom;
                break;
            }
        }
    }
    jpeg_start_decompress(&cinfo);

    result = new QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGBX8888);
    if (result->isNull()) {
        jpeg_destroy_decompress(&cinfo);
        delete result;
        throw Exception(QStringLiteral("Out of memory decoding JPEG picture"));
    }
    while (cinfo.output_scanline < cinfo.output_height && !err.truncated) {
        JSAMPROW row = result->scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    if (err.truncated) {
        jpeg_destroy_decompress(&cinfo);
        delete result;
        throw Exception(QStringLiteral("JPEG picture is truncated"));
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    // A missing end marker after the last scanline is harmless: the picture
    // is complete.
    QImage image = std::move(*result);
    delete result;
    return image;
}

static QByteArray ReadPictureFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot open picture file \"%1\": %2").arg(path, file.errorString()));
    return file.readAll();
}

QImage LoadJpeg(const QString& path)
{
    const QByteArray data = ReadPictureFile(path);
    try {
        return DecodeJpeg(data);
    } catch (const Exception& e) {
        throw Exception(QStringLiteral("%1: %2").arg(path, e.Message()));
    }
}

QImage LoadPicture(const QString& path, const QSize& fit)
{
    const QByteArray data = ReadPictureFile(path);
    if (data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 && uchar(data[2]) == 0xFF) {
        try {
            return DecodeJpeg(data, fit);
        } catch (const Exception& e) {
            throw Exception(QStringLiteral("%1: %2").arg(path, e.Message()));
        }
    }
    QImage image;
    if (!image.loadFromData(data) || image.isNull())
        throw Exception(QStringLiteral("Cannot read picture file \"%1\"").arg(path));
    return image;
}
