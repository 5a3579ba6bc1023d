#pragma once
// The single-line edit box that in-place text editing shows over a text
// object. The toolkit adapter implements it (a frameless line edit); the
// vector layer asks it to appear at a screen rectangle with a font and
// colours, and reads the typed text back when editing ends.

#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/Geometry.h"

#include <string>

namespace vellinor {

class TIEVectEditBox {
public:
    virtual ~TIEVectEditBox() = default;
    // Shows the box over rect (view pixels) holding text, with the focus.
    virtual void Show(const TRect& rect, const TFont& font, TColor background,
                      const std::string& text) = 0;
    virtual void Hide() = 0;
    virtual bool Visible() const = 0;
    virtual std::string Text() const = 0;
    // The edit control's own undo of the typing.
    virtual void Undo() = 0;
};

} // namespace vellinor
