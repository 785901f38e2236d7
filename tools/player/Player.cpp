#include "tools/player/Player.h"

#include "core/Exception.h"
#include "core/Gbk.h"
#include "playback/PlayerLink.h"
#include "tools/player/RecordingFile.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cstdio>

using namespace playerlink;

namespace {

constexpr int kKeyEnter = 13;
constexpr int kKeyLeft = 37;
constexpr int kKeyDown = 40;
// The player's own key for its 炫影 mode (F8).
constexpr int kKeyShadowMode = 119;

QString CommandWord(int code)
{
    switch (code) {
    case kCmdPause:
        return QStringLiteral("pause");
    case kCmdAccompaniment:
        return QStringLiteral("accompaniment");
    case kCmdStop:
        return QStringLiteral("stop");
    case kCmdVocal:
        return QStringLiteral("vocal");
    case kCmdFireAlarm:
        return QStringLiteral("fire-alarm");
    case kCmdFireAlarmOver:
        return QStringLiteral("fire-alarm-over");
    case kCmdStationClosing:
        return QStringLiteral("station-closing");
    case kCmdRecordVideo:
        return QStringLiteral("record-video");
    case kCmdResume:
        return QStringLiteral("resume");
    case kCmdStopRecording:
        return QStringLiteral("stop-recording");
    case kCmdRecordingPlayback:
        return QStringLiteral("recording-playback");
    case kCmdLeaveShadowMode:
        return QStringLiteral("leave-shadow-mode");
    case kCmdPictureShow:
        return QStringLiteral("picture-show");
    default:
        return QStringLiteral("unknown");
    }
}

} // namespace

Player::Player(PlayerOptions options, QObject* parent) : QObject(parent), m_options(std::move(options))
{
    m_songTimer.setSingleShot(true);
    connect(&m_songTimer, &QTimer::timeout, this, &Player::FinishTrack);
    connect(&m_pollTimer, &QTimer::timeout, this, &Player::PollQueue);
}

Player::~Player()
{
    delete m_pWindow;
}

bool Player::Start()
{
    if (!m_options.headless) {
        m_pWindow = new QWidget;
        m_pWindow->setWindowTitle(m_options.caption);
        m_pWindow->setStyleSheet(QStringLiteral("background:black; color:white;"));
        auto* layout = new QVBoxLayout(m_pWindow);
        m_pSongLabel = new QLabel(m_pWindow);
        m_pTextLabel = new QLabel(m_pWindow);
        m_pSongLabel->setAlignment(Qt::AlignCenter);
        m_pTextLabel->setAlignment(Qt::AlignCenter);
        layout->addWidget(m_pSongLabel, 1);
        layout->addWidget(m_pTextLabel);
        m_pWindow->resize(640, 360);
        connect(m_pWindow, &QObject::destroyed, this, [this] { m_pWindow = nullptr; });
    }
    m_pLink = new windowlink::LinkWindow(m_options.caption, m_pWindow, m_pWindow ? nullptr : this);
    if (!m_pLink->IsRegistered()) {
        std::fprintf(stderr, "vodplayer: %s\n", qPrintable(m_pLink->ErrorText()));
        return false;
    }
    connect(m_pLink, &windowlink::LinkWindow::MessageReceived, this, &Player::OnMessage);
    m_pLink->SetCopyDataHandler([this](const windowlink::CopyDataRecord& r) { return OnCopyData(r); });

    if (!m_options.queuePath.isEmpty())
        m_pQueue = OpenDbfQueue(m_options.queuePath);
    else if (!m_options.connection.isEmpty())
        m_pQueue = OpenDatabaseQueue(m_options.connection, m_options.room, m_options.exeDir);
    if (!m_options.catalogue.isEmpty())
        m_pCatalogue = std::make_unique<SongCatalogue>(m_options.catalogue, m_options.exeDir);
    if (m_pQueue) {
        try {
            m_pQueue->Open();
            const int left = m_pQueue->FinishLeftovers();
            if (left > 0)
                Log(QStringLiteral("leftovers %1").arg(left));
        } catch (const Exception& e) {
            // The station may still be creating or restoring the table: keep
            // trying on every poll.
            std::fprintf(stderr, "vodplayer: queue %s: %s\n", qPrintable(m_pQueue->Describe()),
                         qPrintable(e.Message()));
            m_bQueueBroken = true;
        }
        m_pollTimer.start(qMax(m_options.pollMs, 10));
    }
    if (m_pWindow) {
        ShowState();
        if (m_options.minimised)
            m_pWindow->showMinimized();
        else
            m_pWindow->show();
    }
    Log(QStringLiteral("ready %1").arg(m_options.caption));
    QTimer::singleShot(0, this, &Player::PollQueue);
    return true;
}

