#pragma once
// The font record of the platform (a LOGFONTA) and the font objects made from
// it. A font object only holds its record; faces are looked up and glyphs
// rendered when a canvas first draws or measures with it.
//
// Height: negative = character (em) height in pixels, positive = cell height
// (ascent + descent), 0 = a default cell height of 16 pixels.
// Escapement: baseline angle in tenths of a degree, counter-clockwise on the
// screen; the glyphs turn with the baseline.
// Quality: draft and non-antialiased render bilevel glyphs, every other value
// grey antialiased ones (the ClearType values too: no colour fringes).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vellinor {

struct TLogFontA {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0; // average character width in pixels, 0 = the face's own
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0; // 0 = FW_DONTCARE (normal), 100 ... 900
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {}; // UTF-8, at most 31 bytes and a terminating zero

    std::string FaceName() const;
    // Stores at most 31 bytes, cut at a character boundary.
    void SetFaceName(std::string_view name);
    friend bool operator==(const TLogFontA&, const TLogFontA&);
};
using LOGFONTA = TLogFontA;

constexpr int32_t FW_DONTCARE = 0;
constexpr int32_t FW_THIN = 100;
constexpr int32_t FW_LIGHT = 300;
constexpr int32_t FW_NORMAL = 400;
constexpr int32_t FW_MEDIUM = 500;
constexpr int32_t FW_SEMIBOLD = 600;
constexpr int32_t FW_BOLD = 700;
constexpr int32_t FW_HEAVY = 900;

constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SYMBOL_CHARSET = 2;
constexpr uint8_t SHIFTJIS_CHARSET = 128;
constexpr uint8_t HANGUL_CHARSET = 129;
constexpr uint8_t GB2312_CHARSET = 134;
constexpr uint8_t CHINESEBIG5_CHARSET = 136;

constexpr uint8_t OUT_DEFAULT_PRECIS = 0;
constexpr uint8_t CLIP_DEFAULT_PRECIS = 0;

constexpr uint8_t DEFAULT_QUALITY = 0;
constexpr uint8_t DRAFT_QUALITY = 1;
constexpr uint8_t PROOF_QUALITY = 2;
constexpr uint8_t NONANTIALIASED_QUALITY = 3;
constexpr uint8_t ANTIALIASED_QUALITY = 4;
constexpr uint8_t CLEARTYPE_QUALITY = 5;
constexpr uint8_t CLEARTYPE_NATURAL_QUALITY = 6;

constexpr uint8_t DEFAULT_PITCH = 0;
constexpr uint8_t FIXED_PITCH = 1;
constexpr uint8_t VARIABLE_PITCH = 2;
constexpr uint8_t FF_DONTCARE = 0x00;
constexpr uint8_t FF_ROMAN = 0x10;
constexpr uint8_t FF_SWISS = 0x20;
constexpr uint8_t FF_MODERN = 0x30;
constexpr uint8_t FF_SCRIPT = 0x40;
constexpr uint8_t FF_DECORATIVE = 0x50;

constexpr bool IsBilevelQuality(uint8_t quality) {
    return quality == DRAFT_QUALITY || quality == NONANTIALIASED_QUALITY;
}

// A created font: immutable, shared by whoever selected it. Releasing the last
// reference deletes it.
class TFontObject {
public:
    explicit TFontObject(const TLogFontA& logFont) : fLogFont(logFont) {}
    const TLogFontA& LogFont() const { return fLogFont; }

private:
    TLogFontA fLogFont;
};
using HFONT = std::shared_ptr<const TFontObject>;

HFONT CreateFontIndirectA(const TLogFontA& logFont);
// Copies the record of a font into logFont; returns the bytes copied
// (sizeof(TLogFontA)), or 0 for an empty handle.
int GetObjectA(const HFONT& font, TLogFontA& logFont);

} // namespace vellinor
