#pragma once
// A direct-mapped memory of colour -> palette index answers. A photograph has
// far fewer distinct colours than pixels, and neighbouring pixels repeat, so
// most lookups of a slow search are answered from here.

#include "platform/Color.h"

#include <cstdint>
#include <vector>

namespace vellinor {

class TColorIndexCache {
public:
    TColorIndexCache() : fSlots(kSize) {}

    template <typename Search>
    int Find(TRGB color, Search&& search) {
        const uint32_t key = KeyOf(color);
        Slot& slot = fSlots[(key * 2654435761u) >> (32 - kBits)];
        if (slot.key != key) {
            slot.key = key;
            slot.index = search(color);
        }
        return slot.index;
    }

    // 24 colour bits and a bit that no empty slot has.
    static uint32_t KeyOf(TRGB c) {
        return 0x1000000u | static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 |
               c.b;
    }

private:
    static constexpr int kBits = 16;
    static constexpr size_t kSize = size_t{1} << kBits;
    struct Slot {
        uint32_t key = 0;
        int32_t index = 0;
    };
    std::vector<Slot> fSlots;
};

} // namespace vellinor
