// The station on a real X server (Xvfb, no window manager) with the player
// program's window beside it: when the player's window comes up over the
// station, the station's front screen is back on top within a few seconds.
#include "PlayerProcess.h"
#include "e2e/StationRun.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace playertest;

namespace {

const QString kXvfb = QStringLiteral("/usr/bin/Xvfb");
const QString kXwininfo = QStringLiteral("/usr/bin/xwininfo");

// The captions of the top-level windows of a display wider than 100 pixels,
// topmost first.
QStringList StackedCaptions(const QString& display)
{
    QProcess info;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    info.setProcessEnvironment(env);
    info.start(kXwininfo, {QStringLiteral("-root"), QStringLiteral("-children")});
    info.waitForFinished(5000);
    static const QRegularExpression line(QStringLiteral("^\\s+0x[0-9a-f]+ \"([^\"]*)\".*\\s(\\d+)x(\\d+)[+-]"));
    QStringList captions;
    for (const QString& text : QString::fromUtf8(info.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = line.match(text);
        if (m.hasMatch() && m.captured(2).toInt() > 100)
            captions.append(m.captured(1));
    }
    return captions;
}

} // namespace

TEST(FrontWindow, TheStationComesBackOverThePlayersWindow)
{
    if (!QFile::exists(kXvfb) || !QFile::exists(kXwininfo))
        GTEST_SKIP() << "needs Xvfb and xwininfo (scripts/setup.sh installs them)";

    // A display of its own, wider than 1024 pixels so the station is not in
    // its small-screen mode (where it leaves the player in front on purpose).
    testsupport::ChildProcess xvfb(kXvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                           QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ASSERT_TRUE(WaitUntil([&] { return !xvfb.Lines().isEmpty(); }, 15000)) << "Xvfb did not start";
    const QString display = QLatin1Char(':') + xvfb.Lines().first();

    // The demo installation, captioned apart from other tests' stations.
    e2e::Station installation(100);
    ASSERT_TRUE(installation.Ready());
    const QString station = installation.Caption();
    const QString player = UniqueCaption(QStringLiteral("front-player"));
    QProcessEnvironment env = installation.Env();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

    testsupport::ChildProcess vod(ExeDir() + QStringLiteral("/vod"), {}, env);
    // Generous: a loaded build machine starts the station slowly.
    const bool shown = WaitUntil(
        [&] { return vod.Process().state() == QProcess::NotRunning || StackedCaptions(display).contains(station); },
        90000);
    ASSERT_TRUE(shown && vod.Process().state() != QProcess::NotRunning)
        << "the station's portal did not show; exit code " << vod.Process().exitCode() << ": "
        << vod.Process().readAllStandardError().toStdString();

    // The player's window comes up over it without taking anything from it.
    testsupport::ChildProcess vodplayer(
        ExeDir() + QStringLiteral("/vodplayer"),
        {QStringLiteral("--caption"), player, QStringLiteral("--client-caption"), station}, env);
    ASSERT_TRUE(WaitUntil([&] { return StackedCaptions(display).contains(player); }, 60000))
        << "the player's window did not show";
    const auto stationOnTop = [&] {
        const QStringList stack = StackedCaptions(display);
        return !stack.isEmpty() && stack.first() == station;
    };
    EXPECT_TRUE(WaitUntil(stationOnTop, 5000)) << StackedCaptions(display).join(QLatin1Char(',')).toStdString();

    // Raised over the station again later, the player's window is covered again.
    QProcess raise;
    raise.setProcessEnvironment(env);
    raise.start(QStringLiteral("/usr/bin/xdotool"),
                {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^") + player + QStringLiteral("$"),
                 QStringLiteral("windowraise")});
    if (raise.waitForFinished(5000) && raise.exitCode() == 0) {
        EXPECT_TRUE(WaitUntil(stationOnTop, 5000)) << StackedCaptions(display).join(QLatin1Char(',')).toStdString();
    }
}
