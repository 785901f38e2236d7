#include "tools/player/RecordingFile.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QtMath>

bool WriteRecordingFile(const QString& path, int ms, QString& error)
{
    constexpr int kRate = 8000;
    const qint64 samples = qint64(kRate) * qBound(1, ms, 3600 * 1000) / 1000;
    const quint32 dataBytes = quint32(samples * 2);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(kRate) << quint32(kRate * 2) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    for (qint64 i = 0; i < samples; ++i)
        out << qint16(qRound(2000.0 * qSin(2.0 * M_PI * 440.0 * double(i) / kRate)));
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
