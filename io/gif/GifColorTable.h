#pragma once
// GIF colour tables hold red, green, blue; palettes here hold TRGB (blue,
// green, red). These two convert on the way in and out.

#include "platform/Color.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vellinor {

class TStream;

// Entries of a table of 2^(sizeField + 1) colours.
inline int GifTableEntries(int sizeField) {
    return 2 << (sizeField & 7);
}

// Reads count entries; those the stream does not hold are black.
std::vector<TRGB> ReadGifColorTable(TStream& stream, int count);

// Appends the colours as file entries.
void AppendGifColorTable(std::vector<uint8_t>& out, std::span<const TRGB> colors);

} // namespace vellinor
