#include "playback/RoomDevices.h"

#include "core/Setting.h"
#include "playback/InputDispatch.h"
#include "playback/Recording.h"
#include "playback/SerialDevices.h"
#include "playback/VolumeControl.h"
#include "ui/StationScreens.h"

void OpenSerialPorts(TFrmData&)
{
    if (g_pSetting)
        SerialDevices().OpenSerialPorts(*g_pSetting);
}

void InstallRoomDevices()
{
    TDispatchDevices& dev = DispatchDevices();
    dev.SelectChannel = [](int channel, int step) { SelectChannel(channel, step); };
    dev.ResetTone = [] { ResetTone(); };
    dev.SetEffectLevel = [](int level) { SelectEffect(level); };
    dev.SendServiceCommand = [] { SerialDevices().SendCcuCommand(QStringLiteral("service"), 0); };
    dev.ShowOsdPicture = [](const QString& picture) { ShowOsdPicture(picture); };
    dev.StopRecordingPlayback = [] { StopRecordingPlayback(); };
}

void ShowDeviceErrors()
{
    const QStringList errors = SerialDevices().TakeOpenErrors();
    if (!errors.isEmpty())
        ShowMessageText(errors.join(QLatin1Char('\n')));
}

void RemoveRoomDevices()
{
    TDispatchDevices& dev = DispatchDevices();
    dev.SelectChannel = nullptr;
    dev.ResetTone = nullptr;
    dev.SetEffectLevel = nullptr;
    dev.SendServiceCommand = nullptr;
    dev.ShowOsdPicture = nullptr;
    dev.StopRecordingPlayback = nullptr;
    SerialDevices().Close();
}
