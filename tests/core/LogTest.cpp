#include "core/Log.h"

#include "CoreTestUtil.h"
#include "platform/Tick.h"

#include <QRegularExpression>
#include <thread>

using coretest::TInstall;

namespace {
// Points g_pSetting at settings of a temporary folder for one test.
struct TLogFixture
{
    TInstall Dir;
    TSetting Setting{Dir.Dir()};
    TSetting* Previous = g_pSetting;
    TLogFixture()
    {
        g_pSetting = &Setting;
        ResetLogForTests();
    }
    ~TLogFixture()
    {
        g_pSetting = Previous;
        ResetLogForTests();
    }
    QByteArray Log() const { return coretest::ReadBytes(Dir.Path("LogVod.txt")); }
    bool LogExists() const { return QFileInfo::exists(Dir.Path("LogVod.txt")); }
};

const QRegularExpression kLine(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}( \\d{2}:\\d{2}:\\d{2})?: "));
} // namespace

TEST(Log, LineFormatLeavesTheTimeOutAtMidnight)
{
    const QDate day(2009, 3, 5);
    EXPECT_EQ(FormatLogLine(QDateTime(day, QTime(21, 14, 7)), "x"), "2009-03-05 21:14:07: x");
    EXPECT_EQ(FormatLogLine(QDateTime(day, QTime(0, 0, 0)), "x"), "2009-03-05: x");
    EXPECT_EQ(FormatLogLine(QDateTime(day, QTime(0, 0, 0, 1)), "x"), "2009-03-05 00:00:00: x");
    EXPECT_EQ(FormatLogLine(QDateTime(day, QTime(9, 5, 3)), QStringLiteral("装载ADO")),
              QStringLiteral("2009-03-05 09:05:03: 装载ADO"));
}

TEST(Log, NothingIsWrittenWhileDebugIsOff)
{
    TLogFixture f;
    f.Setting.Debug = false;
    WriteLog("one");
    LogElapsed(QStringLiteral("总计"), GetTickCount());
    EXPECT_FALSE(f.LogExists());
    WriteLog("forced", true);
    EXPECT_TRUE(f.Log().endsWith(": forced\r\n"));
}

TEST(Log, TheFileHoldsThisRunsLinesInGbkWithCrLf)
{
    TLogFixture f;
    coretest::WriteBytes(f.Dir.Path("LogVod.txt"), "old run line\r\n");
    f.Setting.Debug = true;
    WriteLog("first");
    WriteLog(QStringLiteral("第二"));
    LogElapsed(QStringLiteral("总计"), GetTickCount() - 750);
    const QByteArray log = f.Log();
    EXPECT_FALSE(log.contains("old run"));
    EXPECT_TRUE(log.endsWith("\r\n"));
    const QStringList lines = ToWide(log).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    for (const QString& line : lines)
        EXPECT_TRUE(kLine.match(line).hasMatch()) << qPrintable(line);
    EXPECT_TRUE(lines[0].endsWith(": first"));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(": 第二")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral(": 总计耗时:75\\d$")).match(lines[2]).hasMatch())
        << qPrintable(lines[2]);
    EXPECT_EQ(log.count('\n'), log.count("\r\n"));
}

TEST(Log, TwoThreadsNeverInterleaveLines)
{
    TLogFixture f;
    f.Setting.Debug = true;
    const int perThread = 300;
    auto writer = [](const char* who) {
        for (int i = 0; i < perThread; ++i)
            WriteLog(QStringLiteral("%1 line %2 with some length to widen the race window").arg(who).arg(i));
    };
    std::thread loader(writer, "loader");
    writer("gui");
    loader.join();
    const QStringList lines = ToWide(f.Log()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2 * perThread);
    static const QRegularExpression whole(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}( \\d{2}:\\d{2}:\\d{2})?: (loader|gui) line \\d+ with some length"
                       " to widen the race window$"));
    for (const QString& line : lines)
        ASSERT_TRUE(whole.match(line).hasMatch()) << qPrintable(line);
}

TEST(Log, AnUnwritableFolderIsReportedNotThrown)
{
    TLogFixture f;
    f.Setting.Debug = true;
    f.Setting.ExeDir = f.Dir.Path("missing/folder/");
    EXPECT_NO_THROW(WriteLog("lost"));
}
