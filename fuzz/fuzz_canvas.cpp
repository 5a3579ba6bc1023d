// The drawing layer under commands from untrusted data, as a metafile player
// hands them on: any coordinates, pen widths, font records and byte strings
// must draw (or not) without faults, in every bit depth.

#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace vellinor;

namespace {

class TReader {
public:
    TReader(const uint8_t* data, size_t size) : fData(data), fSize(size) {}
    bool Empty() const { return fAt >= fSize; }
    uint8_t Byte() { return fAt < fSize ? fData[fAt++] : 0; }
    int32_t Int() {
        // Mostly small numbers near the bitmap, sometimes anything at all.
        const uint8_t kind = Byte();
        if (kind < 200) return static_cast<int8_t>(Byte());
        if (kind < 250) return static_cast<int16_t>(Byte() | (Byte() << 8));
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | Byte();
        return static_cast<int32_t>(v);
    }
    std::string Text() {
        const size_t n = Byte() % 24;
        std::string s;
        for (size_t i = 0; i < n && !Empty(); ++i)
            s.push_back(static_cast<char>(Byte()));
        return s;
    }

private:
    const uint8_t* fData;
    size_t fSize;
    size_t fAt = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TReader in(data, size);
    static const int kDepths[] = {1, 4, 8, 15, 16, 24, 32};
    TPlatformBitmap bitmap(48, 32, kDepths[in.Byte() % 7]);
    TPlatformBitmap picture(5, 3, 8);
    TCanvas& c = bitmap.Canvas();
    static const char* const kFaces[] = {"Times New Roman", "Arial", "", "WenQuanYi Micro Hei",
                                         "No Such Face"};
    int steps = 0;
    while (!in.Empty() && ++steps < 64) {
        const uint8_t op = in.Byte();
        auto point = [&] { return TPoint{in.Int(), in.Int()}; };
        std::vector<TPoint> points(in.Byte() % 7);
        switch (op % 24) {
        case 0:
            c.Pen().Color = static_cast<TColor>(in.Int());
            c.Pen().Width = in.Int();
            c.Pen().Style = static_cast<TPenStyle>(in.Byte() % 7);
            c.Pen().Mode = static_cast<TPenMode>(in.Byte() % 16);
            c.Pen().Geometric = in.Byte() & 1;
            c.Pen().EndCap = static_cast<TPenEndCap>(in.Byte() % 3);
            c.Pen().Join = static_cast<TPenJoin>(in.Byte() % 3);
            break;
        case 1:
            c.Brush().Color = static_cast<TColor>(in.Int());
            c.Brush().Style = static_cast<TBrushStyle>(in.Byte() % 8);
            break;
        case 2: {
            TLogFontA lf;
            lf.lfHeight = static_cast<int16_t>(in.Int());
            lf.lfWidth = static_cast<int16_t>(in.Int());
            lf.lfEscapement = in.Int();
            lf.lfWeight = in.Int();
            lf.lfItalic = in.Byte();
            lf.lfUnderline = in.Byte();
            lf.lfStrikeOut = in.Byte();
            lf.lfCharSet = in.Byte();
            lf.lfQuality = in.Byte();
            lf.lfPitchAndFamily = in.Byte();
            lf.SetFaceName(kFaces[in.Byte() % 5]);
            c.SelectFont(CreateFontIndirectA(lf));
            break;
        }
        case 3:
            c.SetBkMode(in.Byte() & 1 ? OPAQUE : TRANSPARENT);
            c.SetBkColor(static_cast<TColor>(in.Int()));
            c.SetTextColor(static_cast<TColor>(in.Int()));
            c.SetTextAlign(in.Byte());
            c.SetPolyFillMode(in.Byte() & 1 ? WINDING : ALTERNATE);
            break;
        case 4:
            if (in.Byte() & 1) {
                c.IntersectClipRect({in.Int(), in.Int(), in.Int(), in.Int()});
            } else {
                c.ResetClip();
            }
            break;
        case 5:
            c.MoveTo(in.Int(), in.Int());
            c.LineTo(in.Int(), in.Int());
            break;
        case 6:
            for (TPoint& p : points)
                p = point();
            c.Polyline(points);
            break;
        case 7:
            for (TPoint& p : points)
                p = point();
            c.Polygon(points);
            break;
        case 8:
            for (TPoint& p : points)
                p = point();
            c.PolyBezier(points);
            break;
        case 9:
            c.Rectangle(in.Int(), in.Int(), in.Int(), in.Int());
            break;
        case 10:
            c.Ellipse(in.Int(), in.Int(), in.Int(), in.Int());
            break;
        case 11:
            c.RoundRect(in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int());
            break;
        case 12:
            c.Arc(in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int());
            break;
        case 13:
            c.Pie(in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int());
            break;
        case 14:
            c.Chord(in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int());
            break;
        case 15:
            c.FillRect({in.Int(), in.Int(), in.Int(), in.Int()});
            c.FrameRect({in.Int(), in.Int(), in.Int(), in.Int()});
            break;
        case 16:
            c.PatBlt({in.Int(), in.Int(), in.Int(), in.Int()}, static_cast<uint32_t>(in.Int()));
            c.DrawFocusRect({in.Int(), in.Int(), in.Int(), in.Int()});
            break;
        case 17:
            c.CopyRect({in.Int(), in.Int(), in.Int(), in.Int()}, in.Byte() & 1 ? picture : bitmap,
                       {in.Int(), in.Int(), in.Int(), in.Int()}, static_cast<uint32_t>(in.Int()));
            break;
        case 18: {
            const int x = in.Int(), y = in.Int();
            c.TextOut(x, y, in.Text());
            break;
        }
        case 19: {
            const TRect r{in.Int(), in.Int(), in.Int(), in.Int()};
            const uint32_t options = in.Byte();
            std::vector<int> dx(in.Byte() % 5);
            for (int& d : dx)
                d = in.Int();
            const int x = in.Int(), y = in.Int();
            c.ExtTextOut(x, y, options, &r, in.Text(), dx);
            break;
        }
        case 20: {
            TRect r{in.Int(), in.Int(), in.Int(), in.Int()};
            const uint32_t format = static_cast<uint32_t>(in.Int());
            c.DrawText(in.Text(), r, format);
            break;
        }
        case 21:
            c.SetPixel(in.Int(), in.Int(), static_cast<TColor>(in.Int()));
            (void)c.Pixel(in.Int(), in.Int());
            break;
        case 22:
            (void)c.TextExtent(in.Text());
            (void)c.GetTextMetrics();
            break;
        default:
            c.Font().Name = kFaces[in.Byte() % 5];
            c.Font().Height = static_cast<int16_t>(in.Int());
            c.Font().Style = TFontStyles::FromBits(in.Byte());
            c.Font().Orientation = in.Int();
            c.Font().Quality = in.Byte();
            break;
        }
    }
    return 0;
}
