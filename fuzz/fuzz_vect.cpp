// The vector object layer under objects made from untrusted data (the text
// and settings a caller hands over): any kind, corners, pen, opacity, shadow,
// font record and text must draw on screen and merge into every kind of
// picture without faults.

#include "image/TIEBitmap.h"
#include "vect/REzoreZuDidu.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace vellinor;

namespace {

class TReader {
public:
    TReader(const uint8_t* data, size_t size) : fData(data), fSize(size) {}
    bool Empty() const { return fAt >= fSize; }
    uint8_t Byte() { return fAt < fSize ? fData[fAt++] : 0; }
    int32_t Int() {
        // Mostly small numbers near the picture, sometimes anything at all.
        const uint8_t kind = Byte();
        if (kind < 200) return static_cast<int8_t>(Byte());
        if (kind < 250) return static_cast<int16_t>(Byte() | (Byte() << 8));
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | Byte();
        return static_cast<int32_t>(v);
    }
    std::string Text() {
        const size_t n = Byte() % 16;
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

void AddObject(REzoreZuDidu& view, TReader& in) {
    view.SetShapeKind(-1, in.Byte() % 13);
    TVectShape& t = view.Shape(-1);
    t.Left = in.Int();
    t.Top = in.Int();
    t.Right = in.Int();
    t.Bottom = in.Int();
    t.Opacity = in.Int();
    t.PenStyle = in.Byte() % 8;
    t.PenWidth = in.Int() % 64;
    t.FillStyle = in.Byte() % 9;
    t.Highlight = in.Byte() % 2;
    t.TextAlign = in.Byte() % 5;
    t.FontQuality = in.Byte() % 8;
    t.StartArrow = in.Byte() % 3;
    t.EndArrow = in.Byte() % 3;
    t.ArrowWidth = in.Int();
    t.ArrowLength = in.Int();
    t.ArcStart = in.Int() / 16.0;
    t.ArcEnd = in.Int() / 16.0;
    t.PenColor = static_cast<TColor>(in.Int()) & 0x00FFFFFF;
    t.FillColor = static_cast<TColor>(in.Int()) & 0x00FFFFFF;
    if (t.Font) {
        t.Font->lfHeight = in.Int() % 400;
        t.Font->lfEscapement = in.Int();
        t.Font->lfItalic = in.Byte() % 2;
    }
    t.PolyPoints = {{in.Int(), in.Int()}, {in.Int(), in.Int()}, {in.Int(), in.Int()}};
    t.PolyBase = Rect(in.Int(), in.Int(), in.Int(), in.Int());
    t.PolyClosed = in.Byte() % 2;
    TIEVSoftShadow& shadow = view.ShapeShadow(-1);
    shadow.Enabled = in.Byte() % 2;
    shadow.Radius = (in.Int() % 200) / 8.0;
    shadow.OffsetX = in.Int() % 100;
    shadow.OffsetY = in.Int() % 100;
    shadow.Intensity = in.Int();
    view.SetShapeText(-1, in.Text());
    view.AddShape();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TReader in(data, size);
    REzoreZuDidu view;
    TIEBitmap& picture = view.CurrentBitmap();
    const int width = 1 + in.Byte() % 96, height = 1 + in.Byte() % 96;
    static const TIEPixelFormat kFormats[] = {ie24RGB, ie24RGB, ie8p, ie1g, ie8g};
    const TIEPixelFormat format = kFormats[in.Byte() % 5];
    if (in.Byte() % 2 != 0) {
        picture.Discard();
        picture.Relocate(ieMemory);
    }
    picture.Setup(width, height, ie24RGB);
    picture.FillAll(in.Byte());
    picture.ConvertTo(format);
    const int objects = 1 + in.Byte() % 4;
    for (int i = 0; i < objects && !in.Empty(); ++i)
        AddObject(view, in);
    view.SetSupersampleShapes(in.Byte() % 2);
    view.SetClientSize(1 + in.Byte() % 128, 1 + in.Byte() % 128);
    view.SetZoom(1 + in.Byte() * 12);
    view.SetViewXY(in.Int(), in.Int());
    view.Update();
    view.MergeShapes(in.Byte() % 2 != 0);
    view.RemoveShape(in.Int() % 8);
    view.MergeShapes(true);
    return 0;
}
