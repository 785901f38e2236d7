#pragma once
// A sound file player of the main window (the on-screen display's sounds and
// the playback of recordings): give it a file, open it, play it from the
// start, stop and close it. Sound goes through Qt Multimedia; on a computer
// without a sound output nothing is played and nothing fails, the player
// only keeps its state.
#include <QObject>
#include <QString>

class QAudioOutput;
class QMediaPlayer;

class TSoundPlayer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    QString FileName;
    // Opens FileName; false when it does not exist.
    bool Open();
    bool IsOpen() const { return m_bOpen; }
    // The file that was opened (empty when closed).
    const QString& OpenFile() const { return m_sOpen; }
    // Plays the open file from its start.
    void Play();
    void Stop();
    void Close();
    // How often Play and Open were called since construction (tests).
    int Plays() const { return m_nPlays; }
    int Opens() const { return m_nOpens; }
    // Whether sound really plays: a sound output exists.
    static bool HasSoundOutput();

private:
    QMediaPlayer* m_pMedia = nullptr;
    QAudioOutput* m_pAudio = nullptr;
    QString m_sOpen;
    bool m_bOpen = false;
    int m_nPlays = 0;
    int m_nOpens = 0;
};
