#pragma once
// Runs the station program on a fresh demo installation, with the player
// stand-in beside it, and drives it the way a guest does: key-downs and
// mouse messages posted to the station's window.
#include "core/Gbk.h"
#include "platform/db/DataSet.h"
#include "platform/db/DbConnection.h"
#include "platform/windowlink/WindowLink.h"
#include "support/ChildProcess.h"
#include "support/DemoInstall.h"
#include "support/QtPrint.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <unistd.h>

namespace e2e {

using testsupport::ExeDir;

inline QString Unique(const QString& stem)
{
    return testsupport::UniqueName(stem);
}

template <typename Pred> bool WaitUntil(Pred pred, int timeoutMs = 15000)
{
    return testsupport::WaitUntil(pred, timeoutMs, 10);
}

// A program of the installation folder; its standard output is collected.
class Program : public testsupport::ChildProcess
{
public:
    Program(const QString& path, const QStringList& args, const QProcessEnvironment& env)
        : ChildProcess(path, args, env)
    {
        Process().waitForStarted(10000);
    }
    bool WaitForLine(const QString& text, int timeoutMs = 15000)
    {
        return WaitUntil([&] { return Output().contains(text); }, timeoutMs);
    }
    bool WaitForExit(int timeoutMs = 15000) { return Process().waitForFinished(timeoutMs); }
    bool Running() { return Process().state() != QProcess::NotRunning; }
    int ExitCode() { return Process().exitCode(); }
    QProcess::ExitStatus ExitStatus() { return Process().exitStatus(); }
};

// One queue entry of order.dbf.
// The languages and skin sizes each screen is pictured in.
struct ShotVariant
{
    const char* lang;     // in file names
    const char* langType; // the LangType setting
    int width, height;
};
inline constexpr ShotVariant kShotVariants[] = {
    {"zh", "1", 800, 600}, {"en", "0", 800, 600}, {"zh", "1", 1024, 768}, {"en", "0", 1024, 768}};

struct QueueEntry
{
    QString songNo, name, playing;
    qint64 num = 0;
};

class Station
{
public:
    // Writes the demo installation with unique captions for the station and
    // the player, so that tests running side by side do not meet; `photos`
    // singers get a photo of their own.
    explicit Station(int songs = 3000, int photos = 20)
    {
        m_sDir = m_dir.path();
        m_sCaption = Unique(QStringLiteral("e2e-station"));
        m_sPlayerCaption = Unique(QStringLiteral("e2e-player"));
        m_bReady = testsupport::MakeDemoInstallation(m_sDir, {QStringLiteral("--songs"), QString::number(songs),
                                                              QStringLiteral("--song-ms"), QStringLiteral("300"),
                                                              QStringLiteral("--photos"), QString::number(photos)})
                       .isEmpty();
        if (!m_bReady)
            return;
        // No guest login at the start: the test begins at the portal.
        SetSettings({{QStringLiteral("Client_Caption"), m_sCaption},
                     {QStringLiteral("Player_Caption"), m_sPlayerCaption},
                     {QStringLiteral("NeedLogin"), QStringLiteral("0")}});
    }
    // Writes rows of type vod into the Setting table; a null value removes
    // the row (the setting's default then applies).
    void SetSettings(const QList<std::pair<QString, QString>>& rows) const
    {
        DbConnection db;
        db.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data/kroom.db"), m_sDir);
        for (const auto& [name, value] : rows) {
            db.Execute(QStringLiteral("delete from Setting where type='vod' and name=?"), {name});
            if (!value.isNull())
                db.Execute(QStringLiteral("insert into Setting (type,name,value) values ('vod',?,?)"), {name, value});
        }
    }
    bool Ready() const { return m_bReady; }
    const QString& Dir() const { return m_sDir; }
    const QString& Caption() const { return m_sCaption; }
    QString Path(const QString& name) const { return m_sDir + QLatin1Char('/') + name; }

