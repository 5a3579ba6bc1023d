#include "io/gif/GifColorTable.h"

#include "io/IOGuards.h"
#include "platform/Stream.h"

namespace vellinor {

std::vector<TRGB> ReadGifColorTable(TStream& stream, int count) {
    const std::vector<uint8_t> bytes = ReadBlock(stream, int64_t{3} * count);
    std::vector<TRGB> colors(static_cast<size_t>(count));
    for (size_t i = 0; i + 2 < bytes.size(); i += 3)
        colors[i / 3] = TRGB{bytes[i + 2], bytes[i + 1], bytes[i]};
    return colors;
}

void AppendGifColorTable(std::vector<uint8_t>& out, std::span<const TRGB> colors) {
    for (const TRGB& c : colors)
        out.insert(out.end(), {c.r, c.g, c.b});
}

} // namespace vellinor
