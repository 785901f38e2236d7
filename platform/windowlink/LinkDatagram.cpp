#include "platform/windowlink/LinkDatagram.h"

#include <cstring>

namespace windowlink {

namespace {

const char kMagic[4] = {'V', 'W', 'L', '1'};

void PutU32(char* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char((value >> (8 * i)) & 0xFF);
}

void PutI64(char* at, int64_t value)
{
    const uint64_t bits = uint64_t(value);
    for (int i = 0; i < 8; ++i)
        at[i] = char((bits >> (8 * i)) & 0xFF);
}

uint32_t GetU32(const char* at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= uint32_t(uint8_t(at[i])) << (8 * i);
    return value;
}

int64_t GetI64(const char* at)
{
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= uint64_t(uint8_t(at[i])) << (8 * i);
    return int64_t(bits);
}

} // namespace

QByteArray EncodeDatagram(const Datagram& datagram)
{
    const QByteArray& data = datagram.kind == DatagramKind::CopyData ? datagram.data : QByteArray();
    QByteArray out(kDatagramHeaderSize + data.size(), '\0');
    char* p = out.data();
    std::memcpy(p, kMagic, 4);
    p[4] = char(datagram.kind);
    PutU32(p + 8, datagram.sequence);
    PutU32(p + 12, datagram.kind == DatagramKind::Post ? datagram.message : 0);
    PutI64(p + 16, datagram.wParam);
    PutI64(p + 24, datagram.lParam);
    PutU32(p + 32, uint32_t(data.size()));
    if (!data.isEmpty())
        std::memcpy(p + kDatagramHeaderSize, data.constData(), size_t(data.size()));
    return out;
}

std::optional<Datagram> DecodeDatagram(const char* bytes, qsizetype size)
{
    if (!bytes || size < kDatagramHeaderSize)
        return std::nullopt;
    if (std::memcmp(bytes, kMagic, 4) != 0 || bytes[5] != 0 || bytes[6] != 0 || bytes[7] != 0)
        return std::nullopt;
    Datagram d;
    const uint8_t kind = uint8_t(bytes[4]);
    if (kind < uint8_t(DatagramKind::Post) || kind > uint8_t(DatagramKind::Reply))
        return std::nullopt;
    d.kind = DatagramKind(kind);
    d.sequence = GetU32(bytes + 8);
    d.message = GetU32(bytes + 12);
    d.wParam = GetI64(bytes + 16);
    d.lParam = GetI64(bytes + 24);
    const uint32_t length = GetU32(bytes + 32);
    // The byte count must match the datagram exactly: a truncated or padded
    // datagram is damaged.
    if (qsizetype(length) != size - kDatagramHeaderSize || length > uint32_t(kMaxCopyDataBytes))
        return std::nullopt;
    if (d.kind != DatagramKind::CopyData && length != 0)
        return std::nullopt;
    if (d.kind != DatagramKind::Post && d.message != 0)
        return std::nullopt;
    d.data = QByteArray(bytes + kDatagramHeaderSize, qsizetype(length));
    return d;
}

} // namespace windowlink