    QProcessEnvironment Env() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("VOD_EXE_DIR"), m_sDir);
        env.insert(QStringLiteral("VOD_TEST_CONTROL"), QStringLiteral("1"));
        env.insert(QStringLiteral("VOD_SCREENSHOT_DIR"), m_sShotDir.isEmpty() ? m_sDir : m_sShotDir);
        // A screen of another size: the offscreen platform's screen file.
        if (!m_sScreenFile.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + m_sScreenFile);
        return env;
    }
    void SetShotDir(const QString& dir) { m_sShotDir = dir; }
    // The programs run on a screen of that size (the skin of that size).
    bool SetScreenSize(int width, int height)
    {
        m_sScreenFile = Path(QStringLiteral("screen.json"));
        QFile f(m_sScreenFile);
        return f.open(QIODevice::WriteOnly) &&
               f.write(QStringLiteral("{\"screens\":[{\"name\":\"S\",\"x\":0,\"y\":0,\"width\":%1,\"height\":%2,"
                                      "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}")
                           .arg(width)
                           .arg(height)
                           .toUtf8()) > 0;
    }

    std::unique_ptr<Program> StartStation() const
    {
        return std::make_unique<Program>(ExeDir() + QStringLiteral("/vod"), QStringList(), Env());
    }
    std::unique_ptr<Program> StartPlayer(int songMs = 300, const QStringList& extra = {}) const
    {
        return std::make_unique<Program>(ExeDir() + QStringLiteral("/vodplayer"),
                                         QStringList{QStringLiteral("--headless"), QStringLiteral("--caption"),
                                                     m_sPlayerCaption, QStringLiteral("--client-caption"), m_sCaption,
                                                     QStringLiteral("--queue"), Path("data/order.dbf"),
                                                     QStringLiteral("--song-ms"), QString::number(songMs),
                                                     QStringLiteral("--poll-ms"), QStringLiteral("100")} +
                                             extra,
                                         Env());
    }

    QString Log() const
    {
        QFile f(Path(QStringLiteral("LogVod.txt")));
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        return ToWide(f.readAll());
    }
    bool WaitForLog(const QString& text, int timeoutMs = 15000) const
    {
        return WaitUntil([&] { return Log().contains(text); }, timeoutMs);
    }
    // Lines of the log from the one that contains `text` on (for checks of
    // what followed an action).
    int CountInLog(const QString& text) const { return Log().count(text); }

    windowlink::WindowHandle Window() const { return windowlink::FindWindow(m_sCaption); }
    bool PostKey(int vk) const { return windowlink::PostKeyDown(Window(), vk); }
    bool Post(uint32_t message, int64_t wParam, int64_t lParam) const
    {
        return windowlink::PostMessage(Window(), message, wParam, lParam);
    }
    static int64_t Pos(int x, int y) { return int64_t((y & 0xFFFF) << 16 | (x & 0xFFFF)); }

    // The front screen's labels (name=caption lines), asked of the station.
    QString Labels() const
    {
        static std::atomic<int> counter{0};
        const int n = ++counter;
        const QString path = (m_sShotDir.isEmpty() ? m_sDir : m_sShotDir) + QStringLiteral("/labels%1.txt").arg(n);
        // A shot folder outlives the run: a file of an earlier run is not this answer.
        QFile::remove(path);
        if (!Post(0x8103, n, 0))
            return QString();
        if (!WaitUntil([&] { return QFile::exists(path); }, 5000))
            return QString();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }

    QList<QueueEntry> Queue() const
    {
        QList<QueueEntry> entries;
        try {
            DataSet dbf;
            dbf.SetDbfFile(Path(QStringLiteral("data/order.dbf")));
            dbf.Open();
            for (dbf.First(); !dbf.Eof(); dbf.Next()) {
                QueueEntry e;
                e.songNo = dbf.FieldByName(QStringLiteral("SongNo")).AsString().trimmed();
                e.name = dbf.FieldByName(QStringLiteral("Name")).AsString().trimmed();
                e.playing = dbf.FieldByName(QStringLiteral("Playing")).AsString().trimmed();
                e.num = dbf.FieldByName(QStringLiteral("Num")).AsInteger();
                entries.append(e);
            }
        } catch (const std::exception&) {
            // Written at this moment: the caller asks again.
        }
        return entries;
    }
    // The rows of a query on the installation's catalogue, each as texts.
    QList<QStringList> CatalogueRows(const QString& sql, const QVariantList& params = {}) const
    {
        DbConnection db;
        db.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data/kroom.db"), m_sDir);
        DataSet q;
        q.SetConnection(&db);
        q.SetCommandText(sql);
        q.SetParameters(params);
        q.Open();
        QList<QStringList> rows;
        for (q.First(); !q.Eof(); q.Next()) {
            QStringList row;
            for (int i = 0; i < q.FieldCount(); ++i)
                row << q.Fields(i).AsString();
            rows << row;
        }
        return rows;
    }
    int HistoryRows(const QString& songNo) const
    {
        DbConnection db;
        db.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data/kroom.db"), m_sDir);
        DataSet q;
        q.SetConnection(&db);
        q.SetCommandText(QStringLiteral("select count(*) as n from timesDetail where songno=?"));
        q.SetParameters({songNo});
        q.Open();
        return int(q.Fields(0).AsInteger());
    }

private:
    QTemporaryDir m_dir;
    QString m_sDir, m_sCaption, m_sPlayerCaption, m_sShotDir, m_sScreenFile;
    bool m_bReady = false;
};

// The station's name as the control server addresses it.
inline QString HostName()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return QString::fromLocal8Bit(name).toLower();
}

// The first column of a catalogue query's rows.
inline QStringList Query(const Station& s, const QString& sql, const QVariantList& params = {})
{
    QStringList out;
    for (const QStringList& row : s.CatalogueRows(sql, params))
        out << (row.isEmpty() ? QString() : row[0].trimmed());
    return out;
}

} // namespace e2e
