#include "vect/HandPicture.h"

#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"

namespace vellinor {

std::unique_ptr<TIEBitmap> MakeHandPicture() {
    auto picture = std::make_unique<TIEBitmap>();
    picture->Relocate(ieTBitmap);
    if (!picture->Setup(64, 64, ie24RGB)) return picture;
    TCanvas& c = picture->AsVclBitmap()->Canvas();
    c.Brush().Style = bsSolid;
    c.Brush().Color = clWhite;
    c.FillRect(Rect(0, 0, 64, 64));
    c.Pen().Color = clBlack;
    c.Pen().Width = 2;
    c.Brush().Color = 0x00B4DCF5; // skin
    // Thumb, palm, then the fingers over the palm's top edge.
    const TPoint thumb[] = {{22, 40}, {8, 30}, {5, 34}, {14, 46}, {24, 54}};
    c.Polygon(thumb);
    c.RoundRect(18, 32, 58, 61, 16, 16);
    c.RoundRect(49, 27, 58, 44, 8, 8);
    c.RoundRect(41, 24, 50, 43, 8, 8);
    c.RoundRect(33, 22, 42, 42, 8, 8);
    c.RoundRect(24, 3, 34, 42, 10, 10); // the pointing finger
    c.Pen().Width = 1;
    c.Line(27, 9, 31, 9); // its nail
    return picture;
}

} // namespace vellinor
