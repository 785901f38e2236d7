#include "playback/VolumeControl.h"

#include "catalogue/FrmData.h"
#include "core/Setting.h"
#include "platform/keys/VirtualKeys.h"
#include "playback/FrmMediaPlayer.h"
#include "playback/PlayerLink.h"
#include "playback/SerialDevices.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"

#include <QtGlobal>

namespace {

bool VolumeMode()
{
    return g_pSetting && g_pSetting->VolumeMode;
}

int KeyLevel()
{
    return g_pSetting ? qMax(0, g_pSetting->KeyLevel) : 0;
}

int MaxValue(int channel)
{
    switch (channel) {
    case kChannelTone:
        return 2 * KeyLevel();
    case kChannelEffect:
        return 3;
    default:
        return VolumeMode() ? 4 : 100;
    }
}

void Store(int channel, int value)
{
    TFrmMediaPlayer* m = FrmMediaPlayer;
    if (!m)
        return;
    switch (channel) {
    case kChannelMusic:
        if (VolumeMode())
            m->m_nMusicLevel = value;
        else if (FrmData)
            FrmData->m_nMusicVolume = value;
        break;
    case kChannelMic:
        m->m_nMicLevel = value;
        break;
    case kChannelTone:
        m->m_nKeyLevel = value;
        break;
    case kChannelEffect:
        m->m_nEffectLevel = value;
        break;
    case kChannelEcho:
        m->m_nMixLevel = value;
        break;
    }
}

const char* LabelName(int channel)
{
    switch (channel) {
    case kChannelMusic:
        return "Vol";
    case kChannelMic:
        return "Mic";
    case kChannelTone:
        return "Key";
    case kChannelEcho:
        return "Effect";
    default:
        return nullptr; // the effect has no label
    }
}

QString VideoText(int channel)
{
    if (!g_pSetting)
        return QString();
    const TTexts& t = g_pSetting->Texts;
    switch (channel) {
    case kChannelMusic:
        return t.VolVol;
    case kChannelMic:
        return t.MicVol;
    case kChannelTone:
        return t.KeyVol;
    case kChannelEffect:
        return t.EffectVol;
    default:
        return t.MixVol;
    }
}

// The commands of a stored change; d is the central control unit's step.
void Send(int channel, int value, int d)
{
    TSerialDevices& dev = SerialDevices();
    switch (channel) {
    case kChannelMusic:
        playerlink::PostVolume(LevelValue(value));
        break;
    case kChannelMic:
        dev.SendVolumeCommand(QStringLiteral("mic"), QString::number(LevelValue(value)));
        dev.SendCcuCommand(QStringLiteral("mic"), d);
        break;
    case kChannelTone:
        dev.SendVolumeCommand(QStringLiteral("key"), QString::number(value));
        dev.SendCcuCommand(QStringLiteral("key"), value == KeyLevel() ? 0 : d);
        break;
    case kChannelEffect:
        dev.SendVolumeCommand(QStringLiteral("effect"), QString::number(value));
        dev.SendCcuCommand(QStringLiteral("effect"), value);
        break;
    case kChannelEcho:
        dev.SendVolumeCommand(QStringLiteral("Mix"), QString::number(LevelValue(value)));
        dev.SendCcuCommand(QStringLiteral("Mix"), d);
        break;
    }
}

void FillLabel(TKVFormXML* screen, int channel, int value)
{
    const char* name = LabelName(channel);
    if (!screen || !name)
        return;
    if (TSubTitle* label = screen->FindLabel(QLatin1String(name)))
        label->SetCaption(LevelName(channel, value));
}

// Moves a channel to a value: the label, then (when it changed or always)
// store, send and show.
void Apply(TKVFormXML* screen, int channel, int value, int d, bool always, bool show)
{
    const int current = ChannelValue(channel);
    FillLabel(screen, channel, value);
    if (value == current && !always)
        return;
    Store(channel, value);
    Send(channel, value, d);
    if (show)
        playerlink::ShowText(playerlink::kShowStatus, VideoText(channel) + LevelName(channel, value));
}

bool AnyDevice()
{
    return g_pSetting && (g_pSetting->COM > 0 || g_pSetting->COM_CCU > 0);
}

TKVFormXML* OpenVolumeScreen()
{
    return g_pFrmManager ? g_pFrmManager->FindVolume() : nullptr;
}

void SetChannel(int channel)
{
    if (FrmMediaPlayer)
        FrmMediaPlayer->m_nChannel = channel;
}

} // namespace

