#include "CatalogueFixture.h"

#include "catalogue/schema/Schema.h"
#include "core/Setting.h"
#include "platform/dbase/DbfTable.h"
#include "platform/dbase/OrderDbf.h"
#include "support/TestPg.h"
#include "tools/demo/CatalogueWriter.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace cattest {

QString ComputerName()
{
    char name[100] = {};
    if (gethostname(name, sizeof(name) - 1) == 0)
        return QString::fromLocal8Bit(name).toLower();
    return QString();
}

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    f.write(bytes);
}

} // namespace

void InsertCatalogue(DbConnection& c, const std::vector<DemoSinger>& singers, const std::vector<DemoSong>& songs)
{
    WriteCatalogue(c, singers, songs);
}

DemoSong MakeSong(const QString& no, const QString& name, const QString& singer, int lanType, int type)
{
    DemoSong s;
    s.songNo = no;
    s.name = name;
    s.singer = singer;
    s.lanType = lanType;
    s.type = type;
    s.lanName = CatalogueGenerator::LanguageName(lanType);
    s.strLen = int(name.size());
    s.discNo = QStringLiteral("01");
    s.firstChar = name.left(6).toUpper();
    s.strokes = QStringLiteral("1");
    s.createDate = QDateTime(QDate(2020, 1, 1), QTime(0, 0));
    s.version = QStringLiteral("MTV");
    s.music = QStringLiteral("原版");
    s.remark = QStringLiteral("清晰");
    s.songVol = 50;
    s.voicePos = 1;
    s.filePath = QStringLiteral("Songs/%1.mpg").arg(no);
    return s;
}

Generated Generate(int singers, int songs, quint32 seed)
{
    static const HanziTable hanzi;
    CatalogueGenerator gen(hanzi, seed, QDateTime(QDate::currentDate(), QTime(12, 0)));
    Generated g;
    g.singers = gen.Singers(singers);
    g.songs = gen.Songs(songs, g.singers);
    return g;
}

class Installation::FakeInstances : public IInstanceWindows
{
public:
    bool running = false;
    QStringList asked;
    bool FindAndRestore(const QString& caption) override
    {
        asked.append(caption);
        return running;
    }
};

Installation::Installation(bool postgres) : m_bPostgres(postgres), m_pInstances(std::make_unique<FakeInstances>())
{
    QDir(m_dir.path()).mkpath(QStringLiteral("data/bak"));
    WriteFile(ExeDir() + QStringLiteral("Language.ini"),
              "[Language]\r\nLanguageCount=2\r\nLanguage1=English,e,English\r\nLanguage2=Chinese,c,Chinese\r\n"
              "[English]\r\nFontName=Arial\r\n[Chinese]\r\nFontName=Arial\r\n");
    CreateOrderDbf(DataDir() + QStringLiteral("bak/order.dbf"));
    WriteFile(DataDir() + QStringLiteral("bak/order.mdx"), "mdx");
    QFile::copy(DataDir() + QStringLiteral("bak/order.dbf"), DataDir() + QStringLiteral("order.dbf"));
    QFile::copy(DataDir() + QStringLiteral("bak/order.mdx"), DataDir() + QStringLiteral("order.mdx"));

    m_pDb = std::make_unique<DbConnection>();
    if (postgres)
        SetKroomAdo(testpg::ConnectionString(testpg::CreateDatabase(QStringLiteral("cat"))));
    else {
        // An empty file is an empty SQLite database; the station never creates one.
        WriteFile(DataDir() + QStringLiteral("kroom.db"), QByteArray());
        SetKroomAdo(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + DataDir() +
                    QStringLiteral("kroom.db"));
    }
    m_pDb->Open(m_sKroomAdo, ExeDir());
    CreateCatalogueSchema(*m_pDb);
    SetSetting(QStringLiteral("Player_Caption"), QStringLiteral("cat-test-player"));
}

Installation::~Installation() = default;

void Installation::SetKroomAdo(const QString& connectionString)
{
    m_sKroomAdo = connectionString;
    WriteFile(ExeDir() + QStringLiteral("vod.ini"),
              QByteArray("[vod]\r\nKroomAdo=") + connectionString.toUtf8() + "\r\n");
}

void Installation::SetSetting(const QString& name, const QString& value, const QString& type)
{
    m_pDb->Execute(QStringLiteral("DELETE FROM Setting WHERE type=? AND name=?"), {type, name});
    m_pDb->Execute(QStringLiteral("INSERT INTO Setting (type, name, value) VALUES (?,?,?)"), {type, name, value});
}

void Installation::AddQueueRow(const QString& songNo, const QString& name, int num, const QString& playing,
                               const QString& lanType, const QString& dbf)
{
    DbfTable t(dbf.isEmpty() ? DataDir() + QStringLiteral("order.dbf") : dbf);
    t.Open();
    std::vector<QVariant> values(t.Fields().size());
    auto set = [&](const char* field, const QVariant& v) {
        const int i = t.FieldIndex(QString::fromLatin1(field));
        ASSERT_GE(i, 0) << field;
        values[size_t(i)] = v;
    };
    set("SONGNO", songNo);
    set("NAME", name);
    set("NUM", num);
    set("PLAYING", playing);
    set("LAN_TYPE", lanType);
    set("DISC_NO", QStringLiteral("01"));
    t.Append(values);
}

std::unique_ptr<TFrmData> Installation::Open(bool otherInstanceRuns)
{
    m_pInstances->running = otherInstanceRuns;
    TFrmDataOptions o;
    o.exeDir = ExeDir();
    o.instances = m_pInstances.get();
    o.runProgram = [this] { ++m_nPlayerStarts; };
    o.showError = [this](const QString& e) { m_aErrors.append(e); };
    return std::make_unique<TFrmData>(o);
}

std::unique_ptr<TFrmData> OpenInstallation(const QString& exeDir)
{
    struct NoOtherStation : IInstanceWindows
    {
        bool FindAndRestore(const QString&) override { return false; }
    };
    static NoOtherStation none;
    TFrmDataOptions o;
    o.exeDir = exeDir;
    o.instances = &none;
    o.runProgram = [] {};
    o.showError = [](const QString& e) { std::fprintf(stderr, "%s\n", e.toUtf8().constData()); };
    return std::make_unique<TFrmData>(o);
}

QStringList Column(DataSet& view, const QString& field)
{
    QStringList out;
    for (view.First(); !view.Eof(); view.Next())
        out.append(view.FieldByName(field).AsString());
    return out;
}

} // namespace cattest
