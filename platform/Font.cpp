#include "platform/Font.h"

#include <cstdint>

namespace vellinor {

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const int64_t p = static_cast<int64_t>(a) * b;
    const int64_t magnitude = p < 0 ? -p : p;
    const int64_t divisor = c < 0 ? -int64_t{c} : int64_t{c};
    int64_t q = (magnitude + divisor / 2) / divisor;
    if ((p < 0) != (c < 0)) q = -q;
    if (q > INT32_MAX || q < INT32_MIN) return -1;
    return static_cast<int>(q);
}

TLogFontA TFont::LogFont() const {
    TLogFontA lf;
    lf.lfHeight = Height;
    lf.lfWidth = 0;
    lf.lfEscapement = Orientation;
    lf.lfOrientation = Orientation;
    lf.lfWeight = Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = Style.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = Style.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = Style.Contains(fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = Charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = Quality;
    lf.lfPitchAndFamily = Pitch == fpFixed      ? FIXED_PITCH
                          : Pitch == fpVariable ? VARIABLE_PITCH
                                                : DEFAULT_PITCH;
    lf.SetFaceName(Name);
    return lf;
}

void TFont::SetLogFont(const TLogFontA& lf) {
    Name = lf.FaceName();
    Height = lf.lfHeight;
    uint8_t bits = 0;
    if (lf.lfWeight >= FW_BOLD) bits |= fsBold;
    if (lf.lfItalic != 0) bits |= fsItalic;
    if (lf.lfUnderline != 0) bits |= fsUnderline;
    if (lf.lfStrikeOut != 0) bits |= fsStrikeOut;
    Style = TFontStyles::FromBits(bits);
    Charset = lf.lfCharSet;
    const uint8_t pitch = lf.lfPitchAndFamily & 3;
    Pitch = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
    Orientation = lf.lfEscapement;
    Quality = lf.lfQuality;
}

void TFont::SetHandle(const HFONT& font) {
    TLogFontA lf;
    if (GetObjectA(font, lf) != 0) SetLogFont(lf);
}

} // namespace vellinor
