#include "utilities/UtilityScreens.h"

#include "ui/KVFormManager.h"
#include "utilities/FrmLock.h"
#include "utilities/FrmMsg.h"

void RegisterUtilityScreens()
{
    RegisterScreenFactory(QStringLiteral("frmlock"), [] { return new TFrmLock(); });
    RegisterScreenFactory(QStringLiteral("frmmsg"), [] { return new TFrmMsg(); });
}
