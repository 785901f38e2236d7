#pragma once
// Wire format of one window-link datagram. Both ends run on the same machine,
// but the layout is fixed (little-endian, no padding) so that a damaged or
// foreign datagram is recognised and dropped instead of misread.
//
//   0  "VWL1"            magic
//   4  u8                kind (Post, CopyData, Reply)
//   5  u8[3]             zero
//   8  u32               sequence number (a reply repeats the request's)
//  12  u32               message number (Post), 0 otherwise
//  16  i64               wParam
//  24  i64               lParam (Post), record value dwData (CopyData), result (Reply)
//  32  u32               byte count of the copy-data bytes that follow
//  36  ...               the copy-data bytes (CopyData only)
#include <QByteArray>
#include <cstdint>
#include <optional>

namespace windowlink {

enum class DatagramKind : uint8_t
{
    Post = 1,
    CopyData = 2,
    Reply = 3,
};

struct Datagram
{
    DatagramKind kind = DatagramKind::Post;
    uint32_t sequence = 0;
    uint32_t message = 0;
    int64_t wParam = 0;
    int64_t lParam = 0; // dwData for CopyData, the result for Reply
    QByteArray data;    // CopyData only
};

constexpr int kDatagramHeaderSize = 36;
// Largest copy-data record the link carries. A Unix datagram must fit the
// socket buffer in one piece; 60 000 bytes leaves room under the default.
constexpr int kMaxCopyDataBytes = 60000;

QByteArray EncodeDatagram(const Datagram& datagram);
// Gives nothing for anything that is not a well-formed datagram.
std::optional<Datagram> DecodeDatagram(const char* bytes, qsizetype size);

} // namespace windowlink
