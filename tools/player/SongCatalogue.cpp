#include "tools/player/SongCatalogue.h"

#include <QVariantList>

namespace {

enum RecordField : int
{
    kSongNo,
    kName,
    kTimes,
    kPy,
    kDate,
    kVersion,
    kSinger,
    kMusic,
    kLanguage,
    kType,
    kRemark,
    kFieldCount
};

} // namespace

SongCatalogue::SongCatalogue(QString connectionString, QString exeDir)
    : m_sConnection(std::move(connectionString)), m_sExeDir(std::move(exeDir))
{
}

bool SongCatalogue::Save(const QStringList& fields, QString& error)
{
    if (fields.size() < kFieldCount || fields[kSongNo].trimmed().isEmpty()) {
        error = QStringLiteral("incomplete song record (%1 fields)").arg(fields.size());
        return false;
    }
    try {
        if (!m_db.IsOpen())
            m_db.Open(m_sConnection, m_sExeDir);
        const QString songNo = fields[kSongNo].trimmed();
        if (m_db.Scalar(QStringLiteral("select count(*) from original where SONGNO=?"), {songNo}).toInt() == 0) {
            error = QStringLiteral("no song %1 in the catalogue").arg(songNo);
            return false;
        }
        QStringList sets;
        QVariantList values;
        const auto text = [&](int field, const char* column) {
            const QString value = fields[field].trimmed();
            if (value.isEmpty())
                return;
            sets << QLatin1String(column) + QStringLiteral("=?");
            values << value;
        };
        const auto position = [&](int field, const char* column) {
            bool ok = false;
            const int value = fields[field].trimmed().toInt(&ok);
            if (!ok || value < 0)
                return -1;
            sets << QLatin1String(column) + QStringLiteral("=?");
            values << value;
            return value;
        };
        text(kName, "Name");
        text(kPy, "First_Char");
        text(kVersion, "Version");
        text(kSinger, "Singer_Nam");
        text(kMusic, "Music");
        text(kRemark, "Remark");
        position(kType, "Type");
        const int language = position(kLanguage, "Lan_Type");
        if (language >= 0) {
            // The language's name as the catalogue's other songs of that
            // language spell it, so that lists show the new language.
            const QVariant name =
                m_db.Scalar(QStringLiteral("select max(Lan_Name) from original where Lan_Type=? and SONGNO<>?"),
                            {language, songNo});
            if (!name.isNull() && !name.toString().isEmpty()) {
                sets << QStringLiteral("Lan_Name=?");
                values << name;
            }
        }
        if (sets.isEmpty())
            return true;
        values << songNo;
        m_db.Execute(QStringLiteral("update original set %1 where SONGNO=?").arg(sets.join(QLatin1Char(','))), values);
        return true;
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
        // Opened again for the next record: the server may have restarted.
        m_db.Close();
        return false;
    }
}
