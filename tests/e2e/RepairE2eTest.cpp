// The staff's review of new songs end to end, with the real station, player
// stand-in and add-song program: the add-song program reports three new songs
// that lack their data, the station queues them and opens the maintenance
// screen, the player plays the first; the staff correct its language and type
// and press Page Down; the correction is in the catalogue and the next song
// plays and is shown.
#include "StationRun.h"
#include "playback/StationShot.h"

#include <QStringList>

using namespace e2e;

namespace {

// The value of one "name=text" line of the front screen's labels.
QString Value(const QString& labels, const QString& name)
{
    for (const QString& line : labels.split(u'\n')) {
        if (line.startsWith(name + u'='))
            return line.mid(name.size() + 1);
    }
    return QString();
}

// A review round: three Mandarin songs added today without their music data,
// the station and the player running, the add-song program finished, the
// maintenance screen showing the first song.
class Review
{
public:
    explicit Review(Station& s) : m_s(s)
    {
        catalogue = QStringLiteral("Provider=SQLite;Data Source=") + s.Path(QStringLiteral("data/kroom.db"));
    }

    ::testing::AssertionResult Begin()
    {
        if (!m_s.Ready())
            return ::testing::AssertionFailure() << "no demo installation";
        {
            DbConnection db;
            db.Open(catalogue);
            QSqlQuery q = db.Query(QStringLiteral("select SONGNO, Type from original where Lan_Type=1 and Type<9 "
                                                  "order by SONGNO limit 3"));
            while (q.next()) {
                songs << q.value(0).toString();
                if (songs.size() == 1)
                    type = q.value(1).toInt();
            }
            q.finish();
            if (songs.size() != 3)
                return ::testing::AssertionFailure() << "too few Mandarin songs";
            for (const QString& no : songs)
                db.Execute(QStringLiteral("update original set Music=null, CreateDate=datetime('now','localtime') "
                                          "where SONGNO=?"),
                           {no});
        }
        station = m_s.StartStation();
        if (!m_s.WaitForLog(QStringLiteral("总计耗时:")) || !WaitUntil([&] { return !m_s.Window().IsNull(); }))
            return ::testing::AssertionFailure() << "the station did not start: " << qPrintable(station->Errors());
        player = m_s.StartPlayer(60000, {QStringLiteral("--catalogue"), catalogue});
        if (!player->WaitForLine(QStringLiteral("ready ")))
            return ::testing::AssertionFailure() << "the player did not start: " << qPrintable(player->Errors());
        Program addSong(ExeDir() + QStringLiteral("/vod-addsong"), {QStringLiteral("--caption"), m_s.Caption()},
                        m_s.Env());
        if (!addSong.WaitForExit() || addSong.ExitCode() != 0)
            return ::testing::AssertionFailure() << "vod-addsong: " << qPrintable(addSong.Errors());
        if (!player->WaitForLine(QStringLiteral("play ")))
            return ::testing::AssertionFailure() << "nothing plays: " << qPrintable(m_s.Log());
        const bool shown = WaitUntil(
            [&] {
                labels = m_s.Labels();
                return labels.startsWith(QStringLiteral("screen=frmrepair")) && Value(labels, "Number") == songs[0];
            },
            10000);
        if (!shown)
            return ::testing::AssertionFailure()
                   << "the screen does not show the first song: " << qPrintable(labels) << qPrintable(m_s.Log());
        return ::testing::AssertionSuccess();
    }
    bool TypeKey(int qtKey, Qt::KeyboardModifiers modifiers = {})
    {
        return m_s.Post(kMsgTestKey, qtKey, int64_t(modifiers.toInt()));
    }
    void Close()
    {
        m_s.Post(kMsgTestCloseStation, 0, 0);
        EXPECT_TRUE(station->WaitForExit(15000));
    }

    QString catalogue, labels;
    QStringList songs;
    int type = 0;
    std::unique_ptr<Program> station, player;

private:
    Station& m_s;
};

} // namespace

