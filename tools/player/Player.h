#pragma once
// The player program of the installation: registers its window under the
// player caption, plays the play queue from the front (marking each entry "1"
// while it plays and "2" when it is done), takes the station's commands and
// records, and reports its volume, vocal track, pause and recording states to
// the station's window.
//
// A song "plays" for a set time; nothing is decoded. With `log` set every
// action is written as one line on standard output, for the tests:
//   ready <caption>            play <num> <name>        done <num> <name>
//   file <path>                command <code> <word>    volume <value>
//   key <code>                 text <kind> <text>       record <file>
//   recorded <ms> <file>       (the recording's file written when it stops)
//   song-record <dir> <fields joined by |>             vocal-check <0|1>
//   catalogue-saved <num>     catalogue-error <reason>   back <num> <name>
//   report <message> <wParam> <lParam>                 close
//
// A song record of the maintenance screen (copy-data 6) is written into the
// catalogue (`catalogue`, a connection string) before the player moves to the
// next song (1) or back to the one sung before (0); a record the catalogue
// refuses leaves the song playing.
#include "platform/windowlink/WindowLink.h"
#include "tools/player/PlayQueue.h"
#include "tools/player/SongCatalogue.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QWidget;

struct PlayerOptions
{
    QString caption = QStringLiteral("Test Player");
    QString clientCaption = QStringLiteral("kroomclient");
    QString queuePath;  // order.dbf
    QString connection; // hall-mode database
    QString catalogue;  // the song catalogue the maintenance records go to
    QString room;
    QString exeDir;
    int songMs = 4000;
    int pollMs = 500;
    bool headless = false;
    bool minimised = false;
    bool log = false;
};

class Player : public QObject
{
    Q_OBJECT
public:
    explicit Player(PlayerOptions options, QObject* parent = nullptr);
    ~Player() override;

    // Registers the window and opens the queue. False (with the reason on
    // standard error) when the caption is taken or the window cannot be made.
    bool Start();

    // The state the station is told about.
    int Volume() const { return m_nVolume; }
    bool Vocal() const { return m_bVocal; }
    bool Paused() const { return m_bPaused; }
    bool Recording() const { return m_bRecording; }
    bool ShadowMode() const { return m_bShadow; }

signals:
    void Closed();

private:
    struct Track
    {
        std::optional<QueueEntry> entry; // a queue entry, or a file played at once
        QString file;
        QString title;
        qint64 remainingMs = 0;
    };

    void OnMessage(const windowlink::WindowMessage& m);
    int64_t OnCopyData(const windowlink::CopyDataRecord& r);
    int64_t OnSongRecord(const windowlink::CopyDataRecord& r);
    void OnCommand(int code);
    void OnKey(int code);
    void PollQueue();
    void StartTrack(Track track);
    void FinishTrack();
    void Freeze();
    void Thaw();
    bool Frozen() const { return m_bPaused || m_bFireAlarm; }
    void SetPaused(bool paused);
    void SetVocal(bool vocal);
    void SetVolume(int volume);
    void SetRecording(bool recording);
    void SetShadow(bool shadow);
    void Report(uint32_t message, int64_t wParam, int64_t lParam);
    void Log(const QString& line);
    void ShowState();
    // Sound of the song's file, with a window and a sound device only.
    void StartSound(const QString& file);
    void SyncSound();

    PlayerOptions m_options;
    std::unique_ptr<PlayQueue> m_pQueue;
    std::unique_ptr<SongCatalogue> m_pCatalogue;
    windowlink::LinkWindow* m_pLink = nullptr;
    QWidget* m_pWindow = nullptr;
    QLabel* m_pSongLabel = nullptr;
    QLabel* m_pTextLabel = nullptr;
    QMediaPlayer* m_pMedia = nullptr;
    QAudioOutput* m_pAudio = nullptr;
    QTimer m_pollTimer;
    QTimer m_songTimer;
    QElapsedTimer m_playClock;
    std::optional<Track> m_current;
    std::optional<Track> m_held; // a queue song interrupted by a file played at once
    int m_nVolume = 50;
    bool m_bVocal = true;
    bool m_bPaused = false;
    bool m_bFireAlarm = false;
    bool m_bRecording = false;
    bool m_bShadow = false;
    QString m_sRecordFile;
    QElapsedTimer m_recordClock;
    bool m_bQueueBroken = false;
};
