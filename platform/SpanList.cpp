#include "platform/SpanList.h"

#include <algorithm>

namespace vellinor {

void NormalizeSpans(TSpanList& spans) {
    std::sort(spans.begin(), spans.end(),
              [](const TSpan& a, const TSpan& b) { return a.Y != b.Y ? a.Y < b.Y : a.X0 < b.X0; });
    size_t out = 0;
    for (const TSpan& s : spans) {
        if (s.X1 <= s.X0) continue;
        if (out > 0 && spans[out - 1].Y == s.Y && s.X0 <= spans[out - 1].X1) {
            spans[out - 1].X1 = std::max(spans[out - 1].X1, s.X1);
        } else {
            spans[out++] = s;
        }
    }
    spans.resize(out);
}

TSpanList SubtractSpans(const TSpanList& a, const TSpanList& b) {
    TSpanList out;
    out.reserve(a.size());
    size_t j = 0;
    for (const TSpan& s : a) {
        while (j < b.size() && (b[j].Y < s.Y || (b[j].Y == s.Y && b[j].X1 <= s.X0)))
            ++j;
        int32_t x = s.X0;
        for (size_t k = j; k < b.size() && b[k].Y == s.Y && b[k].X0 < s.X1; ++k) {
            if (b[k].X0 > x) out.push_back({s.Y, x, b[k].X0});
            x = std::max(x, b[k].X1);
        }
        if (x < s.X1) out.push_back({s.Y, x, s.X1});
    }
    return out;
}

void ClipSpans(TSpanList& spans, const TRect& clip) {
    size_t out = 0;
    for (const TSpan& s : spans) {
        if (s.Y < clip.Top || s.Y >= clip.Bottom) continue;
        const int32_t x0 = std::max(s.X0, clip.Left);
        const int32_t x1 = std::min(s.X1, clip.Right);
        if (x0 < x1) spans[out++] = {s.Y, x0, x1};
    }
    spans.resize(out);
}

} // namespace vellinor
