// The two content tests of JPEG 2000 streams.

#include "io/jp2/J2kCodec.h"
#include "platform/Stream.h"

#include <cstring>

namespace vellinor {

namespace {

// Compares the stream's next bytes with `expected` and moves back.
template <size_t N>
bool StartsWith(TStream& stream, const uint8_t (&expected)[N]) {
    const int64_t start = stream.Position();
    uint8_t bytes[N] = {};
    const bool match = stream.ReadExact(bytes, N) && std::memcmp(bytes, expected, N) == 0;
    stream.Seek(start, TSeekOrigin::soBeginning);
    return match;
}

} // namespace

bool IsJp2Stream(TStream& stream) {
    static constexpr uint8_t kSignatureBox[12] = {0,   0,   0,    12,   'j',  'P',
                                                  ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    return StartsWith(stream, kSignatureBox);
}

bool IsJ2kStream(TStream& stream) {
    static constexpr uint8_t kStartAndSize[4] = {0xFF, 0x4F, 0xFF, 0x51};
    return StartsWith(stream, kStartAndSize);
}

} // namespace vellinor
