// Start-up of the station to the portal ("总计" in LogVod.txt) on a 300,000-
// song installation against the same on a 3,000-song one (the catalogue
// loader works in the background, so the two should be close), and one
// first-letter key on the song list to the repainted page against a page
// turn on the same list.
//   bench_startup [songs]
#include "bench/BenchSupport.h"
#include "catalogue/FrmData.h"
#include "core/Gbk.h"
#include "core/Setting.h"
#include "platform/keys/VirtualKeys.h"
#include "screens/SongScreens.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using bench::Median;

QString Installation(int songs)
{
    const QString dir = QStringLiteral(VOD_BENCH_CACHE_DIR "/startup-%1").arg(songs);
    if (QFile::exists(dir + QStringLiteral("/data/kroom.db")))
        return dir;
    QDir().mkpath(dir);
    std::printf("writing the %d-song installation into %s ...\n", songs, qPrintable(dir));
    std::fflush(stdout);
    QProcess demo;
    demo.start(QStringLiteral(VOD_BENCH_EXE_DIR "/vod-demo"), {dir, QStringLiteral("--songs"), QString::number(songs),
                                                               QStringLiteral("--photos"), QStringLiteral("20")});
    demo.waitForFinished(-1);
    if (demo.exitCode() != 0) {
        std::fprintf(stderr, "vod-demo failed: %s\n", demo.readAllStandardError().constData());
        std::exit(1);
    }
    return dir;
}

// Milliseconds of "总计" of one start of the station, -1 when none was logged.
double StartUpMs(const QString& dir)
{
    QFile::remove(dir + QStringLiteral("/LogVod.txt"));
    QProcess vod;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VOD_EXE_DIR"), dir);
    env.insert(QStringLiteral("VOD_EXIT_AFTER_MS"), QStringLiteral("200"));
    vod.setProcessEnvironment(env);
    vod.start(QStringLiteral(VOD_BENCH_EXE_DIR "/vod"), {});
    vod.waitForFinished(60000);
    QFile log(dir + QStringLiteral("/LogVod.txt"));
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("总计耗时:(\\d+)")).match(ToWide(log.readAll()));
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

double StartUpMedian(const QString& dir, int runs)
{
    std::vector<double> v;
    for (int i = 0; i < runs; ++i)
        v.push_back(StartUpMs(dir));
    return Median(v);
}

double KeyMs(TKVFormXML* screen, int vk)
{
    QElapsedTimer t;
    t.start();
    screen->KeyDown(vk);
    screen->repaint();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int songs = argc > 1 ? std::atoi(argv[1]) : 300000;
    const QString big = Installation(songs);
    const QString small = Installation(3000);

    StartUpMs(big); // warm the file cache
    const double bigMs = StartUpMedian(big, 5);
    const double smallMs = StartUpMedian(small, 5);
    std::printf("start-up to the portal (总计), median of 5: %d songs %.0f ms, 3000 songs %.0f ms, ratio %.2f "
                "(target <= 1000 ms)\n",
                songs, bigMs, smallMs, smallMs > 0 ? bigMs / smallMs : 0.0);

    // One first-letter key on the song list, in this process.
    TFrmData data(bench::StationOptions(big));
    data.WaitForLoader();
    g_pSetting->NeedLogin = false;
    g_pSetting->Debug = false;
    g_pFrmManager = new TKVFormManager();
    RegisterSongScreens();
    g_pFrmManager->LoadSkin(g_pSetting->SkinDir() + QStringLiteral("buttons.xml"));
    data.m_pFilter->SetLanguage(QStringLiteral("1"));
    TKVFormXML* list = g_pFrmManager->ShowSongList();
    if (!list) {
        std::fprintf(stderr, "the song list did not open\n");
        return 1;
    }
    list->repaint();
    const TKeyMap& keys = g_pSetting->Keys;
    std::vector<double> letters, pages;
    for (int round = 0; round < 3; ++round) {
        for (int c = 'A'; c <= 'Z'; ++c) {
            letters.push_back(KeyMs(list, c));
            KeyMs(list, keys.BACKSPACE);
            pages.push_back(KeyMs(list, keys.PAGEDOWN));
        }
    }
    const double letter = Median(letters), page = Median(pages);
    std::printf("first-letter key to the repainted page, median of %zu: %.2f ms; page turn %.2f ms; ratio %.2f "
                "(target <= 16 ms)\n",
                letters.size(), letter, page, page > 0 ? letter / page : 0.0);
    g_pFrmManager->CloseAll();
    delete g_pFrmManager;
    g_pFrmManager = nullptr;
    return 0;
}
