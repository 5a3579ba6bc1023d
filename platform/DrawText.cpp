// Labels: the platform's DrawText for single lines, centring and word breaks.

#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"
#include "platform/Utf8.h"

#include <algorithm>

namespace vellinor {

namespace {

struct TTextLine {
    size_t Begin;
    size_t End; // one past the last character drawn
    int Width;
};

// Removes the "&" prefixes; returns the index of the underlined character or
// -1.
int64_t StripPrefixes(std::u32string& text) {
    std::u32string out;
    int64_t underlined = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != U'&') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == U'&') {
            out.push_back(U'&');
            ++i;
        } else if (i + 1 < text.size()) {
            underlined = static_cast<int64_t>(out.size());
        }
    }
    text = std::move(out);
    return underlined;
}

} // namespace

int TCanvas::DrawText(std::string_view utf8, TRect& rect, uint32_t format) {
    const TLogFontA logFont = CurrentLogFont();
    const TFontInstancePtr fontPtr = FontInstanceFor(logFont);
    TFontInstance& font = *fontPtr;
    const TTextMetric& m = font.Metrics();
    std::u32string text = DecodeUtf8(utf8);
    const int64_t underlined = (format & DT_NOPREFIX) ? -1 : StripPrefixes(text);

    auto width = [&](size_t begin, size_t end) {
        int64_t w = 0;
        for (size_t i = begin; i < end; ++i)
            w += font.Advance(text[i]);
        return static_cast<int>(std::min<int64_t>(w, INT32_MAX / 2));
    };
    std::vector<TTextLine> lines;
    if (format & DT_SINGLELINE) {
        lines.push_back({0, text.size(), width(0, text.size())});
    } else {
        const int64_t available = rect.Width();
        size_t begin = 0;
        while (begin <= text.size()) {
            size_t end = text.find(U'\n', begin);
            if (end == std::u32string::npos) end = text.size();
            size_t paragraphEnd = end;
            if (paragraphEnd > begin && text[paragraphEnd - 1] == U'\r') --paragraphEnd;
            if (!(format & DT_WORDBREAK)) {
                lines.push_back({begin, paragraphEnd, width(begin, paragraphEnd)});
            } else {
                // Greedy filling: words move to the next line when they would
                // cross the right edge; a word alone on a line is never cut.
                size_t lineBegin = begin;
                while (true) {
                    size_t lineEnd = lineBegin;
                    size_t scan = lineBegin;
                    while (scan < paragraphEnd) {
                        size_t wordEnd = scan;
                        while (wordEnd < paragraphEnd && text[wordEnd] == U' ')
                            ++wordEnd;
                        while (wordEnd < paragraphEnd && text[wordEnd] != U' ')
                            ++wordEnd;
                        if (lineEnd > lineBegin && width(lineBegin, wordEnd) > available) break;
                        lineEnd = wordEnd;
                        scan = wordEnd;
                    }
                    lines.push_back({lineBegin, lineEnd, width(lineBegin, lineEnd)});
                    lineBegin = lineEnd;
                    while (lineBegin < paragraphEnd && text[lineBegin] == U' ')
                        ++lineBegin;
                    if (lineBegin >= paragraphEnd) break;
                }
            }
            if (end >= text.size()) break;
            begin = end + 1;
        }
    }

    const int lineHeight = m.tmHeight;
    const int total = static_cast<int>(lines.size()) * lineHeight;
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const TTextLine& line : lines)
            widest = std::max(widest, line.Width);
        rect.Right = rect.Left + widest;
        rect.Bottom = rect.Top + total;
        return total;
    }
    int64_t top = rect.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) {
            top = rect.Top + (rect.Height() - lineHeight) / 2;
        } else if (format & DT_BOTTOM) {
            top = int64_t{rect.Bottom} - lineHeight;
        }
    }
    const uint32_t options = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
    for (size_t k = 0; k < lines.size(); ++k) {
        const TTextLine& line = lines[k];
        int64_t x = rect.Left;
        if (format & DT_CENTER) {
            x = rect.Left + (rect.Width() - line.Width) / 2;
        } else if (format & DT_RIGHT) {
            x = int64_t{rect.Right} - line.Width;
        }
        const int64_t y = top + static_cast<int64_t>(k) * lineHeight;
        const auto xi = static_cast<int>(std::clamp<int64_t>(x, INT32_MIN / 2, INT32_MAX / 2));
        const auto yi = static_cast<int>(std::clamp<int64_t>(y, INT32_MIN / 2, INT32_MAX / 2));
        const std::u32string_view part(text.data() + line.Begin, line.End - line.Begin);
        DrawTextLine(font, logFont, part, xi, yi, options, &rect, {}, TA_TOP | TA_LEFT);
        if (underlined >= static_cast<int64_t>(line.Begin) &&
            underlined < static_cast<int64_t>(line.End)) {
            const auto at = static_cast<size_t>(underlined);
            const int start = xi + width(line.Begin, at);
            const int stop = start + font.Advance(text[at]);
            TRect bar{start, yi + m.tmAscent + font.UnderlineOffset(), stop,
                      yi + m.tmAscent + font.UnderlineOffset() + font.UnderlineThickness()};
            TRect clip = EffectiveClip();
            if (options & ETO_CLIPPED) clip = IntersectRect(clip, rect);
            bar = IntersectRect(bar, clip);
            TRasterTarget target(fTarget);
            TPaint paint;
            paint.Fore = target.DeviceValue(TextColor());
            for (int row = bar.Top; row < bar.Bottom; ++row)
                target.PaintSpan(row, bar.Left, bar.Right, paint);
        }
    }
    return static_cast<int>(top - rect.Top) + total;
}

} // namespace vellinor
