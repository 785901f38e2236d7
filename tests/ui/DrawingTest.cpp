// What the screens and labels paint: hover, press and focus effects on the
// background, and the shadow label's text passes.
#include "UiTestUtil.h"
#include "ui/PictureCache.h"

#include <QFontMetrics>
#include <QPainter>

using namespace uitest;

namespace {

QImage Grab(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb Background(TKVFormXML* screen, int x, int y)
{
    return screen->m_pBackground.pixel(x, y) | 0xFF000000u;
}

int Brightness(QRgb c)
{
    return qRed(c) + qGreen(c) + qBlue(c);
}

} // namespace

class DrawingTest : public UiTest
{
protected:
    // A portal of 800 x 600 with a picture background and the given buttons
    // (none of them numbered, so no first-focus highlight interferes).
    TKVFormXML* Portal(const QString& buttons)
    {
        SavePicture("bg.jpg", CoordinatePicture(800, 600));
        LoadSkin(buttons, QString(), "left=\"0\" top=\"0\" width=\"800\" height=\"600\" file=\"bg.jpg\"");
        TKVFormXML* portal = m_pManager->TopScreen();
        EXPECT_NE(portal, nullptr);
        EXPECT_EQ(portal->m_pBackground.size(), QSize(800, 600));
        return portal;
    }
};

TEST_F(DrawingTest, RectStyleBlendsTheBackgroundByAlpha)
{
    TKVFormXML* s = Portal(Button("b", 100, 100, 60, 40, "", "style=\"rect\""));
    TSubTitle* b = s->FindLabel("b");
    b->SetAlpha(255);
    s->HoverControl(b);
    QImage shot = Grab(s);
    for (const QPoint& p : {QPoint(100, 100), QPoint(130, 120), QPoint(159, 139)})
        EXPECT_EQ(shot.pixel(p), Background(s, p.x(), p.y())) << p.x() << "," << p.y();

    s->UnhoverControl();
    b->SetAlpha(0);
    s->HoverControl(b);
    shot = Grab(s);
    EXPECT_EQ(shot.pixel(100, 100), qRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(159, 139), qRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(160, 140), Background(s, 160, 140)) << "outside the button";
    EXPECT_EQ(s->m_pHover.data(), b);
    EXPECT_EQ(s->m_pFocus.data(), b);
}

TEST_F(DrawingTest, AButtonOutOfUseIsDimmedAndALabelWithTextIsNot)
{
    TKVFormXML* s = Portal(Button("b", 100, 100, 60, 40, "") + Button("t", 300, 100, 60, 40, ""));
    TSubTitle* b = s->FindLabel("b");
    TSubTitle* t = s->FindLabel("t");
    t->SetCaption(QStringLiteral("Go"));
    b->setEnabled(false);
    t->setEnabled(false);
    QImage shot = Grab(s);
    EXPECT_LT(Brightness(shot.pixel(130, 120)), Brightness(Background(s, 130, 120)) * 2 / 3);
    EXPECT_EQ(shot.pixel(160, 140), Background(s, 160, 140)) << "outside the button";
    // A label with its own text shows it embossed, its background untouched.
    EXPECT_EQ(shot.pixel(359, 139), Background(s, 359, 139));

    b->setEnabled(true);
    shot = Grab(s);
    EXPECT_EQ(shot.pixel(130, 120), Background(s, 130, 120));
}

TEST_F(DrawingTest, EllipseStyleKeepsTheCornersAsBackground)
{
    TKVFormXML* s = Portal(Button("e", 200, 200, 80, 60, "", "style=\"ellipse\""));
    TSubTitle* e = s->FindLabel("e");
    e->SetAlpha(0);
    s->HoverControl(e);
    const QImage shot = Grab(s);
    EXPECT_EQ(shot.pixel(200, 200), Background(s, 200, 200));
    EXPECT_EQ(shot.pixel(279, 259), Background(s, 279, 259));
    EXPECT_EQ(shot.pixel(240, 230), qRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(240, 201), qRgb(0, 0, 0)) << "top of the ellipse";
}

TEST_F(DrawingTest, SourceOriginStaysInsideTheBackgroundAtTheRightEdge)
{
    // 40 pixels from the right edge of an 800-pixel portal, 100 wide.
    TKVFormXML* s = Portal(Button("r", 760, 300, 100, 40, "", "style=\"rect\""));
    EXPECT_EQ(s->m_nScreenWidth, 800);
    TSubTitle* r = s->FindLabel("r");
    r->SetAlpha(255);
    s->HoverControl(r);
    const QImage shot = Grab(s);
    EXPECT_EQ(shot.pixel(760, 310), Background(s, 699, 310));
    EXPECT_EQ(shot.pixel(799, 310), Background(s, 738, 310));
    EXPECT_EQ(s->m_pWork.pixel(760, 310) | 0xFF000000u, Background(s, 699, 310));
}

TEST_F(DrawingTest, IconStyleDrawsTheFrameOutsideWithoutItsTransparentColour)
{
    TKVFormXML* s = Portal(Button("i", 300, 200, 101, 80, "", "style=\"icon\""));
    TSubTitle* i = s->FindLabel("i");
    i->SetAlpha(100);
    s->HoverControl(i);
    QImage shot = Grab(s);
    // The frame's border lands 16 pixels outside the button.
    EXPECT_EQ(shot.pixel(284, 240), qRgb(0, 255, 0));
    EXPECT_EQ(shot.pixel(350, 184), qRgb(0, 255, 0));
    // Its magenta field is left out: the background (and the button face,
    // which stays the background) shows through.
    EXPECT_EQ(shot.pixel(290, 240), Background(s, 290, 240));
    EXPECT_EQ(shot.pixel(350, 240), Background(s, 350, 240));

    // Leaving it restores the enlarged rectangle.
    s->UnhoverControl();
    shot = Grab(s);
    EXPECT_EQ(shot.pixel(284, 240), Background(s, 284, 240));
    EXPECT_EQ(shot.pixel(350, 184), Background(s, 350, 184));
    EXPECT_EQ(s->m_pHover.data(), nullptr);
    EXPECT_EQ(s->m_pFocus.data(), i) << "the focus stays";
}

TEST_F(DrawingTest, MovingToAnotherButtonRestoresTheFirst)
{
    TKVFormXML* s = Portal(Button("a", 100, 100, 60, 40, "", "style=\"rect\"") +
                           Button("b", 300, 100, 60, 40, "", "style=\"rect\""));
    s->FindLabel("a")->SetAlpha(0);
    s->FindLabel("b")->SetAlpha(0);
    s->HoverControl(s->FindLabel("a"));
    s->HoverControl(s->FindLabel("b"));
    const QImage shot = Grab(s);
    EXPECT_EQ(shot.pixel(120, 120), Background(s, 120, 120));
    EXPECT_EQ(shot.pixel(320, 120), qRgb(0, 0, 0));
    // The same button again changes nothing.
    s->HoverControl(s->FindLabel("b"));
    EXPECT_EQ(s->m_pHover->objectName(), "b");
}

TEST_F(DrawingTest, HoverPictureIsCroppedToTheControlNotScaled)
{
    QImage over(20, 20, QImage::Format_RGB32);
    over.fill(qRgb(255, 0, 0));
    SavePicture("over.jpg", over);
    TKVFormXML* s = Portal(Button("o", 100, 100, 40, 30, "", "overjpg=\"over.jpg\" style=\"rect\""));
    s->HoverControl(s->FindLabel("o"));
    const QImage shot = Grab(s);
    EXPECT_GT(qRed(shot.pixel(105, 105)), 240);
    EXPECT_LT(qGreen(shot.pixel(105, 105)), 20);
    EXPECT_EQ(shot.pixel(130, 105), qRgb(0, 0, 0)) << "extended, not stretched";
    EXPECT_EQ(s->m_pOver.size(), QSize(40, 30));

    // A missing hover picture is the picture loader's error; nothing changes.
    TSubTitle* o = s->FindLabel("o");
    s->UnhoverControl();
    o->OverJpg = "missing.jpg";
    EXPECT_THROW(s->HoverControl(o), Exception);
    EXPECT_EQ(s->m_pHover.data(), nullptr);
}

TEST_F(DrawingTest, PressShiftsTheSourceTwoPixels)
{
    int pauses = 0;
    UiHooks().Pause = [&](int ms) {
        EXPECT_EQ(ms, 50);
        ++pauses;
    };
    TKVFormXML* s = Portal(Button("p", 100, 100, 60, 40, "", "style=\"icon\"") +
                           Button("q", 300, 100, 60, 40, "", "style=\"rect\""));
    TSubTitle* p = s->FindLabel("p");
    p->SetAlpha(255);
    s->PressControl(p);
    const QImage shot = Grab(s);
    EXPECT_EQ(shot.pixel(110, 110), Background(s, 108, 108));
    EXPECT_EQ(shot.pixel(159, 139), Background(s, 157, 137));
    EXPECT_EQ(pauses, 1);

    s->PressControl(s->FindLabel("q")); // no press effect for rect
    EXPECT_EQ(pauses, 1);
    EXPECT_EQ(Grab(s).pixel(310, 110), Background(s, 310, 110));
}

TEST_F(DrawingTest, FirstPaintHighlightsTheFirstNumberedButton)
{
    TKVFormXML* s = Portal(Button("one", 100, 100, 60, 40, "1", "style=\"rect\""));
    s->FindLabel("one")->SetAlpha(0);
    s->m_bFocusShown = false;
    const QImage shot = Grab(s);
    EXPECT_EQ(shot.pixel(110, 110), qRgb(0, 0, 0));
    EXPECT_TRUE(s->m_bFocusShown);
}

// ---- the shadow label ----

class LabelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        parent.resize(200, 80);
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, Qt::white);
        parent.setPalette(palette);
        label = new TSubTitle(&parent);
        label->SetAutoSize(false);
        label->SetTransparent(true);
        label->setGeometry(20, 10, 160, 60);
        label->SetFontColor(Qt::black);
        QFont font = label->font();
        font.setPixelSize(24);
        label->setFont(font);
        label->SetCaption(QStringLiteral("HI 口"));
    }

    static bool IsRed(QRgb c) { return qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90; }
    static bool IsDark(QRgb c) { return Brightness(c) < 150; }

    // Bounding box of the pixels that match.
    template <typename F> static QRect Box(const QImage& image, F match)
    {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (match(image.pixel(x, y)))
                    box = box.united(QRect(x, y, 1, 1));
        return box;
    }

    QWidget parent;
    TSubTitle* label = nullptr;
};