TEST(RepairE2e, NewSongsAreQueuedCorrectedAndTheNextSongPlays)
{
    Station s(300);
    Review r(s);
    ASSERT_TRUE(r.Begin());
    EXPECT_EQ(Value(r.labels, "Lang"), QStringLiteral("国语"));
    EXPECT_EQ(Value(r.labels, "PlayingName"), QStringLiteral("已消灭: 297 ,还剩余:2 ,冲啊!"));

    // From the version list back to the language: one down; on to the type: one down.
    ASSERT_TRUE(r.TypeKey(Qt::Key_Tab, Qt::ShiftModifier));
    ASSERT_TRUE(r.TypeKey(Qt::Key_Tab, Qt::ShiftModifier));
    ASSERT_TRUE(r.TypeKey(Qt::Key_Down));
    ASSERT_TRUE(r.TypeKey(Qt::Key_Tab));
    ASSERT_TRUE(r.TypeKey(Qt::Key_Down));
    QString labels;
    ASSERT_TRUE(WaitUntil([&] {
        labels = s.Labels();
        return Value(labels, "Lang") == QStringLiteral("粤语");
    })) << qPrintable(labels);
    EXPECT_FALSE(Value(labels, "Type").isEmpty());

    // Page Down on the room's keyboard.
    ASSERT_TRUE(s.PostKey(34));
    ASSERT_TRUE(r.player->WaitForLine(QStringLiteral("catalogue-saved ") + r.songs[0]))
        << qPrintable(r.player->Output());
    ASSERT_TRUE(WaitUntil([&] { return r.player->LinesStarting(QStringLiteral("play ")).size() == 2; }))
        << qPrintable(r.player->Output());
    {
        DbConnection db;
        db.Open(r.catalogue);
        const auto field = [&](const char* name) {
            return db.Scalar(QStringLiteral("select %1 from original where SONGNO=?").arg(QLatin1String(name)),
                             {r.songs[0]});
        };
        EXPECT_EQ(field("Lan_Type").toInt(), 2);
        EXPECT_EQ(field("Type").toInt(), r.type + 1);
        EXPECT_EQ(field("Music").toString(), QStringLiteral("原版"));
    }
    EXPECT_TRUE(WaitUntil([&] {
        labels = s.Labels();
        return Value(labels, "Number") == r.songs[1];
    })) << qPrintable(labels);
    EXPECT_EQ(Value(labels, "PlayingName"), QStringLiteral("已消灭: 298 ,还剩余:1 ,冲啊!"));
    r.Close();
}

// Pictures of the screen (scripts/screenshots.sh runs this one with VOD_SHOTS
// set): repair.png for the README, and each language at each skin size.
TEST(RepairE2e, Screenshots)
{
    const QString shots = qEnvironmentVariable("VOD_SHOTS");
    if (shots.isEmpty())
        GTEST_SKIP() << "VOD_SHOTS names no folder";
    QDir().mkpath(shots);
    for (const ShotVariant& v : kShotVariants) {
        Station s(300);
        s.SetShotDir(shots);
        ASSERT_TRUE(s.SetScreenSize(v.width, v.height));
        s.SetSettings({{QStringLiteral("LangType"), QLatin1String(v.langType)}});
        Review r(s);
        ASSERT_TRUE(r.Begin());
        // Insert pauses the song: the screen says so on its message line (a
        // key typed before the window has the keyboard is typed again).
        bool noted = false;
        for (int i = 0; i < 3 && !noted; ++i) {
            ASSERT_TRUE(r.TypeKey(Qt::Key_Insert));
            noted = WaitUntil([&] { return !Value(s.Labels(), "NextName").isEmpty(); }, 3000);
        }
        ASSERT_TRUE(noted) << qPrintable(s.Labels());
        const QString name =
            QStringLiteral("repair-%1-%2x%3.png").arg(QLatin1String(v.lang)).arg(v.width).arg(v.height);
        QFile::remove(shots + QStringLiteral("/shot9.png"));
        s.Post(kMsgTestScreenshot, 9, 0);
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(shots + QStringLiteral("/shot9.png")); }));
        QFile::remove(shots + u'/' + name);
        QFile::rename(shots + QStringLiteral("/shot9.png"), shots + u'/' + name);
        r.Close();
    }
    QFile::remove(shots + QStringLiteral("/repair.png"));
    QFile::copy(shots + QStringLiteral("/repair-zh-800x600.png"), shots + QStringLiteral("/repair.png"));
}
