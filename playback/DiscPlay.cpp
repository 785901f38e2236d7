#include "playback/DiscPlay.h"

#include "catalogue/FrmData.h"
#include "catalogue/ReadDisc.h"
#include "core/Exception.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "platform/keys/VirtualKeys.h"
#include "playback/PlayerLink.h"
#include "ui/StationScreens.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

QPointer<TDiscPlay> g_pRunning;

// The longest the queue is written at one go while the guest may touch the
// station.
constexpr int kSliceMs = 20;

} // namespace

TDiscPlay* TDiscPlay::Running()
{
    return g_pRunning;
}

bool TDiscPlay::Start(QWidget* screen)
{
    if (g_pRunning) {
        WriteLog(QStringLiteral("光盘搜索进行中,忽略按键"));
        return false;
    }
    g_pRunning = new TDiscPlay(screen);
    return true;
}

TDiscPlay::TDiscPlay(QWidget* screen)
    : QObject(QCoreApplication::instance()), m_pScreen(screen), m_pDisc(std::make_shared<TReadDisc>())
{
    struct TFound
    {
        QString dvd;
        bool drive = true;
    };
    auto* watcher = new QFutureWatcher<TFound>(this);
    connect(watcher, &QFutureWatcher<TFound>::finished, this, [this, watcher] {
        const TFound found = watcher->result();
        m_sDvdTitle = found.dvd;
        m_bDrive = found.drive;
        Searched();
    });
    // The worker touches only the file system and its own TReadDisc.
    std::shared_ptr<TReadDisc> disc = m_pDisc;
    watcher->setFuture(QtConcurrent::run([disc] {
        TFound found;
        try {
            found.dvd = disc->FindDvdTitle();
            if (found.dvd.isEmpty())
                found.drive = disc->SearchDisc(QString());
        } catch (...) {
            // A disc that cannot be read finds nothing.
        }
        return found;
    }));
}

TDiscPlay::~TDiscPlay()
{
    // A search still running (the station closes) ends at its next folder.
    m_pDisc->Cancel();
}

void TDiscPlay::Searched()
{
    if (!m_bDrive) {
        ShowMessageText(UiText(QStringLiteral("ReadDiscoError")));
        Finish(0);
        return;
    }
    if (!m_sDvdTitle.isEmpty()) {
        WriteLog(QStringLiteral("播放VCD:") + m_sDvdTitle);
        playerlink::PlayNow(m_sDvdTitle);
        Finish(1);
        return;
    }
    AppendSlice();
}

void TDiscPlay::AppendSlice()
{
    int count = m_nCount;
    bool failed = !FrmData || !FrmData->m_pOrder;
    if (!failed) {
        try {
            count = m_pDisc->AppendTitles(*FrmData->m_pOrder, kSliceMs);
        } catch (const Exception& e) {
            WriteLog(QStringLiteral("播放光盘失败:") + e.Message());
            failed = true;
        } catch (...) {
            WriteLog(QStringLiteral("播放光盘失败"));
            failed = true;
        }
    }
    m_nCount = count;
    if (!failed && !m_pDisc->AppendDone()) {
        // The station answers keys and touches before the next slice.
        QTimer::singleShot(0, this, &TDiscPlay::AppendSlice);
        return;
    }
    if (count > 0) {
        // The ordered-songs screen opens with the new titles.
        const int playlist = UiKeys().PLAYLIST;
        if (m_pScreen)
            SendVkKeyDown(m_pScreen, playlist);
        else
            UiHooks().DispatchKey(playlist);
        ShowMessageText(UiText(QStringLiteral("ReadDiscoOK")) + QString::number(count));
    } else {
        ShowMessageText(UiText(QStringLiteral("ReadDiscoNoFile")));
    }
    Finish(count);
}

void TDiscPlay::Finish(int count)
{
    g_pRunning = nullptr;
    emit Finished(count);
    deleteLater();
}