TEST_F(LabelTest, OutlineShadowSurroundsTheGlyphs)
{
    label->SetShadowColor(0x0000FF); // red
    label->SetShadowWidth(2);
    label->SetShadowStyle(1);
    const QImage shot = Grab(&parent);
    const QRect text = Box(shot, IsDark);
    const QRect shadow = Box(shot, IsRed);
    ASSERT_FALSE(text.isEmpty());
    ASSERT_FALSE(shadow.isEmpty());
    EXPECT_NEAR(shadow.left(), text.left() - 2, 1);
    EXPECT_NEAR(shadow.right(), text.right() + 2, 1);
    EXPECT_NEAR(shadow.top(), text.top() - 2, 1);
    EXPECT_NEAR(shadow.bottom(), text.bottom() + 2, 1);
}

TEST_F(LabelTest, OffsetShadowAndStylesWithoutShadow)
{
    label->SetShadowColor(0x0000FF);
    label->SetShadowWidth(3);
    label->SetShadowStyle(2);
    QImage shot = Grab(&parent);
    const QRect text = Box(shot, IsDark);
    const QRect shadow = Box(shot, IsRed);
    // Anti-aliased edges: one pixel of slack.
    EXPECT_NEAR(shadow.left(), text.left() + 3, 1);
    EXPECT_NEAR(shadow.bottom(), text.bottom() + 3, 1);

    label->SetShadowStyle(6);
    EXPECT_TRUE(Box(Grab(&parent), IsRed).isEmpty());
    label->SetShadowStyle(1);
    label->SetShadowWidth(0);
    EXPECT_TRUE(Box(Grab(&parent), IsRed).isEmpty());
}

