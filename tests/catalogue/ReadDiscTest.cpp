// A guest's disc: the search of the drive (folders the tests make, mounted by
// a mount table and labels of the test's own) and its import into the queue.
#include "catalogue/ReadDisc.h"

#include "CatalogueFixture.h"
#include "core/Setting.h"
#include "platform/files/OpticalDrive.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace cattest;

namespace {

// A disc's folder tree; Mount makes it the optical drive.
class Disc
{
public:
    explicit Disc(const QStringList& files)
    {
        for (const QString& f : files) {
            QDir().mkpath(QFileInfo(Root() + f).absolutePath());
            QFile(Root() + f).open(QIODevice::WriteOnly);
        }
    }
    ~Disc()
    {
        qunsetenv("VOD_MOUNTS_FILE");
        qunsetenv("VOD_DISK_LABELS_DIR");
    }
    QString Root() const { return m_dir.path() + QStringLiteral("/disc/"); }
    QStringList Relative(const QStringList& paths) const
    {
        QStringList out;
        for (const QString& p : paths)
            out.append(p.mid(Root().size()));
        return out;
    }
    // Mounted as type behind a hard disk, its label a udev link (none when empty).
    void Mount(const QString& label, const QString& type)
    {
        const QString dir = m_dir.path() + u'/';
        QDir().mkpath(Root());
        QDir().mkpath(dir + QStringLiteral("labels"));
        QFile(dir + QStringLiteral("sr0")).open(QIODevice::WriteOnly);
        QFile mounts(dir + QStringLiteral("mounts"));
        mounts.open(QIODevice::WriteOnly);
        mounts.write(QStringLiteral("/dev/sda1 / ext4 rw 0 0\n%1sr0 %2 %3 ro 0 0\n").arg(dir, Root(), type).toUtf8());
        if (!label.isEmpty())
            QFile::link(dir + QStringLiteral("sr0"), dir + QStringLiteral("labels/") + label);
        qputenv("VOD_MOUNTS_FILE", (dir + QStringLiteral("mounts")).toUtf8());
        qputenv("VOD_DISK_LABELS_DIR", (dir + QStringLiteral("labels")).toUtf8());
    }

private:
    QTemporaryDir m_dir;
};

class ReadDiscTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InsertCatalogue(in.Db(), {},
                        {MakeSong(QStringLiteral("000001"), QStringLiteral("Song"), QStringLiteral("A"), 1)});
        in.AddQueueRow(QStringLiteral("000001"), QStringLiteral("Song"), 1, QStringLiteral("0"));
        in.AddQueueRow(QStringLiteral("000001"), QStringLiteral("Song"), 7, QStringLiteral("0"));
        data = in.Open();
        ASSERT_TRUE(data->CreateError().isEmpty()) << qPrintable(data->CreateError());
    }
    // "Name|Disc_No|Num|FilePath" of the queue entries after the first two.
    QStringList Added(const Disc& disc)
    {
        QStringList out;
        DataSet& q = *data->m_pOrder;
        for (q.First(), q.MoveBy(2); !q.Eof(); q.Next())
            out.append(QStringList{q.FieldByName(QStringLiteral("Name")).AsString(),
                                   q.FieldByName(QStringLiteral("Disc_No")).AsString(),
                                   q.FieldByName(QStringLiteral("Num")).AsString(),
                                   disc.Relative({q.FieldByName(QStringLiteral("FilePath")).AsString()})[0]}
                           .join(u'|'));
        return out;
    }

    Installation in;
    std::unique_ptr<TFrmData> data;
};

} // namespace

