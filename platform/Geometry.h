#pragma once
// Points, sizes and rectangles in integer device pixels. Rectangles follow the
// platform's rule: Left and Top are inside, Right and Bottom are not.

#include <algorithm>
#include <cstdint>

namespace vellinor {

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    int64_t Width() const { return int64_t{Right} - Left; }
    int64_t Height() const { return int64_t{Bottom} - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(int32_t x, int32_t y) {
    return TPoint{x, y};
}
constexpr TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return TRect{left, top, right, bottom};
}
constexpr TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    return TRect{left, top, left + width, top + height};
}

// The common part; an empty rectangle (all zero) when there is none.
inline TRect IntersectRect(const TRect& a, const TRect& b) {
    const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                  std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}

// The same rectangle with Left <= Right and Top <= Bottom.
inline TRect NormalizedRect(const TRect& r) {
    return TRect{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                 std::max(r.Top, r.Bottom)};
}

} // namespace vellinor