TEST_F(LabelTest, DisabledLabelIsEmbossedWithoutShadow)
{
    label->SetShadowColor(0x0000FF);
    label->SetShadowWidth(2);
    label->setEnabled(false);
    const QImage shot = Grab(&parent);
    EXPECT_TRUE(Box(shot, IsRed).isEmpty());
    EXPECT_TRUE(Box(shot, IsDark).isEmpty()) << "no black text";
    const QRect grey = Box(shot, [](QRgb c) { return qRed(c) == 160 && qGreen(c) == 160 && qBlue(c) == 160; });
    EXPECT_FALSE(grey.isEmpty());
}

TEST_F(LabelTest, CentreAndBottomLayoutMoveTheTextDown)
{
    // The station's font (what "黑体" stands for) has a 17-pixel line at 13 pixels.
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    for (int size = 8; size < 30; ++size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() == 17)
            break;
    }
    ASSERT_EQ(QFontMetrics(font).height(), 17) << "no font size with a 17-pixel line";
    label->setFont(font);
    label->setGeometry(20, 10, 160, 40);
    label->SetCaption("Hg");
    const int top = Box(Grab(&parent), IsDark).top();
    label->SetLayout(TSubTitle::tlCenter);
    EXPECT_EQ(Box(Grab(&parent), IsDark).top(), top + 11);
    label->SetLayout(TSubTitle::tlBottom);
    EXPECT_EQ(Box(Grab(&parent), IsDark).top(), top + 23);
}

