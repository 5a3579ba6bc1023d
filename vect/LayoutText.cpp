// Text objects: the font at the drawing size, the vertical offset V and the
// horizontal offset M by alignment and escapement, the box, then one line of
// text clipped to the box.
//
// Escapement turns the text counter-clockwise about the top-left corner of
// its cell (the drawing layer's rule). A left-aligned text therefore needs
// room on the left only when it turns clockwise (its bottom-left corner then
// lies left of the start), and a right-aligned text loses room on the right
// only when it turns counter-clockwise; the offsets below shift the cell just
// enough in those cases and agree with the plain offsets for level text.

#include "vect/ShapeDrawing.h"
#include "vect/TIECanvas.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace vellinor {

namespace {

constexpr double kPi = 3.14159265358979323846;

int Trunc(double v) {
    return static_cast<int>(std::trunc(std::clamp(v, -2e9, 2e9)));
}

int RoundHalfEven(double v) {
    return static_cast<int>(std::nearbyint(std::clamp(v, -2e9, 2e9)));
}

} // namespace

void REzoreZuDidu::LayoutText(TIECanvas& canvas, TVectShape& s, int hobj, int x1, int y1, int x2,
                              int y2, double zoomX, double zoomY, bool alphaPass) {
    if (!s.Text) return;
    if (hobj >= 0 && hobj == fEditingShape) {
        // The edit box shows the text; the object shows its frame.
        canvas.SetBrushStyle(bsClear);
        canvas.Rectangle(x1 - 1, y1 - 1, x2 + 1, y2 + 1);
        return;
    }
    TLogFontA lf = s.Font ? *s.Font : (fTemplate.Font ? *fTemplate.Font : TLogFontA{});
    lf.lfQuality = LogFontQualityOf(s.FontQuality);
    // Height 0: the cell fills the mapped box.
    lf.lfHeight = lf.lfHeight == 0 ? y2 - y1 : Trunc(lf.lfHeight * zoomY);
    if (!s.TextPath.empty()) {
        TextAlongPath(canvas, s, lf, x1, y1, x2, y2);
        return;
    }
    const std::string& text = *s.Text;
    const HFONT old = canvas.SelectFont(CreateFontIndirectA(lf));

    const double theta = lf.lfEscapement / 10.0 * kPi / 180;
    const double sinT = std::sin(theta), cosT = std::cos(theta);
    const TSize extent = canvas.TextExtent(text);
    const double W = extent.cx, H = extent.cy;

    const int v = Trunc((y2 - y1) - cosT * H + sinT * W) / 2;
    const bool outlined = s.PenStyle != psClear;
    const int penRoom = outlined ? RoundHalfEven((s.PenWidth + 1) * zoomX) : 0;
    int m = 0;
    switch (s.TextAlign) {
    case 0: // left
        m = std::max(0, -Trunc(sinT * H)) + penRoom;
        break;
    case 1: // right
        m = Trunc((x2 - x1) - cosT * W - std::max(0.0, sinT * H)) - penRoom;
        break;
    case 2:
    case 3: // centred
        m = Trunc((x2 - x1) - cosT * W - sinT * H) / 2;
        break;
    default:
        break;
    }

    // The box (nothing shows when pen and brush are both clear), then the text.
    canvas.Rectangle(x1, y1, x2 + 1, y2 + 1);
    canvas.SetBrushStyle(bsClear);
    canvas.SetTextColor(s.PenColor);
    canvas.TextRect(Rect(x1, y1, x2, y2), x1 + m, y1 + v, text);
    canvas.SelectFont(old);
}

void REzoreZuDidu::TextAlongPath(TIECanvas& canvas, TVectShape& s, const TLogFontA& font, int x1,
                                 int y1, int x2, int y2) {
    const std::string& text = *s.Text;
    if (text.empty() || s.TextPath.size() < 2) return;
    const double sx = std::abs(x2 - x1), sy = std::abs(y2 - y1);
    std::vector<TPointF> path;
    for (const TVectPathPoint& p : s.TextPath)
        path.push_back({x1 + p.X * sx, y1 + p.Y * sy});
    double length = 0;
    for (size_t i = 1; i < path.size(); ++i)
        length += std::hypot(path[i].X - path[i - 1].X, path[i].Y - path[i - 1].Y);
    // One UTF-8 character at a time.
    std::vector<std::string> characters;
    for (size_t i = 0; i < text.size();) {
        size_t n = 1;
        while (i + n < text.size() && (static_cast<uint8_t>(text[i + n]) & 0xC0) == 0x80)
            ++n;
        characters.push_back(text.substr(i, n));
        i += n;
    }
    const int step = static_cast<int>(std::trunc(length / characters.size()));
    canvas.SetBrushStyle(bsClear);
    canvas.SetTextColor(s.PenColor);
    size_t segment = 1;
    double walked = 0; // along the path up to the start of `segment`
    for (size_t i = 0; i < characters.size(); ++i) {
        const double at = static_cast<double>(step) * i;
        while (segment + 1 < path.size()) {
            const double seg = std::hypot(path[segment].X - path[segment - 1].X,
                                          path[segment].Y - path[segment - 1].Y);
            if (walked + seg >= at) break;
            walked += seg;
            ++segment;
        }
        const TPointF a = path[segment - 1], b = path[segment];
        const double seg = std::hypot(b.X - a.X, b.Y - a.Y);
        const double t = seg > 0 ? std::clamp((at - walked) / seg, 0.0, 1.0) : 0;
        // The glyph turns with its segment; TextPathSpacing is the glyph
        // routine's spacing value, which the drawing layer has no use for.
        TLogFontA glyphFont = font;
        glyphFont.lfEscapement =
            static_cast<int32_t>(std::lround(-std::atan2(b.Y - a.Y, b.X - a.X) * 1800 / kPi));
        const HFONT old = canvas.SelectFont(CreateFontIndirectA(glyphFont));
        canvas.TextOut(static_cast<int>(std::lround(a.X + (b.X - a.X) * t)),
                       static_cast<int>(std::lround(a.Y + (b.Y - a.Y) * t)), characters[i]);
        canvas.SelectFont(old);
    }
}

} // namespace vellinor