void Player::OnMessage(const windowlink::WindowMessage& m)
{
    switch (m.message) {
    case kMsgCommand:
        OnCommand(int(m.wParam));
        break;
    case kMsgVolume:
        if (m.wParam == kCmdVolume) {
            Log(QStringLiteral("volume %1").arg(m.lParam));
            SetVolume(int(std::clamp<int64_t>(m.lParam, 0, 100)));
        } else {
            Log(QStringLiteral("ignored %1 %2 %3").arg(m.message).arg(m.wParam).arg(m.lParam));
        }
        break;
    case windowlink::WM_KEYDOWN:
        OnKey(int(m.wParam));
        break;
    case windowlink::WM_CLOSE:
        Log(QStringLiteral("close"));
        emit Closed();
        break;
    case windowlink::kRestoreRequest:
        Log(QStringLiteral("restore"));
        break;
    case windowlink::kFrontRequest:
        Log(QStringLiteral("front"));
        break;
    default:
        Log(QStringLiteral("ignored %1 %2 %3").arg(m.message).arg(m.wParam).arg(m.lParam));
        break;
    }
}

int64_t Player::OnCopyData(const windowlink::CopyDataRecord& r)
{
    const QString text = ToWide(r.data);
    switch (r.wParam) {
    case kCopyPlayNow: {
        Log(QStringLiteral("file %1").arg(text));
        Track t;
        t.file = text;
        t.title = QFileInfo(text).fileName();
        t.remainingMs = m_options.songMs;
        if (m_current && m_current->entry) {
            Freeze();
            m_held = m_current;
        }
        m_current.reset();
        StartTrack(t);
        return 1;
    }
    case kCopyShowText:
        Log(QStringLiteral("text %1 %2").arg(r.dwData).arg(text));
        if (m_pTextLabel) {
            if (r.dwData == uint64_t(kShowPicture) && QFileInfo::exists(text))
                m_pTextLabel->setPixmap(QPixmap(text).scaledToHeight(64));
            else
                m_pTextLabel->setText(text);
        }
        return 1;
    case kCopyRecordTo: {
        Log(QStringLiteral("record %1").arg(text));
        m_sRecordFile = text;
        m_recordClock.start();
        // A real sound file from the first moment: the station may play it
        // back before the recording is stopped.
        QString error;
        if (!WriteRecordingFile(text, 1000, error))
            Log(QStringLiteral("record-failed %1").arg(error));
        SetRecording(true);
        return 1;
    }
    case kCopySongRecord:
        return OnSongRecord(r);
    case kCopyVocalCheck:
        // The staff say whether what plays now is the singer's own vocal
        // track; the player's vocal state (and its report) follows.
        Log(QStringLiteral("vocal-check %1 %2").arg(r.dwData).arg(text));
        SetVocal(r.dwData != 0);
        return 1;
    default:
        Log(QStringLiteral("copydata %1 %2 %3").arg(r.wParam).arg(r.dwData).arg(text));
        return 0;
    }
}

int64_t Player::OnSongRecord(const windowlink::CopyDataRecord& r)
{
    QList<QByteArray> fields = r.data.split('\x01');
    if (!fields.isEmpty() && fields.last().isEmpty())
        fields.removeLast();
    QStringList texts;
    for (const QByteArray& f : fields)
        texts << ToWide(f);
    Log(QStringLiteral("song-record %1 %2").arg(r.dwData).arg(texts.join(QLatin1Char('|'))));
    if (m_pCatalogue) {
        QString error;
        if (!m_pCatalogue->Save(texts, error)) {
            // The song stays: moving on would lose the corrections unseen.
            Log(QStringLiteral("catalogue-error %1").arg(error));
            std::fprintf(stderr, "vodplayer: catalogue %s: %s\n", qPrintable(m_pCatalogue->Describe()),
                         qPrintable(error));
            if (m_pTextLabel)
                m_pTextLabel->setText(QStringLiteral("保存失败: ") + error);
            return 0;
        }
        Log(QStringLiteral("catalogue-saved %1").arg(texts.value(0)));
    }
    if (r.dwData == 1) {
        FinishTrack();
        return 1;
    }
    if (!m_current)
        return 1;
    std::optional<QueueEntry> previous;
    if (m_current->entry && m_pQueue) {
        try {
            previous = m_pQueue->TakePrevious(*m_current->entry);
        } catch (const Exception& e) {
            std::fprintf(stderr, "vodplayer: queue %s: %s\n", qPrintable(m_pQueue->Describe()),
                         qPrintable(e.Message()));
        }
    }
    Track t;
    if (previous) {
        Log(QStringLiteral("back %1 %2").arg(m_current->entry->num).arg(m_current->entry->name));
        t.entry = previous;
        t.file = previous->filePath;
        t.title = previous->name;
    } else {
        // Nothing before it: the song that plays starts again.
        t = *m_current;
    }
    t.remainingMs = m_options.songMs;
    m_current.reset();
    m_songTimer.stop();
    StartTrack(t);
    return 1;
}

