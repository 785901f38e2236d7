// The phone remote's catalogue copy: what one search box finds, in which
// order, and what stays hidden; and the join code a phone camera reads.
#include "phone/PhoneCatalogue.h"

#include "phone/QrCode.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TPhoneSong Song(const char* no, const char* name, const char* singer, const char* initials, int lanType,
                qint64 times = 0, QDate created = QDate(), double price = 0)
{
    TPhoneSong s;
    s.no = QString::fromUtf8(no);
    s.name = QString::fromUtf8(name);
    s.singer = QString::fromUtf8(singer);
    s.initials = QString::fromUtf8(initials);
    s.lanType = lanType;
    s.lanName = lanType == 1 ? QStringLiteral("国语") : QStringLiteral("其他");
    s.times = times;
    s.created = created;
    s.price = price;
    return s;
}

std::shared_ptr<const TPhoneCatalogue> Catalogue()
{
    const QDate today = QDate::currentDate();
    std::vector<TPhoneSong> songs = {
        Song("00001", "北京欢迎你", "群星", "BJHYN", 1, 5, today.addDays(-10)),
        Song("00002", "北京北京", "汪峰", "BJBJ", 1, 50, today.addDays(-200)),
        Song("00003", "被风吹过的夏天", "林俊杰/金莎", "BFCGDXT", 1, 20),
        Song("00004", "Beat It", "Michael Jackson", "BI", 3, 0, today.addDays(-1)),
        Song("00005", "成人影片", "无", "BJAF", 20, 99),
        Song("00006", "舞曲串烧", "DJ", "BJWQ", 21, 98),
        Song("10012", "江南", "林俊杰", "JN", 1, 70),
        Song("00012", "北极光", "林俊杰", "BJG", 1, 0),
    };
    std::vector<TPhoneSinger> singers = {{QStringLiteral("汪峰"), QStringLiteral("WF"), QString(), 10},
                                         {QStringLiteral("林俊杰"), QStringLiteral("LJJ"), QString(), 90},
                                         {QStringLiteral("金莎"), QStringLiteral("JS"), QString(), 5}};
    return TPhoneCatalogue::FromRows(std::move(songs), std::move(singers));
}

QStringList Numbers(const TPhoneCatalogue& c, const TPhonePage& page)
{
    QStringList out;
    for (int i : page.items)
        out << c.Song(i).no;
    return out;
}

} // namespace

TEST(PhoneCatalogue, OneBoxFindsByInitialsNameNumberAndSingerMostSungFirst)
{
    const auto c = Catalogue();
    const TPhoneVisibility songsOnly;
    // Initials, most sung first; adult and dance films stay out.
    EXPECT_EQ(Numbers(*c, c->Search(QStringLiteral("bj"), songsOnly, 0, 10)), (QStringList{"00002", "00001", "00012"}));
    // The beginning of a name, any case; Chinese too.
    EXPECT_EQ(Numbers(*c, c->Search(QStringLiteral("beat"), songsOnly, 0, 10)), QStringList{"00004"});
    EXPECT_EQ(Numbers(*c, c->Search(QStringLiteral("北京"), songsOnly, 0, 10)), (QStringList{"00002", "00001"}));
    // A number is the beginning of song numbers; the same digits further in do not count.
    EXPECT_EQ(Numbers(*c, c->Search(QStringLiteral("0001"), songsOnly, 0, 10)), QStringList{"00012"});
    EXPECT_EQ(Numbers(*c, c->Search(QStringLiteral("000"), songsOnly, 0, 10)),
              (QStringList{"00002", "00003", "00001", "00004", "00012"}));
    // A singer named alone or in a duet.
    EXPECT_EQ(Numbers(*c, c->Search(QStringLiteral("林俊杰"), songsOnly, 0, 10)),
              (QStringList{"10012", "00003", "00012"}));
    EXPECT_EQ(Numbers(*c, c->BySinger(QStringLiteral("金莎"), songsOnly, 0, 10)), QStringList{"00003"});
    // Blank and unmatched texts find nothing.
    EXPECT_EQ(c->Search(QStringLiteral("   "), songsOnly, 0, 10).total, 0);
    EXPECT_EQ(c->Search(QStringLiteral("' or 1=1 --"), songsOnly, 0, 10).total, 0);
}

TEST(PhoneCatalogue, SwitchesShowFilmsAndPagesCountEveryMatch)
{
    const auto c = Catalogue();
    TPhoneVisibility all;
    all.adult = all.dance = true;
    EXPECT_EQ(Numbers(*c, c->Search(QStringLiteral("BJ"), all, 0, 10)),
              (QStringList{"00005", "00006", "00002", "00001", "00012"}));
    TPhoneVisibility dance;
    dance.dance = true;
    const TPhonePage second = c->Search(QStringLiteral("BJ"), dance, 2, 2);
    EXPECT_EQ(second.total, 4);
    EXPECT_EQ(Numbers(*c, second), (QStringList{"00001", "00012"}));
    // Languages list only what the switches show.
    QList<int> types;
    for (const auto& l : c->Languages(TPhoneVisibility()))
        types << l.lanType;
    EXPECT_EQ(types, (QList<int>{1, 3}));
    EXPECT_EQ(c->Languages(all).size(), 4);
}

TEST(PhoneCatalogue, BrowsingListsNewSongsRankingsLanguagesAndSingers)
{
    const auto c = Catalogue();
    const TPhoneVisibility v;
    EXPECT_EQ(Numbers(*c, c->NewSongs(QDate::currentDate(), v, 0, 10)), (QStringList{"00004", "00001"}));
    EXPECT_EQ(Numbers(*c, c->Ranking(v, 0, 3)), (QStringList{"10012", "00002", "00003"}));
    EXPECT_EQ(c->Ranking(v, 0, 3).total, 4);
    EXPECT_EQ(c->ByLanguage(1, v, 0, 100).total, 5);
    EXPECT_EQ(c->ByLanguage(20, v, 0, 100).total, 0);
    const TPhonePage singers = c->Singers(QString(), 0, 10);
    ASSERT_EQ(singers.items.size(), 3);
    EXPECT_EQ(c->Singer(singers.items[0]).name, QStringLiteral("林俊杰"));
    const TPhonePage byInitials = c->Singers(QStringLiteral("wf"), 0, 10);
    ASSERT_EQ(byInitials.items.size(), 1);
    EXPECT_EQ(c->Singer(byInitials.items[0]).name, QStringLiteral("汪峰"));
    EXPECT_EQ(c->FindSongNo(QStringLiteral("00012")) >= 0, true);
    EXPECT_EQ(c->FindSongNo(QStringLiteral("0001")), -1);
}

TEST(PhoneJoinCode, ACameraReadsTheAddressBackFromTheCode)
{
    const QString zbar = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbar.isEmpty())
        GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
    const QString address = QStringLiteral("http://192.168.10.21:8088/?t=k3v9x2m7qa");
    const QImage code = QrCodeImage(address);
    ASSERT_FALSE(code.isNull());
    QTemporaryDir dir;
    // Drawn as a screen shows it: scaled up, module for module.
    const QString file = dir.filePath(QStringLiteral("code.png"));
    ASSERT_TRUE(code.scaled(code.width() * 4, code.height() * 4).save(file));
    QProcess p;
    p.start(zbar, {QStringLiteral("--raw"), QStringLiteral("-q"), file});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), address);
}
