// The idle advert show: which pictures it shows in which order, how a guest
// closes them, and what the countdown does on large, small and two-screen
// stations.
#include "ui/PicShow.h"

#include "UiTestUtil.h"
#include "support/ChildProcess.h"
#include "support/GuestInput.h"
#include "ui/DisplayPic.h"

#include <QTimer>

using testsupport::WaitUntil;

namespace {

const QRgb kRed = qRgb(220, 30, 30), kGreen = qRgb(30, 200, 40), kBlue = qRgb(30, 40, 220);

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) < 40;
}

class PicShowTest : public uitest::UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        m_pSetting->VideoScreenCount = 1;
        LoadSkin(uitest::Button(QStringLiteral("Song"), 0, 0, 100, 40, QStringLiteral("song")));
    }
    // A plain 200 x 120 picture (or anything else) in Images/Ad/.
    void Picture(const QString& relative, QRgb colour, const char* format = "JPG")
    {
        const QString path = m_sExe + QStringLiteral("Images/Ad/") + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(200, 120, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(path, format, 95));
    }
    // The form shown with its first picture, changing every 60 ms.
    static std::unique_ptr<TfrmDisplayPic> Shown()
    {
        auto form = std::make_unique<TfrmDisplayPic>();
        form->PicTimer->setInterval(60);
        form->ShowPictures();
        EXPECT_TRUE(WaitUntil([&] { return form->PicturesReady() && !form->ShownPicture().isEmpty(); }));
        return form;
    }
    // The next n pictures shown: file name and the colour in the middle.
    static QList<QPair<QString, QRgb>> Watch(TfrmDisplayPic& form, int n)
    {
        QList<QPair<QString, QRgb>> seen;
        const auto c = QObject::connect(&form, &TfrmDisplayPic::PictureShown, [&](const QString& path) {
            const QImage shot = form.grab().toImage();
            seen.append({QFileInfo(path).fileName(), shot.pixel(shot.width() / 2, shot.height() / 2)});
        });
        WaitUntil([&] { return seen.size() >= n; });
        QObject::disconnect(c);
        return seen.mid(0, n);
    }
};

} // namespace

TEST_F(PicShowTest, JpegPicturesDepthFirstThenBitmapsCentredOverThePortal)
{
    Picture(QStringLiteral("A.jpg"), kRed);
    Picture(QStringLiteral("B.bmp"), kGreen, "BMP");
    Picture(QStringLiteral("sub/C.JPG"), kBlue);
    Picture(QStringLiteral("D.png"), kRed, "PNG");
    auto form = Shown();
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 600));
    EXPECT_TRUE(form->ShownPicture().endsWith(QLatin1String("Ad/A.jpg")));
    const auto seen = Watch(*form, 4);
    ASSERT_EQ(seen.size(), 4);
    EXPECT_EQ(QStringList({seen[0].first, seen[1].first, seen[2].first, seen[3].first}),
              QStringList({"C.JPG", "B.bmp", "A.jpg", "C.JPG"}));
    EXPECT_TRUE(Near(seen[0].second, kBlue));
    EXPECT_TRUE(Near(seen[1].second, kGreen));
    EXPECT_TRUE(Near(seen[2].second, kRed));
    // Centred, not stretched: black around the 200 x 120 picture.
    form->PicTimer->stop();
    const QImage shot = form->grab().toImage();
    EXPECT_TRUE(Near(shot.pixel(310, 300), shot.pixel(400, 300)));
    EXPECT_EQ(shot.pixel(290, 300), qRgb(0, 0, 0));
}

