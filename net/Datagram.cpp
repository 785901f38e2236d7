#include "net/Datagram.h"

#include "playback/PlayerLink.h"

namespace udpwire {

QList<QByteArray> SplitFields(const QByteArray& datagram)
{
    QList<QByteArray> fields;
    qsizetype end = datagram.indexOf('\0');
    if (end < 0)
        end = datagram.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < end; ++i) {
        if (datagram[i] == kSeparator) {
            fields.append(datagram.mid(start, i - start));
            start = i + 1;
        }
    }
    if (start < end)
        fields.append(datagram.mid(start, end - start));
    return fields;
}

QByteArray JoinFields(const QList<QByteArray>& fields)
{
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += kSeparator;
        out += fields[i];
    }
    return out;
}

QByteArray CutAtCharacter(const QByteArray& gbk, int maxBytes)
{
    return playerlink::CutGbk(gbk, maxBytes);
}

} // namespace udpwire
