#include "platform/LogFont.h"

#include <algorithm>
#include <cstring>

namespace vellinor {

std::string TLogFontA::FaceName() const {
    return std::string(lfFaceName, strnlen(lfFaceName, sizeof(lfFaceName) - 1));
}

void TLogFontA::SetFaceName(std::string_view name) {
    size_t n = std::min(name.size(), sizeof(lfFaceName) - 1);
    // Do not leave half of a UTF-8 sequence behind.
    if (n < name.size()) {
        while (n > 0 && (static_cast<uint8_t>(name[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memset(lfFaceName, 0, sizeof(lfFaceName));
    std::memcpy(lfFaceName, name.data(), n);
}

bool operator==(const TLogFontA& a, const TLogFontA& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight &&
           a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline &&
           a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           strncmp(a.lfFaceName, b.lfFaceName, sizeof(a.lfFaceName)) == 0;
}

HFONT CreateFontIndirectA(const TLogFontA& logFont) {
    TLogFontA copy = logFont;
    copy.lfFaceName[sizeof(copy.lfFaceName) - 1] = 0;
    return std::make_shared<const TFontObject>(copy);
}

int GetObjectA(const HFONT& font, TLogFontA& logFont) {
    if (!font) return 0;
    logFont = font->LogFont();
    return static_cast<int>(sizeof(TLogFontA));
}

} // namespace vellinor