void Player::OnCommand(int code)
{
    Log(QStringLiteral("command %1 %2").arg(code).arg(CommandWord(code)));
    switch (code) {
    case kCmdPause:
        SetPaused(!m_bPaused);
        break;
    case kCmdResume:
        SetPaused(false);
        break;
    case kCmdAccompaniment:
        SetVocal(false);
        break;
    case kCmdVocal:
        SetVocal(true);
        break;
    case kCmdStop:
        SetPaused(false);
        FinishTrack();
        break;
    case kCmdFireAlarm:
        if (!m_bFireAlarm) {
            Freeze();
            m_bFireAlarm = true;
        }
        if (m_pTextLabel)
            m_pTextLabel->setText(QStringLiteral("火警"));
        break;
    case kCmdFireAlarmOver:
        if (m_bFireAlarm) {
            m_bFireAlarm = false;
            Thaw();
        }
        if (m_pTextLabel)
            m_pTextLabel->clear();
        break;
    case kCmdRecordVideo:
        SetRecording(!m_bRecording);
        break;
    case kCmdStopRecording:
        SetRecording(false);
        break;
    case kCmdLeaveShadowMode:
        SetShadow(false);
        break;
    case kCmdStationClosing:
    case kCmdRecordingPlayback:
    case kCmdPictureShow:
    default:
        break;
    }
    ShowState();
}

void Player::OnKey(int code)
{
    Log(QStringLiteral("key %1").arg(code));
    if ((code >= kKeyLeft && code <= kKeyDown) || code == kKeyEnter)
        return; // the player's own menu keys
    if (code == kKeyShadowMode) {
        SetShadow(!m_bShadow);
        return;
    }
    // Every other key belongs to the station.
    Report(kMsgPlayerKey, 0, code);
}

void Player::PollQueue()
{
    if (m_current || !m_pQueue)
        return;
    try {
        if (m_bQueueBroken) {
            m_pQueue->Open();
            m_bQueueBroken = false;
        }
        std::optional<QueueEntry> entry = m_pQueue->TakeFront();
        if (!entry)
            return;
        Track t;
        t.entry = entry;
        t.file = entry->filePath;
        t.title = entry->name;
        t.remainingMs = m_options.songMs;
        StartTrack(t);
    } catch (const Exception& e) {
        if (!m_bQueueBroken)
            std::fprintf(stderr, "vodplayer: queue %s: %s\n", qPrintable(m_pQueue->Describe()),
                         qPrintable(e.Message()));
        m_bQueueBroken = true;
    }
}

void Player::StartTrack(Track track)
{
    m_current = std::move(track);
    if (m_current->entry)
        Log(QStringLiteral("play %1 %2").arg(m_current->entry->num).arg(m_current->entry->name));
    // A new song: the station refreshes what it shows of the playing song.
    Report(kMsgVolumeReport, m_nVolume, m_bVocal ? 1 : 0);
    if (!Frozen()) {
        m_songTimer.start(int(qMax<qint64>(m_current->remainingMs, 0)));
        m_playClock.start();
    }
    StartSound(m_current->file);
    ShowState();
}

