// The language switch on the station started as the program starts it, with
// the guest touching the portal's language button.
#include "CoreTestUtil.h"
#include "catalogue/FrmData.h"
#include "core/StartupStandIns.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QUuid>

using coretest::TInstall;

namespace {

class LanguageSwitchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        coretest::MakeDemo(m_dir);
        // Captions of their own, so that no other station of the test run
        // counts as a second instance.
        const QString id = QUuid::createUuid().toString(QUuid::Id128);
        coretest::SetCatalogueSetting(m_dir, "vod", "Client_Caption", QStringLiteral("lang-station-") + id);
        coretest::SetCatalogueSetting(m_dir, "vod", "Player_Caption", QStringLiteral("lang-player-") + id);
        coretest::SetCatalogueSetting(m_dir, "vod", "ShowScreen", "0");
        qputenv("VOD_EXE_DIR", m_dir.Dir().toLocal8Bit());
        CreateCatalogueModule();
        ASSERT_TRUE(g_pSetting && g_pSetting->FirstInstance);
        FrmData->WaitForLoader();
        CreateRoomServiceModule();
        CreateFormManager();
        CreateMediaPlayerForm();
        LoadSkinAndShowPortal();
        ASSERT_NE(g_pFrmManager->TopScreen(), nullptr);
    }
    void TearDown() override
    {
        FreeForms();
        FreeCatalogueModule();
        qputenv("VOD_EXE_DIR", m_sExeDir);
    }

    // Touches the portal's language button where it is drawn, as a pointer
    // arrives: at the portal's window, through the application.
    void TouchLanguageButton()
    {
        TKVFormXML* portal = g_pFrmManager->TopScreen();
        ASSERT_NE(portal, nullptr);
        TSubTitle* button = portal->FindLabel(QStringLiteral("MainLang"));
        ASSERT_NE(button, nullptr);
        QWidget* window = portal->window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        const QPoint at = button->mapTo(window, button->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 500)
            QApplication::processEvents();
    }

    TInstall m_dir;
    QByteArray m_sExeDir = qgetenv("VOD_EXE_DIR");
};

TEST_F(LanguageSwitchTest, ALanguageWithoutASkinForThisScreenKeepsTheCurrentOne)
{
    const int chinese = g_pSetting->LangType;
    const int english = chinese == 1 ? 0 : 1;
    const QString englishSkin = g_pSetting->SkinDir(english) + QStringLiteral("buttons.xml");
    ASSERT_TRUE(QFile::rename(englishSkin, englishSkin + QStringLiteral(".away")));
    const QPointer<TKVFormXML> portal = g_pFrmManager->TopScreen();

    TouchLanguageButton();
    EXPECT_EQ(g_pSetting->LangType, chinese);
    EXPECT_EQ(g_pFrmManager->TopScreen(), portal.data());
    ASSERT_FALSE(portal.isNull());
    EXPECT_TRUE(portal->isVisible());
    EXPECT_EQ(g_pFrmManager->SkinFile(), g_pSetting->SkinDir(chinese) + QStringLiteral("buttons.xml"));
    const QString log = ToWide(coretest::ReadBytes(m_dir.Path("LogVod.txt")));
    EXPECT_TRUE(log.contains(QStringLiteral("切换语言失败,没有可用的皮肤:") + englishSkin)) << qPrintable(log);

    // A skin without a portal is no better.
    coretest::WriteBytes(englishSkin, "<root><public/></root>");
    TouchLanguageButton();
    EXPECT_EQ(g_pSetting->LangType, chinese);
    EXPECT_EQ(g_pFrmManager->TopScreen(), portal.data());

    // With its skin back the same touch switches.
    QFile::remove(englishSkin);
    ASSERT_TRUE(QFile::rename(englishSkin + QStringLiteral(".away"), englishSkin));
    TouchLanguageButton();
    EXPECT_EQ(g_pSetting->LangType, english);
    ASSERT_NE(g_pFrmManager->TopScreen(), nullptr);
    EXPECT_NE(g_pFrmManager->TopScreen(), portal.data());
    EXPECT_EQ(g_pFrmManager->SkinFile(), englishSkin);
}

} // namespace
