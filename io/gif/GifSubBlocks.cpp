#include "io/gif/GifSubBlocks.h"

#include "platform/Stream.h"

namespace vellinor {

void SkipGifSubBlocks(TStream& stream) {
    const int64_t size = stream.Size();
    uint8_t length = 0;
    while (stream.ReadExact(&length, 1) && length != 0) {
        const int64_t next = stream.Position() + length;
        if (next >= size) {
            stream.Seek(size, TSeekOrigin::soBeginning);
            return;
        }
        stream.Seek(next, TSeekOrigin::soBeginning);
    }
}

void ReadGifSubBlocks(TStream& stream, std::vector<uint8_t>& data) {
    uint8_t length = 0;
    while (stream.ReadExact(&length, 1) && length != 0) {
        const size_t old = data.size();
        data.resize(old + length);
        const int64_t got = stream.Read(data.data() + old, length);
        if (got < length) {
            data.resize(old + static_cast<size_t>(got > 0 ? got : 0));
            return;
        }
    }
}

void ForEachGifSubBlock(TStream& stream,
                        const std::function<void(std::span<const uint8_t>)>& onBlock) {
    uint8_t length = 0;
    uint8_t block[255];
    while (stream.ReadExact(&length, 1) && length != 0) {
        const int64_t got = stream.Read(block, length);
        if (got > 0) onBlock(std::span<const uint8_t>(block, static_cast<size_t>(got)));
        if (got < length) return;
    }
}

} // namespace vellinor
