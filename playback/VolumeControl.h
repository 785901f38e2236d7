#pragma once
// The room's five adjustable channels (0 music, 1 microphone, 2 tone,
// 3 effect, 4 echo) held by the main window: a change is limited to the
// channel's range, stored, sent to the devices (the music volume to the
// player, the others to the volume device and the central control unit),
// written into the volume screen's label and shown over the video.
//
// Ranges: with VolumeMode on, music, microphone and echo have the levels 0..4
// standing for the values 10, 30, 50, 70, 90; with it off they are values
// 0..100. The tone is an index 0..2 x KeyLevel (KeyLevel neutral), the effect
// 0..3.
#include <QString>

class TFrmMediaPlayer;
class TKVFormXML;

enum TChannel : int
{
    kChannelMusic = 0,
    kChannelMic = 1,
    kChannelTone = 2,
    kChannelEffect = 3,
    kChannelEcho = 4,
};

// Changes the main window's current channel by step (-1, 0, +1). The new
// value's name goes into the volume screen's label when a screen is given;
// a value that changed is stored and sent and, with show, shown over the
// video. Step 0 only fills the label. Without any serial device only the
// music channel changes.
void ChangeLevel(TKVFormXML* volumeScreen, int step, bool show);
// A volume, microphone or tone key: selects the channel; with the volume
// screen open an up or down step goes to it as its UP or DOWN key.
void SelectChannel(int channel, int step);
// The effect keys and the tone reset set their channel to one value and send
// it, whether or not it differs from the stored one (the guest asks for a
// setting, not a step), and show it like any other change.
void SelectEffect(int level);
void ResetTone();
// The device commands that put the hardware in the main window's start
// state (its construction).
void SendStartupCommands(const TFrmMediaPlayer& main);

// The value a device command carries for a level of music, microphone or
// echo: level x 20 + 10 with VolumeMode on, the value itself otherwise.
int LevelValue(int level);
// The name shown for a channel's value (a level name, a tone or effect name,
// or the number).
QString LevelName(int channel, int value);
// The stored value of a channel (music: the level with VolumeMode, else the
// volume the player reported).
int ChannelValue(int channel);
int ChannelValue(const TFrmMediaPlayer& main, int channel);
