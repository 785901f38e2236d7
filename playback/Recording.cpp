#include "playback/Recording.h"

#include "catalogue/FrmData.h"
#include "core/Gbk.h"
#include "core/Log.h"
#include "core/Setting.h"
#include "playback/FrmMediaPlayer.h"
#include "playback/InputDispatch.h"
#include "playback/PlayerLink.h"
#include "playback/SoundPlayer.h"

#include <QFileInfo>

using namespace playerlink;

namespace {

bool RecordingAllowed()
{
    return g_pSetting && g_pSetting->CanRecordAudio && FrmMediaPlayer;
}

QString OsdFolder()
{
    return (g_pSetting ? g_pSetting->ExeDir : QString()) + QStringLiteral("Images/OSD/");
}

// The playing entry's field, or empty when nothing plays.
QString PlayingField(const QString& name)
{
    TFrmData* data = FrmData;
    if (!data || !data->m_pPlaying || !data->m_pPlaying->Active())
        return QString();
    try {
        data->m_pPlaying->First();
        if (data->m_pPlaying->IsEmpty())
            return QString();
        const Field f = data->m_pPlaying->FindField(name);
        return f.IsValid() ? f.AsString().trimmed() : QString();
    } catch (const std::exception&) {
        return QString();
    }
}

bool SomethingPlays()
{
    TFrmData* data = FrmData;
    if (!data || !data->m_pPlaying || !data->m_pPlaying->Active())
        return false;
    try {
        data->m_pPlaying->First();
        return !data->m_pPlaying->IsEmpty();
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

QString OsdSoundName(const QString& picture)
{
    qsizetype cut = -1;
    for (qsizetype i = 0; i + 1 < picture.size(); ++i) {
        const QChar c = picture[i];
        if (c == QLatin1Char('#') || c == QLatin1Char('_') || c == QLatin1Char('.')) {
            cut = i;
            break;
        }
    }
    return (cut >= 0 ? picture.left(cut) : picture) + QStringLiteral(".wav");
}

void ShowOsdPicture(const QString& picture)
{
    const QString folder = OsdFolder();
    ShowText(kShowPicture, folder + picture);
    const QString sound = folder + OsdSoundName(picture);
    TSoundPlayer* player = FrmMediaPlayer ? FrmMediaPlayer->OsdPlayer : nullptr;
    if (!player || !QFileInfo(sound).isFile())
        return;
    try {
        if (!player->IsOpen() || player->OpenFile() != sound) {
            player->Stop();
            player->Close();
            player->FileName = sound;
            player->Open();
        }
        player->Play();
    } catch (...) {
        // A sound that cannot be played leaves the picture alone.
    }
}

QString RecordingFileName(const QString& recordDir, const QString& computer, const QString& songNo,
                          const QString& songName, const QDateTime& when, const QString& userId)
{
    QString name = songName;
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    return recordDir + computer + QLatin1Char('_') + songNo + QLatin1Char('#') + name + QLatin1Char('#') +
           when.toString(QStringLiteral("yyyy-MM-dd-HH-mm")) + QLatin1Char('#') + userId + QStringLiteral(".avi");
}

QString SongNoOfRecording(const QString& fileName, const QString& computer)
{
    // The file's own name: the folder may hold '_' or '#' of its own.
    QString base = QFileInfo(fileName).fileName();
    const QString head = computer + QLatin1Char('_');
    if (!computer.isEmpty() && base.startsWith(head))
        base = base.mid(head.size());
    else if (const qsizetype at = base.indexOf(QLatin1Char('_')); at >= 0)
        base = base.mid(at + 1);
    else
        return QString();
    const qsizetype hash = base.indexOf(QLatin1Char('#'));
    return hash >= 0 ? base.left(hash) : QString();
}

bool StartRecording()
{
    if (!RecordingAllowed())
        return false;
    WriteLog(QStringLiteral("开始录音.."));
    if (!SomethingPlays())
        return false;
    const TSetting& s = *g_pSetting;
    const QString file =
        RecordingFileName(s.RecordDir, s.ComputerName, PlayingField(QStringLiteral("SongNo")),
                          PlayingField(QStringLiteral("Name")), QDateTime::currentDateTime(), FrmData->m_sUserId);
    if (!PlayerRunning() || !RecordTo(file))
        return false;
    FrmMediaPlayer->m_bPlayback = false;
    FrmMediaPlayer->m_sLastRecording = file;
    return true;
}

bool StopRecording()
{
    if (!RecordingAllowed())
        return false;
    WriteLog(QStringLiteral("结束录音"));
    TFrmMediaPlayer* m = FrmMediaPlayer;
    if (m->m_bPlayerRecording) {
        PostCommand(kCmdStopRecording);
    } else if (m->m_bPlayback && m->AudioPlayer->IsOpen()) {
        try {
            m->AudioPlayer->Stop();
            m->AudioPlayer->Close();
        } catch (...) {
        }
    }
    PostCommand(kCmdStop);
    m->m_bPlayback = false;
    return true;
}

bool PlayRecording()
{
    if (!RecordingAllowed())
        return false;
    WriteLog(QStringLiteral("回放录音.."));
    TFrmMediaPlayer* m = FrmMediaPlayer;
    const QString file = m->m_sLastRecording;
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return false;
    m->m_bPlayerRecording = false;
    m->m_bPlayback = true;
    m->AudioPlayer->Close();
    m->AudioPlayer->FileName = file;
    m->AudioPlayer->Open();
    const QString songNo = SongNoOfRecording(file, g_pSetting->ComputerName);
    const QString video =
        songNo.isEmpty() || !FrmData ? QString() : FrmData->LookupSongField(songNo, QStringLiteral("FilePath"));
    if (!video.isEmpty()) {
        PlayNow(video);
        PostVolume(0);
    } else {
        PostCommand(kCmdPause);
    }
    PostCommand(kCmdRecordingPlayback);
    m->AudioPlayer->Play();
    return true;
}

bool RequestDisc(const QString& fileName)
{
    if (!RecordingAllowed())
        return false;
    const QString name = fileName.isEmpty() ? FrmMediaPlayer->m_sLastRecording : fileName;
    QByteArray datagram = "call";
    datagram += char(0x01);
    datagram += ToNarrow(g_pSetting->Texts.WriteDisc);
    datagram += char(0x01);
    datagram += ToNarrow(name);
    const auto& send = DispatchDevices().SendToServer;
    return send && send(datagram);
}

void StopRecordingPlayback()
{
    TSoundPlayer* player = FrmMediaPlayer ? FrmMediaPlayer->AudioPlayer : nullptr;
    if (player && player->IsOpen()) {
        player->Stop();
        player->Close();
    }
}

bool CanStartRecording()
{
    return FrmMediaPlayer && !FrmMediaPlayer->m_bPlayerRecording && !PlayingField(QStringLiteral("SongNo")).isEmpty();
}

bool CanStopRecording()
{
    return FrmMediaPlayer && (FrmMediaPlayer->m_bPlayerRecording || FrmMediaPlayer->m_bPlayback);
}

bool CanPlayRecording()
{
    const TFrmMediaPlayer* m = FrmMediaPlayer;
    return m && !m->m_sLastRecording.isEmpty() && !m->m_bPlayback && QFileInfo(m->m_sLastRecording).isFile();
}
