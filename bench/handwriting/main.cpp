// Handwriting figures, offscreen, on the handwriting screen of a demo
// installation (1024 x 768 skin):
//  1. pen up to candidates shown for 10-stroke characters: the release that
//     ends the tenth stroke on the pad until the candidate labels hold the
//     new candidates and the screen is painted; median over the samples.
//     Baseline: classifying the same ink straight with the model.
//  2. recognition rate through the pad, the ink normalisation and the
//     recognizer: the 3,755 characters of GB2312 level 1 from the stroke
//     medians of the npm package hanzi-writer-data, drawn with small random
//     jitter at full size and again at 40 % size at random places of the
//     pad; top-1 and top-10. Baseline: the model on the ideal ink (the
//     medians as they are, in their own square box).
//
//   bench_handwriting <package folder of hanzi-writer-data> [every-nth]
//
// The data: `npm pack hanzi-writer-data@2.0.1 && tar xzf hanzi-writer-data-2.0.1.tgz`
// gives the folder `package` (Arphic Public License).
#include "catalogue/FrmData.h"
#include "core/Gbk.h"
#include "core/Setting.h"
#include "platform/handwriting/HandwritingModel.h"
#include "screens/FrmOCR.h"
#include "screens/SongScreens.h"
#include "tools/demo/DemoConfig.h"
#include "tools/demo/DemoInstallation.h"
#include "tools/demo/skin/DemoSkin.h"
#include "ui/HandWriteX.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

class NoOtherStation : public IInstanceWindows
{
public:
    bool FindAndRestore(const QString&) override { return false; }
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The characters of GB2312 level 1 (rows 16 to 55), in code order.
QStringList LevelOne()
{
    QStringList out;
    for (int hi = 0xB0; hi <= 0xD7; ++hi) {
        for (int lo = 0xA1; lo <= 0xFE; ++lo) {
            if (hi == 0xD7 && lo > 0xF9)
                break;
            const char bytes[2] = {char(hi), char(lo)};
            out.append(ToWide(bytes, 2));
        }
    }
    return out;
}

// The medians of a character, y turned downwards (y' = 900 - y).
TInk Medians(const QString& folder, const QString& character)
{
    QFile file(folder + QLatin1Char('/') + character + QStringLiteral(".json"));
    TInk ink;
    if (!file.open(QIODevice::ReadOnly))
        return ink;
    const QJsonArray strokes =
        QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("medians")).toArray();
    for (const QJsonValue& stroke : strokes) {
        TInkStroke points;
        for (const QJsonValue& p : stroke.toArray())
            points.append(QPointF(p.toArray().at(0).toDouble(), 900 - p.toArray().at(1).toDouble()));
        ink.append(points);
    }
    return ink;
}

class Bench
{
public:
    bool SetUp(QString& error)
    {
        m_sExe = m_dir.path() + QLatin1Char('/');
        DemoOptions options;
        options.songs = 400;
        options.singers = 40;
        if (!WriteDemoConfig(m_sExe, error) || !WriteDemoData(m_sExe, options, error) ||
            !WriteDemoSkin(m_sExe, 1, &error))
            return false;
        static NoOtherStation instances;
        TFrmDataOptions o;
        o.exeDir = m_sExe;
        o.instances = &instances;
        o.runProgram = [] {};
        o.showError = [&error](const QString& e) { error = e; };
        m_pData = std::make_unique<TFrmData>(o);
        m_pData->WaitForLoader();
        RegisterSongScreens();
        m_pManager = std::make_unique<TKVFormManager>();
        g_pFrmManager = m_pManager.get();
        m_pManager->LoadSkin(g_pSetting->SkinDir() + QStringLiteral("buttons.xml"));
        m_pScreen = qobject_cast<TFrmOCR*>(m_pManager->ShowOcr());
        if (!m_pScreen || !m_pScreen->m_pWrite || !m_pScreen->HandWrite->Writable()) {
            error = QStringLiteral("no handwriting screen with a working pad");
            return false;
        }
        m_pScreen->show();
        if (!QTest::qWaitForWindowExposed(m_pScreen)) {
            error = QStringLiteral("the handwriting screen did not show");
            return false;
        }
        return true;
    }
    ~Bench()
    {
        if (m_pManager)
            m_pManager->CloseAll();
        g_pFrmManager = nullptr;
    }

    QWidget* Pad() const { return m_pScreen->m_pWrite; }

    // Draws one stroke (pad coordinates); the release is left to the caller
    // when `release` is false.
    void Stroke(const TInkStroke& stroke, bool release = true)
    {
        QWindow* window = m_pScreen->windowHandle();
        const auto at = [&](QPointF p) { return Pad()->mapTo(m_pScreen, p.toPoint()); };
        QTest::mousePress(window, Qt::LeftButton, {}, at(stroke.first()));
        QPointF last = stroke.first();
        for (qsizetype i = 1; i < stroke.size(); ++i) {
            const QPointF to = stroke[i];
            const int n = std::max(1, int(std::hypot(to.x() - last.x(), to.y() - last.y()) / 6));
            for (int k = 1; k <= n; ++k)
                QTest::mouseMove(window, at(last + (to - last) * k / n));
            last = to;
        }
        if (release)
            QTest::mouseRelease(window, Qt::LeftButton, {}, at(last));
    }
    void Release(QPointF last)
    {
        QTest::mouseRelease(m_pScreen->windowHandle(), Qt::LeftButton, {}, Pad()->mapTo(m_pScreen, last.toPoint()));
    }

    QStringList Shown() const
    {
        QStringList out;
        for (const QPointer<TSubTitle>& label : m_pScreen->m_aCandidates)
            out.append(label ? label->Caption() : QString());
        return out;
    }
    void Clear() { m_pScreen->HandWrite->ClearStroke(); }

