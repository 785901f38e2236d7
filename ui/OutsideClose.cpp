#include "ui/OutsideClose.h"

#include "core/Station.h"
#include "ui/UiStation.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>

bool EndStationOnOutsideClose(QCloseEvent* event)
{
    // Only the window system's close arrives as a spontaneous event; the
    // program's own closes (the language switch, CloseAll) do not.
    if (!event->spontaneous())
        return false;
    event->ignore();
    UiLog(QStringLiteral("窗口被外部关闭,关闭点歌台"));
    QTimer::singleShot(0, QCoreApplication::instance(), [] { CloseStation(false); });
    return true;
}
