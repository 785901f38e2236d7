#pragma once
// The control link's datagram format: GBK text without a terminator, fields
// separated by the byte 0x01, at most 253 bytes. Shared by the station's link
// and the control-server tool.
#include <QByteArray>
#include <QList>

namespace udpwire {

constexpr char kSeparator = '\x01';
// The longest datagram either side sends; a received one of kTooLong bytes
// or more is dropped unread.
constexpr int kMaxDatagram = 253;
constexpr int kTooLong = 254;
// The station's and the server's port unless the settings name another.
constexpr quint16 kDefaultPort = 3200;
// Where the station sends when no control server address is set.
inline constexpr char kDefaultServer[] = "192.168.0.255";

// Splits at 0x01, scanning left to right: every separator ends a field and
// adds it, even an empty one; the text after the last separator is added
// when it is not empty. The bytes are taken as a C text: a NUL ends them.
QList<QByteArray> SplitFields(const QByteArray& datagram);

// The fields joined with 0x01 between them.
QByteArray JoinFields(const QList<QByteArray>& fields);

// The longest prefix of at most maxBytes that does not split a double-byte
// GBK character.
QByteArray CutAtCharacter(const QByteArray& gbk, int maxBytes = kMaxDatagram);

} // namespace udpwire
