#pragma once
// Remembers colour -> palette index answers of a slow search. A photograph
// has far fewer distinct colours than pixels, so each is searched once: the
// table holds one block of 256 blues for every (red, green) pair met, made
// on first use, so that its size follows the colours of the picture.

#include "platform/Color.h"

#include <cstdint>
#include <vector>

namespace vellinor {

class TColorIndexCache {
public:
    TColorIndexCache() : fBlockOf(256 * 256, -1) {}

    // search(color) must give an index in 0 ... 65534.
    template <typename Search>
    int Find(TRGB color, Search&& search) {
        int32_t& block = fBlockOf[static_cast<size_t>(color.r) << 8 | color.g];
        if (block < 0) {
            block = static_cast<int32_t>(fEntries.size() / 256);
            fEntries.resize(fEntries.size() + 256, 0);
        }
        uint16_t& entry = fEntries[static_cast<size_t>(block) * 256 + color.b];
        if (entry == 0) entry = static_cast<uint16_t>(search(color) + 1);
        return entry - 1;
    }

private:
    std::vector<int32_t> fBlockOf;  // (red, green) -> block, -1 = none yet
    std::vector<uint16_t> fEntries; // index + 1, 0 = not searched yet
};

} // namespace vellinor