TEST_F(ReadDiscTest, TitlesAreNumberedBehindTheQueueAndVobFilesAre23)
{
    const Disc vcd({"CDI/CDI_TEXT.FNT", "MPEGAV/AVSEQ01.DAT", "MPEGAV/AVSEQ02.DAT", "VCD/INFO.VCD"});
    TReadDisc read;
    EXPECT_EQ(read.ImportDisc(vcd.Root(), *data->m_pOrder), 2);
    EXPECT_EQ(Added(vcd),
              QStringList({"光盘歌曲或电影1|2|8|MPEGAV/AVSEQ01.DAT", "光盘歌曲或电影2|2|9|MPEGAV/AVSEQ02.DAT"}));

    // A DVD without its title file: the .vob titles; the queue file keeps them.
    const Disc vob({"VIDEO_TS/VTS_01_1.VOB", "VIDEO_TS/VTS_01_2.vob"});
    EXPECT_EQ(TReadDisc().ImportDisc(vob.Root(), *data->m_pOrder), 2);
    data.reset();
    data = in.Open();
    EXPECT_EQ(Added(vob).mid(2), QStringList({"光盘歌曲或电影1|23|10|VIDEO_TS/VTS_01_1.VOB",
                                              "光盘歌曲或电影2|23|11|VIDEO_TS/VTS_01_2.vob"}));
    // Disc titles are no orders of catalogue songs: no history rows.
    data->FlushHistory();
    QSqlQuery q = in.Db().Query(QStringLiteral("SELECT count(*) FROM timesDetail"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
}

TEST_F(ReadDiscTest, MasksInTurnEachDepthFirstAndTheDriveNeedsALabel)
{
    // For each mask, a folder's own files (name order, case ignored) before
    // its sub-folders.
    const Disc mixed({"b.avi", "z.MKV", "A/x.mkv", "A/B/y.mkv", "A/c.dat", "m.mpg", "C/d.divx", "C/D/f.vob"});
    TReadDisc read;
    ASSERT_TRUE(read.SearchDisc(mixed.Root()));
    EXPECT_EQ(mixed.Relative(read.Files()),
              QStringList({"z.MKV", "A/x.mkv", "A/B/y.mkv", "A/c.dat", "m.mpg", "C/D/f.vob", "b.avi", "C/d.divx"}));

    Disc dvd({"AUDIO_TS/README.TXT", "VIDEO_TS/VTS_01_0.IFO", "VIDEO_TS/VIDEO_TS.IFO", "VIDEO_TS/VTS_01_1.VOB"});
    dvd.Mount(QStringLiteral("MY\\x20FILM"), QStringLiteral("iso9660"));
    EXPECT_EQ(VolumeLabel(dvd.Root()), QStringLiteral("MY FILM"));
    EXPECT_EQ(read.FindDvdTitle(), dvd.Root() + QStringLiteral("VIDEO_TS/VIDEO_TS.IFO"));

    Disc unlabelled({"MPEGAV/AVSEQ01.DAT", "VIDEO_TS/VIDEO_TS.IFO"});
    unlabelled.Mount(QString(), QStringLiteral("udf"));
    EXPECT_EQ(FirstOpticalDrive(), unlabelled.Root());
    EXPECT_EQ(read.FindDvdTitle(), QString());
    EXPECT_TRUE(read.SearchDisc(QString())); // a drive, nothing found
    EXPECT_TRUE(read.Files().isEmpty());

    unlabelled.Mount(QString(), QStringLiteral("vfat"));
    EXPECT_FALSE(read.SearchDisc(QString())); // no drive
}

TEST_F(ReadDiscTest, DeepTreesAndLoopsEndAndPathsTheQueueCannotHoldAreLeftOut)
{
    QString deep;
    for (int level = 0; level < 20; ++level)
        deep += QStringLiteral("d%1/").arg(level);
    const Disc tree({"top.avi", deep + QStringLiteral("deep.avi")});
    ASSERT_TRUE(QFile::link(tree.Root(), tree.Root() + QStringLiteral("loop")));
    TReadDisc read;
    ASSERT_TRUE(read.SearchDisc(tree.Root()));
    EXPECT_EQ(tree.Relative(read.Files()), QStringList{"top.avi"});
    EXPECT_TRUE(read.Truncated());

    // The queue's path holds 254 bytes: a longer one would be cut into the
    // name of another file.
    const QString longPath = QString(4, u'x').replace(QStringLiteral("x"), QString(40, u'长') + u'/');
    const Disc paths({"a.avi", longPath + QStringLiteral("b.avi"), "c.avi"});
    EXPECT_EQ(TReadDisc().ImportDisc(paths.Root(), *data->m_pOrder), 2);
    EXPECT_EQ(Added(paths), QStringList({"光盘歌曲或电影1|2|8|a.avi", "光盘歌曲或电影2|2|9|c.avi"}));
}
