#include "core/Station.h"

#include "CoreTestUtil.h"

#include <QElapsedTimer>
#include <QThread>

using coretest::TInstall;

namespace {
bool WaitForFile(const QString& path)
{
    QElapsedTimer t;
    t.start();
    while (!QFileInfo::exists(path) && t.elapsed() < 10000)
        QThread::msleep(20);
    return QFileInfo::exists(path);
}

struct TPowerOffRecorder
{
    TInstall Dir;
    QByteArray Previous = qgetenv("VOD_POWEROFF_COMMAND");
    TPowerOffRecorder()
    {
        qputenv("VOD_POWEROFF_COMMAND", QStringLiteral("echo off > '%1'").arg(Dir.Path("poweroff")).toLocal8Bit());
    }
    ~TPowerOffRecorder()
    {
        if (Previous.isNull())
            qunsetenv("VOD_POWEROFF_COMMAND");
        else
            qputenv("VOD_POWEROFF_COMMAND", Previous);
        SetStationClosers({});
    }
    QString Marker() const { return Dir.Path("poweroff"); }
};
} // namespace

TEST(Station, CloseStationClosesInOrderAndPowersOffOnlyWhenAsked)
{
    TPowerOffRecorder rec;
    QStringList steps;
    SetStationClosers({[&] { steps << "screens"; }, [&] { steps << "queue"; }, [&] { steps << "main"; }});
    CloseStation(false);
    EXPECT_EQ(steps, QStringList({"screens", "queue", "main"}));
    QThread::msleep(300);
    EXPECT_FALSE(QFileInfo::exists(rec.Marker()));

    steps.clear();
    CloseStation(true);
    EXPECT_EQ(steps, QStringList({"screens", "queue", "main"}));
    EXPECT_TRUE(WaitForFile(rec.Marker()));
}

TEST(Station, PowerOffRunsTheConfiguredCommand)
{
    TPowerOffRecorder rec;
    PowerOffWindows();
    ASSERT_TRUE(WaitForFile(rec.Marker()));
}
