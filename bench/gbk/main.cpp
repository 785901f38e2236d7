// Benchmark of the station's GBK conversions, in one process: ToNarrow and
// ToWide over song-list text (Chinese titles, singers, ASCII) against ICU's
// windows-936 encoder and decoder on the same text, which they replace or
// wrap (the encoder is a table look-up, the decoder ICU plus an end check).
//   bench_gbk [rounds]
#include "core/Gbk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    QString text;
    for (int i = 0; i < 50; ++i)
        text +=
            QStringLiteral("月亮代表我的心 邓丽君 Moon River 0%1 ").arg(i) + QStringLiteral("朋友 周华健 K歌之王\r\n");
    const QByteArray gbk = ToNarrow(text);

    qint64 sink = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i) {
        QStringEncoder icu("windows-936", QStringEncoder::Flag::Stateless);
        sink += QByteArray(icu.encode(text)).size();
    }
    const qint64 icuEncodeNs = t.nsecsElapsed();
    t.restart();
    for (int i = 0; i < rounds; ++i)
        sink += ToNarrow(text).size();
    const qint64 encodeNs = t.nsecsElapsed();
    t.restart();
    for (int i = 0; i < rounds; ++i) {
        QStringDecoder icu("windows-936", QStringDecoder::Flag::Stateless);
        sink += QString(icu.decode(gbk)).size();
    }
    const qint64 icuDecodeNs = t.nsecsElapsed();
    t.restart();
    for (int i = 0; i < rounds; ++i)
        sink += ToWide(gbk).size();
    const qint64 decodeNs = t.nsecsElapsed();

    const auto us = [rounds](qint64 ns) { return double(ns) / 1000.0 / rounds; };
    std::printf("text: %lld characters, %lld GBK bytes, %d rounds\n", static_cast<long long>(text.size()),
                static_cast<long long>(gbk.size()), rounds);
    std::printf("ToNarrow %.2f us, ICU encoder %.2f us, ratio %.2f\n", us(encodeNs), us(icuEncodeNs),
                double(encodeNs) / double(icuEncodeNs));
    std::printf("ToWide   %.2f us, ICU decoder %.2f us, ratio %.2f\n", us(decodeNs), us(icuDecodeNs),
                double(decodeNs) / double(icuDecodeNs));
    return sink > 0 ? 0 : 1;
}
