// The song list screen on small hand-written skins: the page size follows
// the labels, a missing list colour is a skin error, the pinyin keyboard
// movie types letters.
#include "ScreenFixture.h"
#include "core/KeyMap.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "screens/FrmSong.h"
#include "ui/FlashControl.h"
#include "ui/ItemList.h"
#include "ui/SubTitle.h"

#include <QDir>
#include <QFile>
#include <QPointer>

namespace {

QString Element(const QString& name, int top)
{
    return QStringLiteral("<%1 type=\"button\" visible=\"1\" enabled=\"1\" left=\"10\" top=\"%2\" width=\"300\" "
                          "height=\"30\"/>")
        .arg(name)
        .arg(top);
}

} // namespace

class SkinCaseTest : public ScreenTest
{
protected:
    // Loads a skin whose frmsong node has those attributes and controls.
    void LoadSongSkin(const QString& attributes, const QString& controls)
    {
        const QString folder = m_sExe + QStringLiteral("handskin/");
        QDir().mkpath(folder);
        QFile::copy(g_pSetting->SkinDir() + QStringLiteral("ico.bmp"), folder + QStringLiteral("ico.bmp"));
        QFile xml(folder + QStringLiteral("buttons.xml"));
        ASSERT_TRUE(xml.open(QIODevice::WriteOnly | QIODevice::Truncate));
        xml.write(QStringLiteral("<?xml version=\"1.0\"?><root><portal left=\"0\" top=\"0\" width=\"800\" "
                                 "height=\"600\">%1</portal><public><form><frmsong %2>%3</frmsong></form>"
                                 "</public></root>")
                      .arg(Element(QStringLiteral("x"), 0), attributes, controls)
                      .toUtf8());
        xml.close();
        m_pManager->CloseAll();
        m_pManager->LoadSkin(folder + QStringLiteral("buttons.xml"));
    }
    static QString Colours()
    {
        return QStringLiteral("fontcolor=\"16777215\" selcolor=\"$00FFFF\" overcolor=\"0xFF8000\" shadowcolor=\"0\" "
                              "shadowwidth=\"1\" shadowstyle=\"2\"");
    }
};

TEST_F(SkinCaseTest, PageSizeFollowsTheSongLabels)
{
    QString controls;
    for (int i = 0; i < 8; ++i)
        controls += Element(QStringLiteral("songname%1").arg(i), 40 + i * 32);
    controls += Element(QStringLiteral("songname9"), 400); // after a gap: not used
    LoadSongSkin(Colours(), controls);
    auto* screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->m_pList->m_nPageItems, 8);
    EXPECT_EQ(screen->m_pList->m_nSelColor, 0xFFFF);
    EXPECT_EQ(screen->m_pList->m_nOverColor, 0xFF8000);
    EXPECT_EQ(screen->m_pList->m_nPageCount, (m_pData->CD_Song.RecordCount() + 7) / 8);
    EXPECT_FALSE(screen->FindLabel(QStringLiteral("songname7"))->isHidden());
    EXPECT_EQ(screen->FindLabel(QStringLiteral("songname9"))->Caption(), QString());

    // All twelve: pages of ten, the last two labels never filled.
    controls.clear();
    for (int i = 0; i < 12; ++i)
        controls += Element(QStringLiteral("songname%1").arg(i), 40 + i * 32);
    LoadSongSkin(Colours(), controls);
    screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->m_pList->m_nPageItems, 10);
    EXPECT_FALSE(screen->FindLabel(QStringLiteral("songname9"))->isHidden());
    EXPECT_EQ(screen->FindLabel(QStringLiteral("songname10"))->Caption(), QString());
}

TEST_F(SkinCaseTest, MissingListColourIsASkinError)
{
    LoadSongSkin(QString(Colours()).remove(QStringLiteral("selcolor=\"$00FFFF\"")),
                 Element(QStringLiteral("songname0"), 40));
    const QDomElement node = m_pManager->SelectNode(QStringLiteral("root/public/form/frmsong"));
    EXPECT_EQ(m_pManager->ShowNode(node, true), nullptr);
    EXPECT_EQ(m_pManager->FindOpenScreen(node), nullptr);
    // Malformed numbers too.
    LoadSongSkin(QString(Colours()).replace(QStringLiteral("shadowwidth=\"1\""), QStringLiteral("shadowwidth=\"x\"")),
                 Element(QStringLiteral("songname0"), 40));
    EXPECT_EQ(m_pManager->ShowNode(m_pManager->SelectNode(QStringLiteral("root/public/form/frmsong")), true), nullptr);
}

TEST_F(SkinCaseTest, PinyinMovieCommandsArriveAsLetterKeys)
{
    LoadSongSkin(Colours(), Element(QStringLiteral("songname0"), 40) + Element(QStringLiteral("Input"), 300) +
                                QStringLiteral("<pyflash type=\"flash\" visible=\"1\" enabled=\"1\" left=\"0\" "
                                               "top=\"400\" width=\"400\" height=\"100\" file=\"py.swf\"/>"));
    auto* screen = qobject_cast<TFrmSong*>(Open(QStringLiteral("frmsong")));
    ASSERT_NE(screen, nullptr);
    ASSERT_NE(screen->m_pPyFlash, nullptr);
    screen->m_pPyFlash->RaiseFSCommand(QStringLiteral("zhou"), QStringLiteral("ignored"));
    screen->m_pPyFlash->RaiseFSCommand(QString(), QString()); // no key
    Settle();
    EXPECT_EQ(screen->InputText(), QStringLiteral("Z"));
    EXPECT_EQ(m_pData->m_pFilter->Criterion(TSongFilter::kFirstLetters).isEmpty(), false);
}

// Keys that reach a finding screen before it has built itself (created, not
// yet shown) order nothing and break nothing.
TEST_F(ScreenTest, FindingScreensTakeKeysBeforeTheyAreBuilt)
{
    m_pData->m_sUserId = QStringLiteral("77");
    const TKeyMap& k = g_pSetting->Keys;
    const QList<int> keys = {k.A,     k.H,      k.n0,       k.n8, k.n1,   k.ENTER, k.DELSONG, k.BACKSPACE,
                             k.POINT, k.PAGEUP, k.PAGEDOWN, k.UP, k.DOWN, k.Left,  k.Right};
    for (const char* name :
         {"frmsinger", "frmsingerlist", "storke", "songbypy", "singerbypy", "frmmylove", "frmmylovelogin"}) {
        SCOPED_TRACE(name);
        QDomElement node = m_pManager->SelectNode(QStringLiteral("root/public/form/") + QLatin1String(name));
        if (node.isNull())
            node = m_pManager->m_pDocument.elementsByTagName(QLatin1String(name)).at(0).toElement();
        ASSERT_FALSE(node.isNull());
        QPointer<TKVFormXML> screen = m_pManager->ShowNode(node, false);
        ASSERT_FALSE(screen.isNull());
        for (const int key : keys) {
            if (screen)
                screen->KeyDown(key);
        }
        Settle();
        EXPECT_TRUE(QueueSongs().isEmpty());
        delete screen.data();
        Settle();
    }
}
