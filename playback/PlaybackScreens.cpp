#include "playback/PlaybackScreens.h"

#include "playback/FrmOsd.h"
#include "playback/FrmOther.h"
#include "playback/FrmRecord.h"
#include "playback/FrmVolume.h"
#include "ui/KVFormManager.h"

void RegisterPlaybackScreens()
{
    RegisterScreenFactory(QStringLiteral("frmvolume"), [] { return new TFrmVolume(); });
    RegisterScreenFactory(QStringLiteral("frmrecord"), [] { return new TFrmRecord(); });
    RegisterScreenFactory(QStringLiteral("frmosd"), [] { return new TFrmOSD(); });
    RegisterScreenFactory(QStringLiteral("others"), [] { return new TFrmOther(); });
}
