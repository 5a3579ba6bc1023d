#pragma once
// The font holder of the form library: name, size in points, height in
// pixels, colour and style, turned into a font record on demand. Points and
// pixels convert at PixelsPerInch (96): Height = -MulDiv(Size, 96, 72).

#include "platform/Color.h"
#include "platform/LogFont.h"

#include <cstdint>
#include <string>

namespace vellinor {

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A set of TFontStyle values.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(TFontStyle s) : fBits(s) {}
    constexpr bool Contains(TFontStyle s) const { return (fBits & s) != 0; }
    constexpr bool Empty() const { return fBits == 0; }
    constexpr TFontStyles operator+(TFontStyles other) const {
        return FromBits(fBits | other.fBits);
    }
    constexpr TFontStyles operator-(TFontStyles other) const {
        return FromBits(fBits & ~other.fBits);
    }
    constexpr uint8_t Bits() const { return fBits; }
    static constexpr TFontStyles FromBits(uint8_t bits) {
        TFontStyles s;
        s.fBits = bits & 15;
        return s;
    }
    friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

private:
    uint8_t fBits = 0;
};
constexpr TFontStyles operator+(TFontStyle a, TFontStyle b) {
    return TFontStyles(a) + TFontStyles(b);
}

enum TFontPitch : uint8_t { fpDefault = 0, fpVariable = 1, fpFixed = 2 };

// Rounded a * b / c as the platform computes it (halves away from zero);
// -1 when c is 0.
int MulDiv(int a, int b, int c);

class TFont {
public:
    std::string Name = "MS Sans Serif";
    int32_t Height = -11;
    TColor Color = 0xFF000008; // the window-text system colour
    TFontStyles Style;
    uint8_t Charset = DEFAULT_CHARSET;
    TFontPitch Pitch = fpDefault;
    int32_t Orientation = 0; // escapement and orientation, tenths of a degree
    uint8_t Quality = DEFAULT_QUALITY;
    int PixelsPerInch = 96;

    int Size() const { return -MulDiv(Height, 72, PixelsPerInch); }
    void SetSize(int points) { Height = -MulDiv(points, PixelsPerInch, 72); }

    // The record this holder stands for (weight FW_BOLD with fsBold, else
    // FW_NORMAL).
    TLogFontA LogFont() const;
    // Takes name, height, style, charset, pitch, orientation and quality from
    // a record (bold from a weight of FW_BOLD or more); the colour stays.
    void SetLogFont(const TLogFontA& logFont);

    // A font object of LogFont(); a new one for every call.
    HFONT Handle() const { return CreateFontIndirectA(LogFont()); }
    void SetHandle(const HFONT& font);

    friend bool operator==(const TFont&, const TFont&) = default;
};

} // namespace vellinor
