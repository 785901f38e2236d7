// Window-link datagrams from other programs: decoding never crashes, and a
// datagram that decodes encodes back to exactly the same bytes.
#include "platform/windowlink/LinkDatagram.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    const std::optional<windowlink::Datagram> d = windowlink::DecodeDatagram(bytes, qsizetype(size));
    if (d) {
        const QByteArray again = windowlink::EncodeDatagram(*d);
        if (size_t(again.size()) != size || std::memcmp(again.constData(), bytes, size) != 0)
            std::abort();
    }
    return 0;
}
