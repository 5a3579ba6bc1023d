#include "io/jpeg/JpegStreamScan.h"

#include "platform/Stream.h"

#include <array>

namespace vellinor {

namespace {

constexpr int kStartSearch = 150;

} // namespace

int64_t FindJpegStart(TStream& stream) {
    const int64_t start = stream.Position();
    if (start < 0) return -1;
    std::array<uint8_t, kStartSearch + 2> bytes{};
    const int64_t got = stream.Read(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(start, TSeekOrigin::soBeginning);
    for (int64_t i = 0; i + 2 < got && i < kStartSearch; ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xD8 && bytes[i + 2] == 0xFF) return start + i;
    }
    return -1;
}

int64_t JpegStreamLength(TStream& stream) {
    const int64_t start = stream.Position();
    if (start < 0) return 0;
    const int64_t size = stream.Size();
    auto finish = [&](int64_t end) {
        stream.Seek(start, TSeekOrigin::soBeginning);
        return end - start;
    };
    uint8_t byte = 0;
    for (;;) {
        if (!stream.ReadValue(byte)) return finish(size);
        if (byte != 0xFF) continue;
        do {
            if (!stream.ReadValue(byte)) return finish(size);
        } while (byte == 0xFF);
        if (byte == 0xD9) return finish(stream.Position());
        // SOI, restart markers, TEM and stuffed zeros have no length.
        if (byte == 0x00 || byte == 0x01 || byte == 0xD8 || (byte >= 0xD0 && byte <= 0xD7)) {
            continue;
        }
        uint8_t length[2];
        if (!stream.ReadExact(length, 2)) return finish(size);
        const int skip = (length[0] << 8 | length[1]) - 2;
        if (skip > 0 && stream.Seek(skip, TSeekOrigin::soCurrent) < 0) return finish(size);
        if (stream.Position() > size) return finish(size);
    }
}

} // namespace vellinor