void Player::FinishTrack()
{
    m_songTimer.stop();
    if (!m_current)
        return;
    const Track done = *m_current;
    m_current.reset();
    // A recording is of one song: it ends with it.
    if (done.entry)
        SetRecording(false);
    if (done.entry) {
        try {
            if (m_pQueue)
                m_pQueue->MarkSung(*done.entry);
        } catch (const Exception& e) {
            std::fprintf(stderr, "vodplayer: queue %s: %s\n", qPrintable(m_pQueue->Describe()),
                         qPrintable(e.Message()));
        }
        Log(QStringLiteral("done %1 %2").arg(done.entry->num).arg(done.entry->name));
    } else {
        Log(QStringLiteral("file-done %1").arg(done.file));
    }
    if (m_held) {
        Track held = *m_held;
        m_held.reset();
        StartTrack(held);
        return;
    }
    ShowState();
    PollQueue();
}

void Player::Freeze()
{
    if (m_current && m_songTimer.isActive()) {
        m_current->remainingMs = qMax<qint64>(0, m_current->remainingMs - m_playClock.elapsed());
        m_songTimer.stop();
    }
}

void Player::Thaw()
{
    if (m_current && !Frozen() && !m_songTimer.isActive()) {
        m_songTimer.start(int(m_current->remainingMs));
        m_playClock.start();
    }
}

void Player::SetPaused(bool paused)
{
    if (paused == m_bPaused)
        return;
    if (paused) {
        Freeze();
        m_bPaused = true;
    } else {
        m_bPaused = false;
        Thaw();
    }
    Report(kMsgPausedReport, 0, m_bPaused ? 1 : 0);
}

void Player::SetVocal(bool vocal)
{
    if (vocal == m_bVocal)
        return;
    m_bVocal = vocal;
    Report(kMsgVolumeReport, m_nVolume, m_bVocal ? 1 : 0);
}

void Player::SetVolume(int volume)
{
    if (volume == m_nVolume)
        return;
    m_nVolume = volume;
    SyncSound();
    Report(kMsgVolumeReport, m_nVolume, m_bVocal ? 1 : 0);
}

void Player::SetRecording(bool recording)
{
    if (recording == m_bRecording)
        return;
    m_bRecording = recording;
    if (!recording && !m_sRecordFile.isEmpty() && m_recordClock.isValid()) {
        // The file gets the length the recording had.
        const int ms = int(m_recordClock.elapsed());
        QString error;
        if (WriteRecordingFile(m_sRecordFile, ms, error))
            Log(QStringLiteral("recorded %1 %2").arg(ms).arg(m_sRecordFile));
        else
            Log(QStringLiteral("record-failed %1").arg(error));
        m_recordClock.invalidate();
    }
    Report(kMsgRecordingReport, 0, m_bRecording ? 1 : 0);
}

void Player::SetShadow(bool shadow)
{
    if (shadow == m_bShadow)
        return;
    m_bShadow = shadow;
    Report(kMsgShadowReport, 0, m_bShadow ? 1 : 0);
}

void Player::Report(uint32_t message, int64_t wParam, int64_t lParam)
{
    const windowlink::WindowHandle station = windowlink::FindWindow(m_options.clientCaption);
    const bool sent = station && windowlink::PostMessage(station, message, wParam, lParam);
    Log(QStringLiteral("%1 %2 %3 %4")
            .arg(sent ? QLatin1String("report") : QLatin1String("unsent"))
            .arg(message)
            .arg(wParam)
            .arg(lParam));
}

void Player::Log(const QString& line)
{
    if (!m_options.log)
        return;
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void Player::StartSound(const QString& file)
{
    if (!m_pWindow)
        return;
    if (m_pMedia)
        m_pMedia->stop();
    // Without a sound device the media backends fail or crash: stay silent.
    if (file.isEmpty() || !QFileInfo(file).isFile() || QMediaDevices::audioOutputs().isEmpty())
        return;
    if (!m_pMedia) {
        m_pMedia = new QMediaPlayer(this);
        m_pAudio = new QAudioOutput(this);
        m_pMedia->setAudioOutput(m_pAudio);
    }
    m_pMedia->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    SyncSound();
}

void Player::SyncSound()
{
    if (!m_pMedia)
        return;
    m_pAudio->setVolume(float(m_nVolume) / 100.0f);
    if (!m_current)
        m_pMedia->stop();
    else if (Frozen())
        m_pMedia->pause();
    else
        m_pMedia->play();
}

void Player::ShowState()
{
    SyncSound();
    if (!m_pSongLabel)
        return;
    QString text = m_current ? m_current->title : QStringLiteral("-");
    if (m_bPaused)
        text += QStringLiteral("  (暂停)");
    m_pSongLabel->setText(text);
}
