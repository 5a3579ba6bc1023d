// Text out, clipped text, measurement: glyph coverage from the font instance
// blended onto the target in the text colour.

#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cmath>

namespace vellinor {

struct TCanvas::TLayout {
    std::u32string Chars;
    std::vector<int> Pen; // distance of each character's origin along the baseline
    int Width = 0;
};

void TCanvas::LayoutLine(TFontInstance& font, std::u32string_view text, std::span<const int> dx,
                         TLayout& layout) {
    layout.Chars.assign(text.begin(), text.end());
    layout.Pen.resize(text.size());
    int64_t pen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        layout.Pen[i] = static_cast<int>(std::clamp<int64_t>(pen, INT32_MIN / 2, INT32_MAX / 2));
        pen += i < dx.size() ? dx[i] : font.Advance(text[i]);
    }
    layout.Width = static_cast<int>(std::clamp<int64_t>(pen, INT32_MIN / 2, INT32_MAX / 2));
}

void TCanvas::DrawLayout(TRasterTarget& target, TFontInstance& font, const TLogFontA& logFont,
                         const TLayout& layout, TPointF baseline, const TRect& clip, TColor color) {
    if (clip.IsEmpty()) return;
    const TRGB rgb = TColor2TRGB(color);
    const uint32_t value = target.DeviceValue(color);
    const double c = std::cos(font.Angle()), s = std::sin(font.Angle());
    const TTextMetric& m = font.Metrics();
    // Glyphs farther than this from their origin are not rendered at all.
    const double reach = 2.0 * std::max(m.tmHeight, m.tmMaxCharWidth) + 4;
    std::vector<uint8_t> run;
    for (size_t i = 0; i < layout.Chars.size(); ++i) {
        const double ox = baseline.X + layout.Pen[i] * c;
        const double oy = baseline.Y - layout.Pen[i] * s;
        if (ox + reach < clip.Left || ox - reach > clip.Right || oy + reach < clip.Top ||
            oy - reach > clip.Bottom)
            continue;
        if (font.DrawsDirect()) {
            font.RenderDirect(layout.Chars[i], static_cast<int>(std::lround(ox)),
                              static_cast<int>(std::lround(oy)), clip,
                              [&](int y, int x, int n, uint8_t coverage) {
                                  run.assign(static_cast<size_t>(n), coverage);
                                  target.BlendCoverage(y, x, run.data(), n, rgb, value);
                              });
            continue;
        }
        const TGlyphImagePtr image = font.Image(layout.Chars[i]);
        if (!image) continue;
        const int64_t left = std::llround(ox) + image->Left;
        const int64_t top = std::llround(oy) - image->Top;
        const int64_t x0 = std::max<int64_t>(left, clip.Left);
        const int64_t x1 = std::min<int64_t>(left + image->Width, clip.Right);
        const int64_t y0 = std::max<int64_t>(top, clip.Top);
        const int64_t y1 = std::min<int64_t>(top + image->Height, clip.Bottom);
        if (x0 >= x1 || y0 >= y1) continue;
        for (int64_t y = y0; y < y1; ++y) {
            const uint8_t* row = image->Coverage.data() +
                                 static_cast<size_t>(y - top) * static_cast<size_t>(image->Width) +
                                 static_cast<size_t>(x0 - left);
            target.BlendCoverage(static_cast<int>(y), static_cast<int>(x0), row,
                                 static_cast<int>(x1 - x0), rgb, value);
        }
    }
    // Underline and strike-out bars run along the whole advance.
    auto bar = [&](int offset, int thickness) {
        const double w = layout.Width;
        const TPointF down{s, c}, along{c, -s};
        auto at = [&](double a, double d) {
            return TPointF{baseline.X + along.X * a + down.X * d,
                           baseline.Y + along.Y * a + down.Y * d};
        };
        const TContour quad{at(0, offset), at(w, offset), at(w, offset + thickness),
                            at(0, offset + thickness)};
        FillPolygons(target, std::span<const TContour>(&quad, 1), value, clip);
    };
    if (logFont.lfUnderline != 0) bar(font.UnderlineOffset(), font.UnderlineThickness());
    if (logFont.lfStrikeOut != 0) bar(font.StrikeOutOffset(), font.StrikeOutThickness());
}

