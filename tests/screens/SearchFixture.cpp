#include "SearchFixture.h"

#include "core/Gbk.h"
#include "platform/db/DbConnection.h"
#include "support/GuestInput.h"
#include "support/TestPg.h"
#include "tools/demo/DemoInstallation.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

void SearchTest::Install()
{
    if (!m_bPostgres)
        return;
    ASSERT_TRUE(testpg::Available()) << "the test PostgreSQL server is not running";
    const QString connection = testpg::ConnectionString(testpg::CreateDatabase(QStringLiteral("search")));
    // The demo catalogue, loaded into the new database as well.
    QTemporaryDir scratch;
    DemoOptions options;
    options.songs = 400;
    options.singers = 40;
    options.postgres = connection;
    QString error;
    ASSERT_TRUE(WriteDemoData(scratch.path(), options, error)) << error.toStdString();
    QFile ini(m_sExe + QStringLiteral("vod.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(ToNarrow(QStringLiteral("[vod]\r\nKroomAdo=") + connection + QStringLiteral("\r\nHotelAdo=\r\n")));
}

void SearchTest::SetUp()
{
    ScreenTest::SetUp();
    if (HasFatalFailure())
        return;
    UiHooks().FavouritesUserSignedIn = [] { return FrmData && !FrmData->m_sUserId.isEmpty(); };
    UiHooks().ClearCriteria = [] { FrmData->m_pFilter->ClearCriteria(); };
    UiHooks().SetSingerClass = [](int n) { FrmData->m_pFilter->SetSingerClass(n); };
}

void SearchTest::Touch(QWidget* control)
{
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(control->window()));
    guest::TapOn(control);
    Settle();
}

void SearchTest::Touch(TKVFormXML* screen, const QString& name)
{
    ASSERT_NE(screen, nullptr);
    QWidget* control = screen->FindControl(name);
    ASSERT_NE(control, nullptr) << name.toStdString();
    Touch(control);
}

void SearchTest::Key(TKVFormXML* screen, int qtKey, Qt::KeyboardModifiers modifiers)
{
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen));
    ASSERT_EQ(guest::KeyboardWindow(), screen->windowHandle()) << "the screen does not hold the keyboard";
    guest::Key(Qt::Key(qtKey), modifiers);
    Settle();
}

void SearchTest::Type(TKVFormXML* screen, const QString& text)
{
    for (const QChar c : text)
        Key(screen, c.toUpper().unicode());
}

TKVFormXML* SearchTest::Top() const
{
    return m_pManager ? m_pManager->TopScreen() : nullptr;
}

QString SearchTest::TopName() const
{
    TKVFormXML* top = Top();
    return top ? top->objectName() : QString();
}

bool SearchTest::WaitForImpl(const std::function<bool()>& pred, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

QVariant SearchTest::Scalar(const QString& sql, const QVariantList& params)
{
    return m_pData->ado.Scalar(sql, params);
}
