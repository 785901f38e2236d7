#include "playback/SoundPlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

bool TSoundPlayer::HasSoundOutput()
{
    // Asked once: the media backends cost time to ask, and a sound card does
    // not come and go under a running station.
    static const bool present = !QMediaDevices::audioOutputs().isEmpty();
    return present;
}

bool TSoundPlayer::Open()
{
    Close();
    if (FileName.isEmpty() || !QFileInfo(FileName).isFile())
        return false;
    m_sOpen = FileName;
    m_bOpen = true;
    ++m_nOpens;
    if (!HasSoundOutput())
        return true;
    if (!m_pMedia) {
        m_pMedia = new QMediaPlayer(this);
        m_pAudio = new QAudioOutput(this);
        m_pMedia->setAudioOutput(m_pAudio);
    }
    m_pMedia->setSource(QUrl::fromLocalFile(QFileInfo(FileName).absoluteFilePath()));
    return true;
}

void TSoundPlayer::Play()
{
    if (!m_bOpen)
        return;
    ++m_nPlays;
    if (!m_pMedia)
        return;
    m_pMedia->setPosition(0);
    m_pMedia->play();
}

void TSoundPlayer::Stop()
{
    if (m_pMedia)
        m_pMedia->stop();
}

void TSoundPlayer::Close()
{
    if (!m_bOpen)
        return;
    if (m_pMedia) {
        m_pMedia->stop();
        m_pMedia->setSource(QUrl());
    }
    m_bOpen = false;
    m_sOpen.clear();
}
