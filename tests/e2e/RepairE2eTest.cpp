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

bool TypeKey(const Station& s, int qtKey, Qt::KeyboardModifiers modifiers = {})
{
    return s.Post(kMsgTestKey, qtKey, int64_t(modifiers.toInt()));
}

} // namespace

TEST(RepairE2e, NewSongsAreQueuedCorrectedAndTheNextSongPlays)
{
    Station s(300);
    ASSERT_TRUE(s.Ready());
    const QString catalogue = QStringLiteral("Provider=SQLite;Data Source=") + s.Path(QStringLiteral("data/kroom.db"));
    // Three Mandarin songs added today without their music data.
    QStringList songs;
    int type = 0;
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
        ASSERT_EQ(songs.size(), 3);
        for (const QString& no : songs)
            db.Execute(QStringLiteral("update original set Music=null, CreateDate=datetime('now','localtime') "
                                      "where SONGNO=?"),
                       {no});
    }
    auto station = s.StartStation();
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("总计耗时:"))) << qPrintable(station->Errors());
    ASSERT_TRUE(WaitUntil([&] { return !s.Window().IsNull(); }));
    // The screen opens only once the catalogue's indexes are ready.
    ASSERT_TRUE(s.WaitForLog(QStringLiteral("装载索引"))) << qPrintable(s.Log());
    auto player = s.StartPlayer(60000, {QStringLiteral("--catalogue"), catalogue});
    ASSERT_TRUE(player->WaitForLine(QStringLiteral("ready "))) << qPrintable(player->Errors());

    // The add-song program has finished.
    Program addSong(ExeDir() + QStringLiteral("/vod-addsong"), {QStringLiteral("--caption"), s.Caption()}, s.Env());
    ASSERT_TRUE(addSong.WaitForExit());
    ASSERT_EQ(addSong.ExitCode(), 0) << qPrintable(addSong.Errors());
    ASSERT_TRUE(player->WaitForLine(QStringLiteral("play "))) << qPrintable(s.Log());
    QString labels;
    ASSERT_TRUE(WaitUntil(
        [&] {
            labels = s.Labels();
            return labels.startsWith(QStringLiteral("screen=frmrepair")) && Value(labels, "Number") == songs[0];
        },
        10000))
        << qPrintable(labels) << qPrintable(s.Log());
    EXPECT_EQ(Value(labels, "Lang"), QStringLiteral("国语"));
    EXPECT_EQ(Value(labels, "PlayingName"), QStringLiteral("已消灭: 297 ,还剩余:2 ,冲啊!"));

    // From the version list back to the language: one down; on to the type: one down.
    ASSERT_TRUE(TypeKey(s, Qt::Key_Tab, Qt::ShiftModifier));
    ASSERT_TRUE(TypeKey(s, Qt::Key_Tab, Qt::ShiftModifier));
    ASSERT_TRUE(TypeKey(s, Qt::Key_Down));
    ASSERT_TRUE(TypeKey(s, Qt::Key_Tab));
    ASSERT_TRUE(TypeKey(s, Qt::Key_Down));
    ASSERT_TRUE(WaitUntil([&] {
        labels = s.Labels();
        return Value(labels, "Lang") == QStringLiteral("粤语");
    })) << qPrintable(labels);
    const QString typeText = Value(labels, "Type");
    EXPECT_FALSE(typeText.isEmpty());

    // Page Down on the room's keyboard.
    ASSERT_TRUE(s.PostKey(34));
    ASSERT_TRUE(player->WaitForLine(QStringLiteral("catalogue-saved ") + songs[0])) << qPrintable(player->Output());
    ASSERT_TRUE(WaitUntil([&] { return player->LinesStarting(QStringLiteral("play ")).size() == 2; }))
        << qPrintable(player->Output());
    {
        DbConnection db;
        db.Open(catalogue);
        EXPECT_EQ(db.Scalar(QStringLiteral("select Lan_Type from original where SONGNO=?"), {songs[0]}).toInt(), 2);
        EXPECT_EQ(db.Scalar(QStringLiteral("select Type from original where SONGNO=?"), {songs[0]}).toInt(), type + 1);
        EXPECT_EQ(db.Scalar(QStringLiteral("select Music from original where SONGNO=?"), {songs[0]}).toString(),
                  QStringLiteral("原版"));
    }
    EXPECT_TRUE(WaitUntil([&] {
        labels = s.Labels();
        return Value(labels, "Number") == songs[1];
    })) << qPrintable(labels);
    EXPECT_EQ(Value(labels, "PlayingName"), QStringLiteral("已消灭: 298 ,还剩余:1 ,冲啊!"));

    ASSERT_TRUE(s.Post(kMsgTestCloseStation, 0, 0));
    EXPECT_TRUE(station->WaitForExit(15000));
}
