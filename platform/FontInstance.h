#pragma once
// A font realised at one size and angle: its cell metrics, the faces that
// serve its characters (the chosen face, then per-character fallbacks) and a
// cache of rendered glyphs. Instances are per thread (FreeType faces are not
// shared between threads) and come from FontInstanceFor(); hold the returned
// pointer only for the duration of one drawing or measuring call.

#include "platform/Geometry.h"
#include "platform/LogFont.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct FT_GlyphSlotRec_; // FreeType's glyph slot

namespace vellinor {

// Coverage of one rendered glyph. Left/Top place its top-left pixel relative to
// the pen position on the baseline: x = pen.x + Left, y = pen.y - Top.
struct TGlyphImage {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Coverage; // Width * Height bytes, 0 ... 255
};
using TGlyphImagePtr = std::shared_ptr<const TGlyphImage>;

// The platform's text metrics of a realised font, in pixels.
struct TTextMetric {
    int32_t tmHeight = 0;
    int32_t tmAscent = 0;
    int32_t tmDescent = 0;
    int32_t tmInternalLeading = 0;
    int32_t tmExternalLeading = 0;
    int32_t tmAveCharWidth = 0;
    int32_t tmMaxCharWidth = 0;
    int32_t tmWeight = 0;
    uint8_t tmItalic = 0;
    uint8_t tmUnderlined = 0;
    uint8_t tmStruckOut = 0;
    uint8_t tmPitchAndFamily = 0;
    uint8_t tmCharSet = 0;
};

// Which face a font resolved to (for diagnostics and tests).
struct TFontDescription {
    std::string Family;
    std::string Path;
    int Weight = 400;    // of the face file
    bool Italic = false; // the face file is italic
    bool SyntheticBold = false;
    bool SyntheticItalic = false;
    double EmPixels = 0;
};

class TFontEngine;

class TFontInstance {
public:
    ~TFontInstance();
    TFontInstance(const TFontInstance&) = delete;
    TFontInstance& operator=(const TFontInstance&) = delete;

    const TTextMetric& Metrics() const { return fMetrics; }
    const TFontDescription& Description() const { return fDescription; }
    // Baseline angle in radians (counter-clockwise on the screen).
    double Angle() const { return fAngle; }
    // Underline and strike-out bars: top edge relative to the baseline
    // (positive = below) and thickness.
    int UnderlineOffset() const { return fUnderlineOffset; }
    int UnderlineThickness() const { return fUnderlineThickness; }
    int StrikeOutOffset() const { return fStrikeOutOffset; }
    int StrikeOutThickness() const { return fStrikeOutThickness; }

    // Advance of a character along the baseline in whole pixels.
    int Advance(char32_t c);
    // Its coverage, rendered on first use; null for blank glyphs.
    TGlyphImagePtr Image(char32_t c);
    // Very large fonts are not cached: their glyphs go straight to the clip.
    bool DrawsDirect() const;
    // Calls span(y, x, n, coverage) for the glyph's runs inside clip, the pen
    // position on the baseline at (originX, originY).
    void RenderDirect(char32_t c, int originX, int originY, const TRect& clip,
                      const std::function<void(int, int, int, uint8_t)>& span);

private:
    friend class TFontEngine;
    struct TSlot;
    struct TChar;
    TFontInstance(TFontEngine& engine, const TLogFontA& key);
    TChar& Lookup(char32_t c);
    ::FT_GlyphSlotRec_* LoadGlyph(const TChar& ch);
    int SlotForChar(char32_t c, uint32_t& glyph);
    bool AddSlot(const std::string& path, int index);
    size_t DropImages();

    TFontEngine& fEngine;
    TLogFontA fKey;
    std::vector<std::unique_ptr<TSlot>> fSlots;
    std::unordered_map<char32_t, std::unique_ptr<TChar>> fChars;
    std::array<TChar*, 128> fAscii{};
    TTextMetric fMetrics;
    TFontDescription fDescription;
    double fEmPixels = 16;
    double fXScale = 1;
    double fAngle = 0;
    bool fBilevel = false;
    bool fWantBold = false;
    bool fWantItalic = false;
    int fFallbackQueries = 0;
    int fUnderlineOffset = 1;
    int fUnderlineThickness = 1;
    int fStrikeOutOffset = -4;
    int fStrikeOutThickness = 1;
};
using TFontInstancePtr = std::shared_ptr<TFontInstance>;

// The realised font of a record on the calling thread (cached).
TFontInstancePtr FontInstanceFor(const TLogFontA& logFont);

// The face a record resolves to, the synthesis applied and the em size.
TFontDescription DescribeFont(const TLogFontA& logFont);

} // namespace vellinor
