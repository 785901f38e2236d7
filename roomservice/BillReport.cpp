#include "roomservice/BillReport.h"

#include "platform/db/DataSet.h"
#include "roomservice/GetPrice.h"

bool BillLines(DbConnection& connection, const QString& roomName, const QDateTime& now, QStringList& lines,
               QString& error)
{
    DataSet room;
    room.setObjectName(QStringLiteral("kf"));
    room.SetConnection(&connection);
    room.SetCommandText(QStringLiteral("select * from t_kf where cRoomName=?"));
    room.SetParameters({roomName});
    room.Open();
    if (room.IsEmpty()) {
        error = QStringLiteral("room %1 is not open").arg(roomName);
        return false;
    }
    TGetPrice engine(connection, QStringLiteral("2"), false);
    engine.SetNow(now);
    engine.Checkout(room);
    lines.clear();
    for (const auto& [name, value] : engine.Results.Lines())
        lines << name + QLatin1Char('=') + value;
    return true;
}
