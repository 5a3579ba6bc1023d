#pragma once
// Fixed colour-space formulas between RGB, ieCMYK and ieCIELab.

#include "image/PixelFormat.h"
#include "platform/Color.h"

namespace vellinor {

TCMYK RGB2CMYK(TRGB rgb);
TRGB CMYK2RGB(TCMYK cmyk);
TCIELab RGB2CIELab(TRGB rgb);
TRGB CIELab2RGB(TCIELab lab);

} // namespace vellinor
