#include "platform/Raster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vellinor {

namespace {

constexpr double kEpsilon = 1e-7;

struct TEdge {
    double YTop;
    double YBottom;
    double XTop;
    double Slope; // dx per dy
    int Direction;
};

int FirstRowAtOrAfter(double y) {
    const double r = std::ceil(y - kEpsilon);
    return static_cast<int>(std::clamp(r, -2147483647.0, 2147483647.0));
}

} // namespace

void FillContours(std::span<const TContour> contours, TFillRule rule, const TRect& clip,
                  TSpanList& out) {
    if (clip.IsEmpty()) return;
    std::vector<TEdge> edges;
    double minY = std::numeric_limits<double>::max();
    double maxY = std::numeric_limits<double>::lowest();
    for (const TContour& c : contours) {
        const size_t n = c.size();
        if (n < 2) continue;
        for (size_t i = 0; i < n; ++i) {
            const TPointF a = c[i];
            const TPointF b = c[(i + 1) % n];
            if (!std::isfinite(a.X) || !std::isfinite(a.Y) || !std::isfinite(b.X) ||
                !std::isfinite(b.Y))
                continue;
            if (a.Y == b.Y) continue;
            TEdge e;
            if (a.Y < b.Y) {
                e = {a.Y, b.Y, a.X, (b.X - a.X) / (b.Y - a.Y), 1};
            } else {
                e = {b.Y, a.Y, b.X, (a.X - b.X) / (a.Y - b.Y), -1};
            }
            minY = std::min(minY, e.YTop);
            maxY = std::max(maxY, e.YBottom);
            edges.push_back(e);
        }
    }
    if (edges.empty()) return;
    const int y0 = std::max(clip.Top, FirstRowAtOrAfter(minY));
    const int y1 = std::min(clip.Bottom, FirstRowAtOrAfter(maxY));
    if (y0 >= y1) return;
    std::sort(edges.begin(), edges.end(),
              [](const TEdge& a, const TEdge& b) { return a.YTop < b.YTop; });

    std::vector<const TEdge*> active;
    std::vector<std::pair<double, int>> crossings;
    size_t next = 0;
    for (int y = y0; y < y1; ++y) {
        const double yc = y;
        while (next < edges.size() && edges[next].YTop <= yc + kEpsilon) {
            active.push_back(&edges[next]);
            ++next;
        }
        crossings.clear();
        size_t kept = 0;
        for (const TEdge* e : active) {
            if (e->YBottom <= yc + kEpsilon) continue;
            active[kept++] = e;
            if (e->YTop > yc + kEpsilon) continue;
            crossings.emplace_back(e->XTop + (yc - e->YTop) * e->Slope, e->Direction);
        }
        active.resize(kept);
        if (crossings.size() < 2) continue;
        std::sort(crossings.begin(), crossings.end());
        int winding = 0;
        double start = 0;
        for (const auto& [x, dir] : crossings) {
            const bool wasInside = rule == TFillRule::Winding ? winding != 0 : (winding & 1) != 0;
            winding += rule == TFillRule::Winding ? dir : 1;
            const bool inside = rule == TFillRule::Winding ? winding != 0 : (winding & 1) != 0;
            if (!wasInside && inside) {
                start = x;
            } else if (wasInside && !inside) {
                const double xa =
                    std::max(std::ceil(start - kEpsilon), static_cast<double>(clip.Left));
                const double xb =
                    std::min(std::ceil(x - kEpsilon), static_cast<double>(clip.Right));
                if (xa < xb) out.push_back({y, static_cast<int32_t>(xa), static_cast<int32_t>(xb)});
            }
        }
    }
}

int64_t RasterLine(TPoint p0, TPoint p1, const TRect& clip,
                   const std::function<void(int, int, int64_t)>& plot) {
    const int64_t dx = int64_t{p1.X} - p0.X;
    const int64_t dy = int64_t{p1.Y} - p0.Y;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const int64_t n = xMajor ? adx : ady;
    if (n == 0 || clip.IsEmpty()) return n;
    const int64_t major0 = xMajor ? p0.X : p0.Y;
    const int64_t minor0 = xMajor ? p0.Y : p0.X;
    const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t minorDelta = xMajor ? ady : adx;
    const int64_t lo = xMajor ? clip.Left : clip.Top;
    const int64_t hi = xMajor ? int64_t{clip.Right} - 1 : int64_t{clip.Bottom} - 1;
    // Steps whose major coordinate lies inside the clip.
    int64_t first, last;
    if (majorStep > 0) {
        first = lo - major0;
        last = hi - major0;
    } else {
        first = major0 - hi;
        last = major0 - lo;
    }
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, n - 1);
    const int64_t minorLo = xMajor ? clip.Top : clip.Left;
    const int64_t minorHi = xMajor ? int64_t{clip.Bottom} - 1 : int64_t{clip.Right} - 1;
    for (int64_t i = first; i <= last; ++i) {
        // Nearest pixel to the ideal line, halves towards the start point.
        const auto offset = static_cast<int64_t>(
            (static_cast<__int128>(2 * i) * minorDelta + n - 1) / (2 * static_cast<__int128>(n)));
        const int64_t minor = minor0 + minorStep * offset;
        if (minor < minorLo || minor > minorHi) continue;
        const int64_t major = major0 + majorStep * i;
        if (xMajor) {
            plot(static_cast<int>(major), static_cast<int>(minor), i);
        } else {
            plot(static_cast<int>(minor), static_cast<int>(major), i);
        }
    }
    return n;
}

std::span<const int> CosmeticDashes(int penStyle) {
    static constexpr int kDash[] = {18, 6};
    static constexpr int kDot[] = {3, 3};
    static constexpr int kDashDot[] = {9, 6, 3, 6};
    static constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (penStyle) {
    case 1:
        return kDash;
    case 2:
        return kDot;
    case 3:
        return kDashDot;
    case 4:
        return kDashDotDot;
    default:
        return {};
    }
}

} // namespace vellinor