TEST_F(LabelTest, AlignmentAndAccelerator)
{
    label->SetCaption("A");
    const int left = Box(Grab(&parent), IsDark).left();
    label->SetAlignment(TSubTitle::taRightJustify);
    const QRect right = Box(Grab(&parent), IsDark);
    EXPECT_GT(right.left(), left + 100);
    EXPECT_LE(right.right(), 20 + 160);

    // "&&" draws one "&" with the accelerator on, two with it off.
    label->SetAlignment(TSubTitle::taLeftJustify);
    label->SetCaption("&&");
    const int oneWidth = Box(Grab(&parent), IsDark).width();
    label->SetShowAccelChar(false);
    EXPECT_GT(Box(Grab(&parent), IsDark).width(), oneWidth * 3 / 2);
}

TEST_F(LabelTest, WhichSettersRepaint)
{
    int n = label->RepaintRequests();
    label->SetAlignment(label->Alignment());
    label->SetLayout(label->Layout());
    label->SetShowAccelChar(label->ShowAccelChar());
    label->SetTransparent(label->Transparent());
    EXPECT_EQ(label->RepaintRequests(), n);
    label->SetShadowColor(label->ShadowColor());
    label->SetShadowWidth(label->ShadowWidth());
    label->SetShadowStyle(label->ShadowStyle());
    label->SetStyle(label->Style());
    label->SetAlpha(label->Alpha());
    EXPECT_EQ(label->RepaintRequests(), n + 5);
    n = label->RepaintRequests();
    label->SetAlignment(TSubTitle::taCenter);
    EXPECT_EQ(label->RepaintRequests(), n + 1);
}

TEST_F(LabelTest, AutoSizeFollowsTheTextAndKeepsALineWhenEmpty)
{
    TSubTitle fresh(&parent);
    EXPECT_EQ(fresh.size(), QSize(65, 17));
    EXPECT_TRUE(fresh.AutoSize());
    fresh.move(30, 20);
    fresh.AdjustBounds();
    const int line = QFontMetrics(fresh.font()).height();
    EXPECT_EQ(fresh.height(), line + 2);
    EXPECT_EQ(fresh.pos(), QPoint(30, 20)) << "the label does not creep";
    fresh.SetCaption("a much longer caption");
    EXPECT_GT(fresh.width(), 60);
    EXPECT_EQ(fresh.pos(), QPoint(30, 20));

    // Right-aligned: the right edge stays.
    TSubTitle right(&parent);
    right.SetAlignment(TSubTitle::taRightJustify);
    right.setGeometry(100, 0, 80, 17);
    right.SetCaption("x");
    EXPECT_EQ(right.x() + right.width() - 2, 180);
}

// Screens are built again each time they open: the background file is decoded
// the first time only, and again once the file is replaced.
TEST_F(DrawingTest, ABackgroundIsDecodedOncePerFileUntilTheFileChanges)
{
    const QString button = Button("b", 100, 100, 60, 40, "", "style=\"rect\"");
    Portal(button);
    const int decodes = TPictureCache::Backgrounds().Decodes();
    for (int i = 0; i < 3; ++i)
        LoadSkin(button, QString(), "left=\"0\" top=\"0\" width=\"800\" height=\"600\" file=\"bg.jpg\"");
    EXPECT_EQ(TPictureCache::Backgrounds().Decodes(), decodes);

    QImage red(800, 600, QImage::Format_RGB32);
    red.fill(qRgb(220, 0, 0));
    SavePicture("bg.jpg", red);
    LoadSkin(button, QString(), "left=\"0\" top=\"0\" width=\"800\" height=\"600\" file=\"bg.jpg\"");
    EXPECT_EQ(TPictureCache::Backgrounds().Decodes(), decodes + 1);
    const QRgb c = Background(m_pManager->TopScreen(), 400, 300);
    EXPECT_GT(qRed(c), 200);
    EXPECT_LT(qGreen(c) + qBlue(c), 40);
}