int LevelValue(int level)
{
    return VolumeMode() ? level * 20 + 10 : level;
}

int ChannelValue(int channel)
{
    return FrmMediaPlayer ? ChannelValue(*FrmMediaPlayer, channel) : 0;
}

int ChannelValue(const TFrmMediaPlayer& m, int channel)
{
    switch (channel) {
    case kChannelMusic:
        if (VolumeMode())
            return m.m_nMusicLevel;
        return FrmData ? FrmData->m_nMusicVolume : 50;
    case kChannelMic:
        return m.m_nMicLevel;
    case kChannelTone:
        return m.m_nKeyLevel;
    case kChannelEffect:
        return m.m_nEffectLevel;
    default:
        return m.m_nMixLevel;
    }
}

QString LevelName(int channel, int value)
{
    const TFrmMediaPlayer* m = FrmMediaPlayer;
    switch (channel) {
    case kChannelTone:
        return m ? m->m_pKeyNames.value(value) : QString();
    case kChannelEffect:
        return m ? m->m_pEffectNames.value(value) : QString();
    default:
        if (VolumeMode())
            return m ? m->m_pLevelNames.value(value) : QString();
        return QString::number(value);
    }
}

void ChangeLevel(TKVFormXML* volumeScreen, int step, bool show)
{
    const TFrmMediaPlayer* m = FrmMediaPlayer;
    if (!m)
        return;
    const int channel = m->m_nChannel;
    if (channel != kChannelMusic && step != 0 && !AnyDevice())
        return;
    const int value = qBound(0, ChannelValue(channel) + step, MaxValue(channel));
    Apply(volumeScreen, channel, value, step, false, show);
}

void SelectChannel(int channel, int step)
{
    TKVFormXML* screen = OpenVolumeScreen();
    SetChannel(channel);
    if (channel == kChannelTone && step == 0) {
        ResetTone();
        return;
    }
    if (screen && (step == 1 || step == -1) && g_pSetting) {
        PostVkKeyDown(screen, step > 0 ? g_pSetting->Keys.UP : g_pSetting->Keys.DOWN);
        return;
    }
    ChangeLevel(screen, step, true);
}

void SelectEffect(int level)
{
    SetChannel(kChannelEffect);
    Apply(OpenVolumeScreen(), kChannelEffect, qBound(0, level, 3), level, true, true);
}

void ResetTone()
{
    SetChannel(kChannelTone);
    Apply(OpenVolumeScreen(), kChannelTone, KeyLevel(), 0, true, true);
}

void SendStartupCommands(const TFrmMediaPlayer& main)
{
    const TSetting* s = g_pSetting;
    const TFrmMediaPlayer* m = &main;
    if (!s)
        return;
    TSerialDevices& dev = SerialDevices();
    if (s->COM > 0) {
        dev.SendVolumeCommand(QStringLiteral("vol"), QString::number(LevelValue(ChannelValue(main, kChannelMusic))));
        dev.SendVolumeCommand(QStringLiteral("mic"), QString::number(LevelValue(m->m_nMicLevel)));
        dev.SendVolumeCommand(QStringLiteral("Mix"), QString::number(LevelValue(m->m_nMixLevel)));
        dev.SendVolumeCommand(QStringLiteral("key"), QString::number(m->m_nKeyLevel));
        dev.SendVolumeCommand(QStringLiteral("effect"), QString::number(m->m_nEffectLevel));
    }
    if (s->COM_CCU > 0) {
        dev.SendCcuCommand(QStringLiteral("key"), 1);
        dev.SendCcuCommand(QStringLiteral("effect"), m->m_nEffectLevel);
    }
}
