#include "ScreenFixture.h"

#include "core/Log.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "playback/InputDispatch.h"
#include "screens/SongScreens.h"
#include "tools/demo/DemoConfig.h"
#include "tools/demo/DemoInstallation.h"
#include "tools/demo/skin/DemoSkin.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLockFile>

namespace {

class NoOtherStation : public IInstanceWindows
{
public:
    bool FindAndRestore(const QString&) override { return false; }
};

// The demo installation. Each test process would spend seconds drawing the
// skins, so one copy is kept in the build folder for the test binary that
// wrote it (named after the binary's time stamp, so a rebuilt generator
// writes a new one); tests get copies of its data and configuration and
// share its pictures.
const QString& Template()
{
    static QString path;
    if (!path.isEmpty())
        return path;
    QString root = qEnvironmentVariable("VOD_BUILD_DIR");
    if (root.isEmpty())
        root = QDir::tempPath();
    // One folder per test binary: each keeps only its own installation.
    root += QStringLiteral("/screens-demo-") + QCoreApplication::applicationName();
    QDir().mkpath(root);
    const qint64 stamp = QFileInfo(QCoreApplication::applicationFilePath()).lastModified().toMSecsSinceEpoch();
    const QString name = QStringLiteral("demo-%1").arg(stamp);
    path = root + QLatin1Char('/') + name + QLatin1Char('/');
    QLockFile lock(root + QStringLiteral("/lock"));
    lock.setStaleLockTime(0);
    lock.lock();
    if (QFileInfo::exists(path + QStringLiteral("complete")))
        return path;
    for (const QString& old : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        QDir(root + QLatin1Char('/') + old).removeRecursively();
    QDir().mkpath(path);
    QString error;
    DemoOptions options;
    options.songs = 400;
    options.singers = 40;
    if (!WriteDemoConfig(path, error) || !WriteDemoData(path, options, error) || !WriteDemoSkin(path, 1, &error)) {
        ADD_FAILURE() << error.toStdString();
        return path;
    }
    QFile complete(path + QStringLiteral("complete"));
    complete.open(QIODevice::WriteOnly);
    return path;
}

void CopyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(file, target);
    }
}

} // namespace

void ScreenTest::SetUp()
{
    const QString tpl = Template();
    ResetLogForTests(); // this test's log goes into its own folder
    m_sExe = m_dir.path() + QLatin1Char('/');
    for (const char* name : {"vod.ini", "Language.ini", "keyboard.ini", "fonts.conf"})
        QFile::copy(tpl + QLatin1String(name), m_sExe + QLatin1String(name));
    CopyTree(tpl + QStringLiteral("data"), m_sExe + QStringLiteral("data"));
    QFile::link(tpl + QStringLiteral("Images"), m_sExe + QStringLiteral("Images"));
    Install();

    static NoOtherStation instances;
    TFrmDataOptions o;
    o.exeDir = m_sExe;
    o.instances = &instances;
    o.runProgram = [] {};
    o.showError = [](const QString& e) { ADD_FAILURE() << e.toStdString(); };
    m_pData = std::make_unique<TFrmData>(o);
    m_pData->WaitForLoader();
    ASSERT_TRUE(m_pData->m_pOrder && m_pData->m_pOrder->Active());

    ResetUiHooks();
    UiHooks().IsQueued = [](const QString& songNo) { return FrmData && FrmData->IsQueued(songNo); };
    UiHooks().DispatchKey = [this](int key) { m_aDispatched.append(key); };
    RegisterSongScreens();
    RegisterSongScreens(); // idempotent
    m_pManager = std::make_unique<TKVFormManager>();
    g_pFrmManager = m_pManager.get();
    m_pManager->LoadSkin(g_pSetting->SkinDir() + QStringLiteral("buttons.xml"));
    // Touches and keys pass the station's message handler, as on a station.
    InstallInputDispatch();
}

void ScreenTest::TearDown()
{
    RemoveInputDispatch();
    if (m_pManager)
        m_pManager->CloseAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_pManager.reset();
    g_pFrmManager = nullptr;
    if (m_pData)
        m_pData->FlushHistory();
    m_pData.reset();
    ResetUiHooks();
}

TKVFormXML* ScreenTest::Open(const QString& elementName)
{
    QDomElement node = m_pManager->SelectNode(QStringLiteral("root/public/form/") + elementName);
    if (node.isNull())
        node = m_pManager->m_pDocument.elementsByTagName(elementName).at(0).toElement();
    TKVFormXML* screen = m_pManager->ShowNode(node, true);
    EXPECT_NE(screen, nullptr) << elementName.toStdString();
    return screen;
}

TSubTitle* ScreenTest::Label(TKVFormXML* screen, const QString& name)
{
    TSubTitle* label = screen ? screen->FindLabel(name) : nullptr;
    EXPECT_NE(label, nullptr) << name.toStdString();
    return label;
}

void ScreenTest::OrderRow(int recNo)
{
    m_pData->CD_Song.SetRecNo(recNo);
    m_pData->OrderSong(&m_pData->CD_Song);
}

QStringList ScreenTest::QueueSongs()
{
    QStringList out;
    DataSet& q = *m_pData->m_pOrder;
    for (q.First(); !q.Eof(); q.Next())
        out.append(q.FieldByName(QStringLiteral("SongNo")).AsString());
    return out;
}

QList<qint64> ScreenTest::QueueNums()
{
    QList<qint64> out;
    DataSet& q = *m_pData->m_pOrder;
    for (q.First(); !q.Eof(); q.Next())
        out.append(q.FieldByName(QStringLiteral("Num")).AsInteger());
    return out;
}

void ScreenTest::Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

int ScreenTest::HistoryRows(const QString& songNo)
{
    m_pData->FlushHistory();
    DataSet q;
    q.SetConnection(&m_pData->ado);
    q.SetCommandText(QStringLiteral("select * from TimesDetail where SongNo=?"));
    q.SetParameters({songNo});
    q.Open();
    return q.RecordCount();
}