TEST_F(PicShowTest, PicturesThatCannotBeLoadedAtTheirTurnAreLeftOut)
{
    Picture(QStringLiteral("a.jpg"), kRed);
    Picture(QStringLiteral("b.bmp"), kGreen, "BMP");
    Picture(QStringLiteral("sub/c.jpg"), kBlue);
    QFile bad(m_sExe + QStringLiteral("Images/Ad/bad.jpg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    auto form = Shown();
    ASSERT_EQ(form->Pictures().size(), 4);
    ASSERT_TRUE(QFile::remove(m_sExe + QStringLiteral("Images/Ad/sub/c.jpg")));
    QStringList order;
    for (const auto& s : Watch(*form, 6))
        order.append(s.first);
    // c.jpg may already have been prepared when it went.
    order.removeAll(QStringLiteral("c.jpg"));
    ASSERT_GE(order.size(), 4);
    for (qsizetype i = 0; i < order.size(); ++i) {
        EXPECT_TRUE(order[i] == QLatin1String("a.jpg") || order[i] == QLatin1String("b.bmp")) << qPrintable(order[i]);
        if (i > 0) {
            EXPECT_NE(order[i], order[i - 1]);
        }
    }
}

TEST_F(PicShowTest, AKeyOrAClickHidesThePicturesAMoveDoesNotAndTheNextShowingGoesOn)
{
    Picture(QStringLiteral("a.jpg"), kRed);
    Picture(QStringLiteral("b.jpg"), kGreen);
    auto form = Shown();
    form->PicTimer->stop();
    ASSERT_TRUE(WaitUntil([&] { return guest::KeyboardWindow() == form->windowHandle(); }));
    guest::Move(form.get(), QPoint(100, 100));
    guest::Move(form.get(), QPoint(300, 200));
    EXPECT_TRUE(form->isVisible());
    ASSERT_TRUE(guest::Key(Qt::Key_5));
    EXPECT_FALSE(form->isVisible());

    form->ShowPictures();
    EXPECT_TRUE(form->ShownPicture().endsWith(QLatin1String("a.jpg")));
    ASSERT_TRUE(WaitUntil([&] { return form->NextPrepared(); }));
    form->PicTimerTimer();
    EXPECT_TRUE(form->ShownPicture().endsWith(QLatin1String("b.jpg")));
    guest::Tap(form.get(), QPoint(400, 300));
    EXPECT_FALSE(form->isVisible());
    form->PicTimerTimer(); // hidden: nothing changes
    EXPECT_TRUE(form->ShownPicture().endsWith(QLatin1String("b.jpg")));
}

TEST_F(PicShowTest, TheCountdownShowsThePicturesOnThisScreenTheSmallScreensPlayerOrTheVideoScreen)
{
    Picture(QStringLiteral("a.jpg"), kRed);
    int playerWindow = 0, onVideo = 0;
    UiHooks().ShowPlayerWindow = [&] { ++playerWindow; };
    UiHooks().ShowPicturesOnVideo = [&] { ++onVideo; };
    TPicShow show(80);
    show.SetActive(true);
    ASSERT_TRUE(show.Active());
    ASSERT_TRUE(WaitUntil([&] { return show.m_pForm && show.m_pForm->isVisible(); }, 3000));
    TfrmDisplayPic* form = show.m_pForm;
    // A key while they show closes them and is used up; the next is not.
    EXPECT_TRUE(show.KeyDown(m_pSetting->Keys.ENTER));
    EXPECT_FALSE(show.KeyDown(m_pSetting->Keys.ENTER));
    // Still armed, it elapses again and brings the same form forward.
    ASSERT_TRUE(WaitUntil([&] { return form->isVisible(); }, 3000));
    EXPECT_EQ(show.m_pForm.data(), form);
    show.SetActive(false);
    form->hide();
    EXPECT_FALSE(show.m_pTimer->isActive());

    m_pSetting->SmallScreen = true;
    show.OnIdleTimer();
    m_pSetting->SmallScreen = false;
    m_pSetting->VideoScreenCount = 2;
    show.OnIdleTimer();
    EXPECT_EQ(playerWindow, 1);
    EXPECT_EQ(onVideo, 1);
    EXPECT_FALSE(form->isVisible());

    TPicShow never(0); // ShowScreen 0
    never.SetActive(true);
    EXPECT_FALSE(never.Active());
}
