// The demo skin on the station's screens, used as a guest uses them: the
// queue's row actions show only on rows that hold a song, each row of the
// volume dialog steps its own channel, and the song list's message line
// leaves the rows readable.
#include "ScreenFixture.h"
#include "core/KeyMap.h"
#include "screens/FrmSelect.h"
#include "support/GuestInput.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"
#include "ui/UiStation.h"

#include <QImage>

namespace {

// Pixels of the row button's area in the grabbed screen that carry its gold caption.
int GoldPixels(QWidget* screen, const QRect& area)
{
    const QImage shot = screen->grab().toImage();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 150 && c.blue() < 120)
                ++n;
        }
    return n;
}

} // namespace

TEST_F(ScreenTest, QueueRowActionsShowOnlyOnRowsWithASong)
{
    auto* screen = qobject_cast<TFrmSelect*>(Open(QStringLiteral("frmorder")));
    ASSERT_NE(screen, nullptr);
    TSubTitle* page = Label(screen, QStringLiteral("pagelabel"));
    ASSERT_NE(page, nullptr);
    const auto buttons = [&](int row) {
        return QList<TSubTitle*>{Label(screen, QStringLiteral("first%1").arg(row)),
                                 Label(screen, QStringLiteral("delete%1").arg(row)),
                                 Label(screen, QStringLiteral("mylove%1").arg(row))};
    };
    const QRect firstRow0 = Label(screen, QStringLiteral("first0"))->geometry();

    // Empty queue: no row actions anywhere, drawn or shown, and page 1 of 1.
    EXPECT_EQ(page->Caption(), QStringLiteral("1/1"));
    for (int row = 0; row < 10; ++row)
        for (TSubTitle* b : buttons(row))
            EXPECT_TRUE(b->isHidden()) << b->objectName().toStdString();
    EXPECT_EQ(GoldPixels(screen, firstRow0), 0) << "the background carries no row button faces";

    // Two songs ordered elsewhere: the queue's redraw shows their rows' actions only.
    OrderRow(1);
    OrderRow(2);
    screen->m_pList->Refresh();
    Settle();
    for (int row = 0; row < 10; ++row)
        for (TSubTitle* b : buttons(row))
            EXPECT_EQ(b->isVisible(), row < 2) << b->objectName().toStdString();
    EXPECT_EQ(buttons(0)[0]->Caption(), QStringLiteral("↑优先"));
    EXPECT_GT(GoldPixels(screen, firstRow0), 10) << "the caption of the first row's action shows";
    EXPECT_EQ(page->Caption(), QStringLiteral("1/1"));

    // Deleting both by touch empties the queue; the actions go with the rows.
    guest::TapOn(buttons(1)[1]);
    Settle();
    EXPECT_EQ(QueueSongs().size(), 1);
    EXPECT_TRUE(buttons(1)[1]->isHidden());
    guest::TapOn(buttons(0)[1]);
    Settle();
    EXPECT_TRUE(QueueSongs().isEmpty());
    for (TSubTitle* b : buttons(0))
        EXPECT_TRUE(b->isHidden()) << b->objectName().toStdString();
    EXPECT_EQ(page->Caption(), QStringLiteral("1/1"));
    EXPECT_EQ(GoldPixels(screen, firstRow0), 0);
}

TEST_F(ScreenTest, VolumeDialogRowsStepTheirOwnChannel)
{
    TKVFormXML* dialog = Open(QStringLiteral("frmvolume"));
    ASSERT_NE(dialog, nullptr);
    const TKeyMap& keys = UiKeys();
    const std::pair<const char*, int> presses[] = {
        {"VolDec", keys.VOLUME_DEC}, {"VolAdd", keys.VOLUME_ADD}, {"MicDec", keys.Mic_Dec},
        {"MicAdd", keys.Mic_Add},    {"KeyDec", keys.Key_Dec},    {"KeyAdd", keys.Key_Add},
    };
    for (const auto& [name, code] : presses) {
        TSubTitle* button = Label(dialog, QLatin1String(name));
        ASSERT_NE(button, nullptr);
        m_aDispatched.clear();
        guest::TapOn(button);
        Settle();
        EXPECT_TRUE(m_aDispatched.contains(code)) << name << " should send " << code;
    }
}

TEST_F(ScreenTest, SongListMessageLineLeavesTheRowsReadable)
{
    TKVFormXML* screen = Open(QStringLiteral("frmsong"));
    ASSERT_NE(screen, nullptr);
    OrderRow(1);
    OrderRow(2);
    TSubTitle* message = Label(screen, QStringLiteral("notfound"));
    TSubTitle* playNext = Label(screen, QStringLiteral("FirstPlay"));
    ASSERT_NE(message, nullptr);
    ASSERT_NE(playNext, nullptr);
    guest::TapOn(playNext);
    Settle();
    ASSERT_TRUE(message->isVisible());
    EXPECT_TRUE(message->Caption().startsWith(QStringLiteral("已优先:"))) << message->Caption().toStdString();
    for (const QString& prefix : {QStringLiteral("songname"), QStringLiteral("songlang"), QStringLiteral("songsinger"),
                                  QStringLiteral("words")})
        for (int i = 0; i < 10; ++i)
            if (TSubTitle* cell = screen->FindLabel(prefix + QString::number(i))) {
                EXPECT_FALSE(cell->geometry().intersects(message->geometry())) << cell->objectName().toStdString();
            }
}
