#include "core/Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

// ICU's windows-936 table matches Windows' code page 936 for every valid byte
// pair (glibc's GBK does not). Converters are stateful, so each call makes
// its own: they are cheap and this keeps the functions thread-safe.
static const char* const kCodePage = "windows-936";

QString ToWide(const QByteArray& gbk)
{
    return ToWide(gbk.constData(), gbk.size());
}

QString ToWide(const char* gbk, qsizetype length)
{
    if (length <= 0)
        return {};
    QStringDecoder decoder(kCodePage, QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return QString::fromLatin1(gbk, length);
    return decoder.decode(QByteArrayView(gbk, length));
}

QByteArray ToNarrow(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringEncoder encoder(kCodePage, QStringEncoder::Flag::Stateless);
    if (!encoder.isValid())
        return text.toLatin1();
    return encoder.encode(text);
}