int TCanvas::DrawTextLine(TFontInstance& font, const TLogFontA& logFont, std::u32string_view text,
                          int x, int y, uint32_t options, const TRect* rect,
                          std::span<const int> dx, uint32_t align) {
    RealizeObjects();
    TLayout layout;
    LayoutLine(font, text, dx, layout);
    const TTextMetric& m = font.Metrics();
    const double c = std::cos(font.Angle()), s = std::sin(font.Angle());
    if (align & TA_UPDATECP) {
        x = fPenPos.X;
        y = fPenPos.Y;
    }
    double along = 0;
    if ((align & TA_CENTER) == TA_CENTER) {
        along = -(layout.Width / 2);
    } else if (align & TA_RIGHT) {
        along = -layout.Width;
    }
    double down = m.tmAscent;
    if ((align & TA_BASELINE) == TA_BASELINE) {
        down = 0;
    } else if (align & TA_BOTTOM) {
        down = -m.tmDescent;
    }
    const TPointF baseline{x + along * c + down * s, y - along * s + down * c};

    TRasterTarget target(fTarget);
    TRect clip = EffectiveClip();
    if (rect != nullptr && (options & ETO_OPAQUE)) {
        const TRect fill = IntersectRect(NormalizedRect(*rect), clip);
        TPaint paint;
        paint.Fore = target.DeviceValue(fBkColor);
        for (int row = fill.Top; row < fill.Bottom; ++row)
            target.PaintSpan(row, fill.Left, fill.Right, paint);
    }
    if (rect != nullptr && (options & ETO_CLIPPED))
        clip = IntersectRect(clip, NormalizedRect(*rect));
    if (fBkMode == OPAQUE && !clip.IsEmpty()) {
        // The text cell: from the ascent line to the descent line along the advance.
        auto at = [&](double a, double d) {
            return TPointF{baseline.X + c * a + s * d, baseline.Y - s * a + c * d};
        };
        const double w = layout.Width;
        const TContour cell{at(0, -m.tmAscent), at(w, -m.tmAscent), at(w, m.tmDescent),
                            at(0, m.tmDescent)};
        FillPolygons(target, std::span<const TContour>(&cell, 1), target.DeviceValue(fBkColor),
                     clip);
    }
    DrawLayout(target, font, logFont, layout, baseline, clip, fTextColor);
    if (align & TA_UPDATECP) {
        const double move = (align & TA_CENTER) == TA_CENTER ? 0
                            : (align & TA_RIGHT)             ? -layout.Width
                                                             : layout.Width;
        fPenPos = {static_cast<int32_t>(std::lround(x + move * c)),
                   static_cast<int32_t>(std::lround(y - move * s))};
    }
    return layout.Width;
}

bool TCanvas::ExtTextOut(int x, int y, uint32_t options, const TRect* rect, std::string_view text,
                         std::span<const int> dx) {
    const TLogFontA logFont = CurrentLogFont();
    const TFontInstancePtr font = FontInstanceFor(logFont);
    DrawTextLine(*font, logFont, DecodeUtf8(text), x, y, options, rect, dx, fTextAlign);
    return true;
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    const TLogFontA logFont = CurrentLogFont();
    const TFontInstancePtr font = FontInstanceFor(logFont);
    const int width =
        DrawTextLine(*font, logFont, DecodeUtf8(text), x, y, 0, nullptr, {}, fTextAlign);
    if ((fTextAlign & TA_UPDATECP) == 0) MoveTo(x + width, y);
}

void TCanvas::TextRect(const TRect& rect, int x, int y, std::string_view text) {
    RealizeObjects();
    const uint32_t options = ETO_CLIPPED | (fBrush.Style != bsClear ? ETO_OPAQUE : 0);
    ExtTextOut(x, y, options, &rect, text);
}

TSize TCanvas::TextExtent(std::string_view text) {
    const TFontInstancePtr font = FontInstanceFor(CurrentLogFont());
    TLayout layout;
    LayoutLine(*font, DecodeUtf8(text), {}, layout);
    return {layout.Width, font->Metrics().tmHeight};
}

TTextMetric TCanvas::GetTextMetrics() {
    const TLogFontA logFont = CurrentLogFont();
    TTextMetric m = FontInstanceFor(logFont)->Metrics();
    m.tmUnderlined = logFont.lfUnderline;
    m.tmStruckOut = logFont.lfStrikeOut;
    return m;
}

std::string TCanvas::GetTextFace() {
    return FontInstanceFor(CurrentLogFont())->Description().Family;
}

} // namespace vellinor
