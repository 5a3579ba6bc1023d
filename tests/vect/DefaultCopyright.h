#pragma once
// The copyright object the stamping workflow adds with its default settings
// (bottom margin, yellow italic "Times New Roman" with a soft shadow), made
// the way the main window makes it. Shared by the tests and the benchmark.

#include "platform/Font.h"
#include "vect/REzoreZuDidu.h"

#include <string>

namespace vellinor::test {

inline constexpr TColor kCopyrightYellow = 0x0000FFFF;

inline int AddDefaultCopyright(REzoreZuDidu& view, const std::string& fileName,
                               const std::string& text = "Copyright \xC2\xA9 2010, Osterlind",
                               bool shadow = true) {
    const int w = view.CurrentBitmap().Width(), h = view.CurrentBitmap().Height();
    view.SetShapeInteract(view.GetShapeInteract() | oiSelect);
    view.MoveByCenterGrip = 0;
    view.SetShapeKind(-1, vkText);
    view.SetShapeLeft(-1, 80);
    view.SetShapeHeight(-1, 32);
    view.SetShapeWidth(-1, w - 160);
    view.SetShapeTop(-1, h - 60);
    view.SetShapeFitToText(-1, 1);
    view.SetShapeText(-1, text);
    view.SetShapeOpacity(-1, 255);
    view.SetShapePenColor(-1, kCopyrightYellow);
    view.SetShapeFillColor(-1, kCopyrightYellow);
    view.SetShapeFillStyle(-1, 1);
    view.SetShapePenStyle(-1, 5);
    TFont font; // the font dialog's design font, changed as the window changes it
    font.Name = "Times New Roman";
    font.SetSize(0);
    font.Color = kCopyrightYellow;
    font.Style = font.Style + fsItalic;
    view.SetShapeFont(-1, font);
    if (shadow) {
        view.SetSupersampleShapes(1);
        view.ShapeShadow(-1).Enabled = 1;
    }
    view.SetShapeWidth(-1, w - static_cast<int>(fileName.size()));
    return view.AddShape();
}

} // namespace vellinor::test
