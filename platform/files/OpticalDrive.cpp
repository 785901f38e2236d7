#include "platform/files/OpticalDrive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

QString MountsFile()
{
    const QString path = qEnvironmentVariable("VOD_MOUNTS_FILE");
    return path.isEmpty() ? QStringLiteral("/proc/mounts") : path;
}

QString LabelsFolder()
{
    const QString path = qEnvironmentVariable("VOD_DISK_LABELS_DIR");
    return path.isEmpty() ? QStringLiteral("/dev/disk/by-label") : path;
}

// The kernel writes blanks, tabs, newlines and backslashes of mount folders
// as three octal digits after a backslash.
QString DecodeOctal(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 3 < text.size()) {
            bool ok = false;
            const int code = text.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && code > 0 && code < 256) {
                out += QChar(code);
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// udev writes the bytes of a label that are not plain as \xNN.
QString DecodeLabel(const QString& name)
{
    QByteArray bytes;
    const QByteArray raw = name.toUtf8();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            bool ok = false;
            const int code = raw.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                bytes += char(code);
                i += 3;
                continue;
            }
        }
        bytes += raw[i];
    }
    return QString::fromUtf8(bytes);
}

bool IsOpticalType(const QString& type)
{
    return type == QLatin1String("iso9660") || type == QLatin1String("udf");
}

// The mount table's entry for a folder: its device and type.
bool FindMount(const QString& folder, QString& device, QString& type)
{
    QFile file(MountsFile());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QString wanted = QDir::cleanPath(folder);
    const QStringList lines = QString::fromLocal8Bit(file.readAll()).split(u'\n');
    for (const QString& line : lines) {
        QString dev, at, fs;
        if (ParseMountLine(line, dev, at, fs) && QDir::cleanPath(at) == wanted && IsOpticalType(fs)) {
            device = dev;
            type = fs;
            return true;
        }
    }
    return false;
}

// The volume identifier of an ISO 9660 primary volume descriptor, read from
// the device when the station may read it (no udev labels).
QString Iso9660Label(const QString& device)
{
    QFile file(device);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(16 * 2048))
        return QString();
    const QByteArray pvd = file.read(2048);
    if (pvd.size() < 72 || pvd[0] != 1 || pvd.mid(1, 5) != "CD001")
        return QString();
    return QString::fromLatin1(pvd.mid(40, 32)).trimmed();
}

} // namespace

bool ParseMountLine(const QString& line, QString& device, QString& folder, QString& type)
{
    const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() < 3)
        return false;
    device = DecodeOctal(parts[0]);
    folder = DecodeOctal(parts[1]);
    type = parts[2];
    return !folder.isEmpty();
}

QString FirstOpticalDrive()
{
    QFile file(MountsFile());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QStringList lines = QString::fromLocal8Bit(file.readAll()).split(u'\n');
    for (const QString& line : lines) {
        QString device, folder, type;
        if (!ParseMountLine(line, device, folder, type) || !IsOpticalType(type))
            continue;
        if (!QFileInfo(folder).isDir())
            continue;
        return folder.endsWith(u'/') ? folder : folder + u'/';
    }
    return QString();
}

QString VolumeLabel(const QString& driveRoot)
{
    QString device, type;
    if (driveRoot.trimmed().isEmpty() || !FindMount(driveRoot, device, type))
        return QString();
    const QString target = QFileInfo(device).canonicalFilePath();
    const QDir labels(LabelsFolder());
    const QFileInfoList links = labels.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    for (const QFileInfo& link : links) {
        if (!target.isEmpty() && link.canonicalFilePath() == target)
            return DecodeLabel(link.fileName());
    }
    if (type == QLatin1String("iso9660"))
        return Iso9660Label(device);
    return QString();
}