    // The ink placed into a square of the given side at (left, top), with
    // each point moved by up to sigma pixels in x and in y at random.
    static TInk Place(const TInk& medians, double left, double top, double side, double sigma,
                      QRandomGenerator* rng = nullptr)
    {
        TInk out;
        for (const TInkStroke& stroke : medians) {
            TInkStroke points;
            for (const QPointF& p : stroke) {
                const double jx = rng ? sigma * (rng->generateDouble() * 2 - 1) : 0;
                const double jy = rng ? sigma * (rng->generateDouble() * 2 - 1) : 0;
                points.append(QPointF(left + p.x() * side / 1024 + jx, top + p.y() * side / 1024 + jy));
            }
            out.append(points);
        }
        return out;
    }

    TFrmOCR* m_pScreen = nullptr;

private:
    QTemporaryDir m_dir;
    QString m_sExe;
    std::unique_ptr<TFrmData> m_pData;
    std::unique_ptr<TKVFormManager> m_pManager;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VOD_KEEP_CLOCK", "1");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_handwriting <hanzi-writer-data package folder> [every-nth]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int every = argc > 2 ? std::max(1, atoi(argv[2])) : 1;
    // The same placements and jitter on every run.
    QRandomGenerator rng(18);

    Bench bench;
    QString error;
    if (!bench.SetUp(error)) {
        std::fprintf(stderr, "set-up failed: %s\n", qPrintable(error));
        return 1;
    }
    const THandwritingModel* model = THandWriteX::SharedModel();
    const QRect pad = bench.Pad()->rect();
    const QStringList chars = LevelOne();

    // 1. Pen up to candidates shown, 10-stroke characters at full size.
    std::vector<double> shown, classified;
    for (const QString& c : chars) {
        const TInk medians = Medians(folder, c);
        if (medians.size() != 10)
            continue;
        const double side = std::min(pad.width(), pad.height()) - 16;
        const TInk ink = Bench::Place(medians, (pad.width() - side) / 2, 8, side, 0);
        bench.Clear();
        for (int s = 0; s < 9; ++s)
            bench.Stroke(ink[s]);
        bench.Stroke(ink[9], false);
        QCoreApplication::processEvents();
        const QStringList before = bench.Shown();
        QElapsedTimer t;
        t.start();
        bench.Release(ink[9].last());
        bench.m_pScreen->repaint();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (bench.Shown() == before)
            std::fprintf(stderr, "%s: the candidates did not change\n", qPrintable(c));
        shown.push_back(ms);
        QElapsedTimer b;
        b.start();
        model->Classify(bench.m_pScreen->HandWrite->Strokes(), THandWriteX::kCandidates);
        classified.push_back(double(b.nsecsElapsed()) / 1e6);
        if (shown.size() >= 40)
            break;
    }
    const double shownMs = Median(shown), baseMs = Median(classified);
    std::printf("pen up to candidates shown, 10-stroke characters (%zu): median %.2f ms (target <= 30 ms); "
                "classification alone %.2f ms; ratio %.2f\n",
                shown.size(), shownMs, baseMs, baseMs > 0 ? shownMs / baseMs : 0.0);
    std::fflush(stdout);

    // 2. Recognition rate.
    struct Score
    {
        const char* name;
        int top1 = 0, top10 = 0, n = 0;
    };
    Score ideal{"raw model, ideal ink (baseline)"}, full{"pad, full size, jitter"},
        small{"pad, 40 % size at random places, jitter"};
    const auto count = [](Score& score, const QStringList& offered, const QString& c) {
        ++score.n;
        const qsizetype at = offered.indexOf(c);
        if (at == 0)
            ++score.top1;
        if (at >= 0 && at < 10)
            ++score.top10;
    };
    for (int i = 0; i < chars.size(); i += every) {
        const QString& c = chars[i];
        const TInk medians = Medians(folder, c);
        if (medians.isEmpty()) {
            std::fprintf(stderr, "%s: no medians\n", qPrintable(c));
            continue;
        }
        count(ideal, model->ClassifyInBox(medians, 1024, 1024, 10), c);
        const double fullSide = std::min(pad.width(), pad.height()) - 16;
        const double smallSide = std::min(pad.width(), pad.height()) * 0.4;
        const TInk fullInk = Bench::Place(medians, (pad.width() - fullSide) / 2, 8, fullSide, fullSide * 0.01, &rng);
        const TInk smallInk =
            Bench::Place(medians, rng.generateDouble() * (pad.width() - smallSide),
                         rng.generateDouble() * (pad.height() - smallSide), smallSide, smallSide * 0.01, &rng);
        for (auto [ink, score] : {std::pair{&fullInk, &full}, std::pair{&smallInk, &small}}) {
            bench.Clear();
            for (const TInkStroke& stroke : *ink)
                bench.Stroke(stroke);
            count(*score, bench.Shown(), c);
        }
    }
    for (const Score* s : {&ideal, &full, &small})
        std::printf("%-42s top-1 %5.1f %%  top-10 %5.1f %%  (%d characters)\n", s->name, 100.0 * s->top1 / s->n,
                    100.0 * s->top10 / s->n, s->n);
    std::printf("against the baseline: top-1 %+.1f / %+.1f points, top-10 %+.1f / %+.1f points\n",
                100.0 * (full.top1 - ideal.top1) / ideal.n, 100.0 * (small.top1 - ideal.top1) / ideal.n,
                100.0 * (full.top10 - ideal.top10) / ideal.n, 100.0 * (small.top10 - ideal.top10) / ideal.n);
    return 0;
}
