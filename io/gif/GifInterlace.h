#pragma once
// The row order of interlaced GIF images: four passes, starting at rows 0, 4,
// 2 and 1, with steps 8, 8, 4 and 2.

#include <array>
#include <cstddef>
#include <vector>

namespace vellinor {

struct TGifPass {
    int Start;
    int Step;
};

inline constexpr std::array<TGifPass, 4> kGifInterlacePasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};

// The image row of each stored row, in the order the rows are stored.
inline std::vector<int> GifStoredRowOrder(int height, bool interlaced) {
    std::vector<int> order;
    if (height <= 0) return order;
    order.reserve(static_cast<size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    for (const TGifPass& pass : kGifInterlacePasses)
        for (int y = pass.Start; y < height; y += pass.Step)
            order.push_back(y);
    return order;
}

} // namespace vellinor
