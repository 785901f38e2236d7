#include "tools/demo/DemoInstallation.h"

#include "catalogue/schema/Schema.h"
#include "core/Exception.h"
#include "platform/db/DbConnection.h"
#include "platform/dbase/OrderDbf.h"
#include "tools/demo/CatalogueWriter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace {

// Settings the demo needs beyond the defaults: the player stand-in's name,
// the log switched on, the control-server link kept on this machine and the
// advert pictures on the station's own screen.
QList<SettingRow> DemoSettings()
{
    return {
        {QStringLiteral("vod"), QStringLiteral("Player_Name"), QStringLiteral("vodplayer")},
        {QStringLiteral("vod"), QStringLiteral("Debug"), QStringLiteral("1")},
        {QStringLiteral("vod"), QStringLiteral("ControlServerIP"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("vod"), QStringLiteral("LangType"), QStringLiteral("1")},
        {QStringLiteral("vod"), QStringLiteral("ShowScreen"), QStringLiteral("60")},
        // One screen: the advert pictures show on the station, not on the video.
        {QStringLiteral("vod"), QStringLiteral("VideoScreenCount"), QStringLiteral("1")},
        // The demo opens on the portal rather than on the venue's start-up password.
        {QStringLiteral("vod"), QStringLiteral("NeedLogin"), QStringLiteral("0")},
        // Guests' phones join the room through the phone remote on this port.
        {QStringLiteral("vod"), QStringLiteral("PhonePort"), QStringLiteral("8088")},
        {QStringLiteral("Move"), QStringLiteral("Text"), QStringLiteral("欢迎光临星光KTV，祝您欢唱愉快！")},
    };
}

void WriteCatalogueTo(const QString& connectionString, const QString& exeDir, const DemoOptions& options)
{
    const HanziTable hanzi;
    CatalogueGenerator generator(hanzi, options.seed, QDateTime::currentDateTime());
    auto singers = generator.Singers(DemoSingerCount(options));
    const auto songs = generator.Songs(options.songs, singers);
    DbConnection db;
    db.Open(connectionString, exeDir);
    CreateCatalogueSchema(db);
    WriteCatalogue(db, singers, songs);
    WriteSettings(db, DemoSettings());
}

bool CopyReplacing(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

} // namespace

int DemoSingerCount(const DemoOptions& options)
{
    return options.singers > 0 ? options.singers : std::max(300, options.songs / 12);
}

bool WriteDemoData(const QString& exeDir, const DemoOptions& options, QString& error)
{
    const QDir dir(exeDir);
    const QString data = dir.filePath(QStringLiteral("data"));
    const QString bak = data + QStringLiteral("/bak");
    if (!QDir().mkpath(bak)) {
        error = QStringLiteral("cannot create ") + bak;
        return false;
    }
    try {
        const QString catalogue = data + QStringLiteral("/kroom.db");
        if (options.force || !QFileInfo::exists(catalogue)) {
            QFile::remove(catalogue);
            const QString temp = catalogue + QStringLiteral(".new");
            QFile::remove(temp);
            WriteCatalogueTo(QStringLiteral("Provider=SQLite;Create=1;Data Source=") + temp, exeDir, options);
            // Renamed only when complete, so an interrupted run never leaves
            // a half-written catalogue behind.
            if (!QFile::rename(temp, catalogue)) {
                error = QStringLiteral("cannot rename ") + temp;
                return false;
            }
        } else {
            // A kept catalogue still gets this version's demo settings.
            DbConnection db;
            db.Open(QStringLiteral("Provider=SQLite;Data Source=") + catalogue, exeDir);
            WriteSettings(db, DemoSettings());
        }
        if (!options.postgres.isEmpty())
            WriteCatalogueTo(options.postgres, exeDir, options);

        // The empty queue and its backups; the index file is copied with the
        // table by the station but never read, so an empty file serves.
        CreateOrderDbf(bak + QStringLiteral("/order.dbf"));
        QFile mdx(bak + QStringLiteral("/order.mdx"));
        if (!mdx.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            error = QStringLiteral("cannot write ") + mdx.fileName();
            return false;
        }
        mdx.close();
        if (!CopyReplacing(bak + QStringLiteral("/order.dbf"), data + QStringLiteral("/order.dbf")) ||
            !CopyReplacing(bak + QStringLiteral("/order.mdx"), data + QStringLiteral("/order.mdx"))) {
            error = QStringLiteral("cannot copy the queue backups into ") + data;
            return false;
        }
    } catch (const Exception& e) {
        error = e.Message();
        return false;
    }

    QSaveFile ini(dir.filePath(QStringLiteral("vodplayer.ini")));
    if (!ini.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("cannot write ") + ini.fileName();
        return false;
    }
    ini.write(QStringLiteral("[player]\r\nsong-ms=%1\r\n").arg(options.playerSongMs).toLatin1());
    if (!ini.commit()) {
        error = QStringLiteral("cannot write ") + ini.fileName();
        return false;
    }
    return true;
}
