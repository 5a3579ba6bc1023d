// The GIF LZW decoder alone. A GIF file is decoded at its first image with
// that image's size (so the corpus files seed it); other input takes the
// width, height and interlacing from its first three bytes and the data from
// the fourth byte on.

#include "io/gif/GifLzw.h"
#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

namespace {

struct TTarget {
    size_t Offset = 3;
    int Width = 0;
    int Height = 0;
    bool Interlaced = false;
};

// The first image's data in a GIF file; false when there is none.
bool FindFirstImage(const uint8_t* data, size_t size, TTarget& target) {
    if (size < 13 || std::memcmp(data, "GIF", 3) != 0) return false;
    size_t at = 13;
    if (data[10] & 0x80) at += 3 * (size_t{2} << (data[10] & 7));
    while (at < size) {
        const uint8_t introducer = data[at++];
        if (introducer == 0x21) {
            ++at; // label
            while (at < size && data[at] != 0)
                at += 1 + data[at];
            ++at;
        } else if (introducer == 0x2C) {
            if (at + 9 > size) return false;
            target.Width = std::min(data[at + 4] | data[at + 5] << 8, 2048);
            target.Height = std::min(data[at + 6] | data[at + 7] << 8, 2048);
            target.Interlaced = (data[at + 8] & 0x40) != 0;
            const uint8_t packed = data[at + 8];
            at += 9;
            if (packed & 0x80) at += 3 * (size_t{2} << (packed & 7));
            target.Offset = at;
            return at < size;
        } else if (introducer == 0x3B) {
            return false;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vellinor;
    TTarget target;
    if (!FindFirstImage(data, size, target)) {
        if (size < 3) return 0;
        target = TTarget{3, data[0] + 1, data[1] & 0x7F, (data[2] & 1) != 0};
    }
    TSpanStream stream(std::span<const uint8_t>(data + target.Offset, size - target.Offset));
    // One spare byte that must never be written.
    std::vector<uint8_t> out(static_cast<size_t>(target.Width) * target.Height + 1, 0x5A);
    GifLzwDecompress(stream, target.Height, target.Width,
                     std::span<uint8_t>(out.data(), out.size() - 1), target.Interlaced);
    if (out.back() != 0x5A) std::abort();
    const int64_t position = stream.Position();
    if (position < 0 || position > static_cast<int64_t>(size - target.Offset)) std::abort();
    return 0;
}
