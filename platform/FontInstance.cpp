#include "platform/FontInstance.h"

#include "platform/FaceLookup.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <utility>

namespace vellinor {

namespace {

constexpr int kDefaultCellHeight = 16;
// Larger fonts are drawn at this em size; keeps glyph images within reason
// whatever a font record asks for.
constexpr double kMaxEmPixels = 8192;
// Above this em size glyphs are not cached but drawn straight into the clip.
constexpr double kDirectEmPixels = 512;
constexpr size_t kInstanceCapacity = 32;
constexpr size_t kImageBudgetBytes = 64u << 20;
constexpr int kMaxFallbackQueries = 48;
// Slant of synthetic italics (tan of about 12 degrees).
constexpr double kObliqueShear = 0.2126;

FT_Fixed ToFixed(double v) {
    return static_cast<FT_Fixed>(std::lround(v * 65536.0));
}

// Keys of the instance cache: the fields that change glyphs or metrics.
TLogFontA InstanceKey(const TLogFontA& lf) {
    TLogFontA key = lf;
    key.lfHeight = lf.lfHeight == 0 ? kDefaultCellHeight : lf.lfHeight;
    key.lfEscapement = ((lf.lfEscapement % 3600) + 3600) % 3600;
    key.lfOrientation = 0;
    key.lfUnderline = 0;
    key.lfStrikeOut = 0;
    key.lfOutPrecision = 0;
    key.lfClipPrecision = 0;
    key.lfQuality = IsBilevelQuality(lf.lfQuality) ? NONANTIALIASED_QUALITY : ANTIALIASED_QUALITY;
    key.lfWeight = lf.lfWeight <= 0 ? FW_NORMAL : std::min(lf.lfWeight, 1000);
    key.lfItalic = lf.lfItalic != 0 ? 1 : 0;
    return key;
}

// Weighted lowercase average of the original OS/2 definition; metric-compatible
// faces give the same value as the faces they stand in for.
constexpr struct {
    char c;
    int weight;
} kAverageWeights[] = {{'a', 64}, {'b', 14}, {'c', 27}, {'d', 35}, {'e', 100}, {'f', 20}, {'g', 14},
                       {'h', 42}, {'i', 63}, {'j', 3},  {'k', 6},  {'l', 35},  {'m', 20}, {'n', 56},
                       {'o', 56}, {'p', 17}, {'q', 4},  {'r', 49}, {'s', 56},  {'t', 71}, {'u', 31},
                       {'v', 10}, {'w', 18}, {'x', 3},  {'y', 18}, {'z', 2},   {' ', 166}};

// Average character width in font units.
double AverageCharWidth(FT_Face face) {
    double sum = 0;
    for (const auto& w : kAverageWeights) {
        const FT_UInt g = FT_Get_Char_Index(face, static_cast<FT_ULong>(w.c));
        FT_Fixed advance = 0;
        if (g == 0 || FT_Get_Advance(face, g, FT_LOAD_NO_SCALE, &advance) != 0) {
            const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
            return os2 != nullptr && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth
                                                            : face->units_per_EM / 2.0;
        }
        sum += static_cast<double>(advance) * w.weight;
    }
    return sum / 1000.0;
}

struct TVerticalMetrics {
    double ascent;  // font units
    double descent; // font units, positive
    double lineGap; // external leading in font units
};

TVerticalMetrics VerticalMetrics(FT_Face face) {
    const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    TVerticalMetrics m{};
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        m.ascent = os2->usWinAscent;
        m.descent = os2->usWinDescent;
    } else {
        m.ascent = face->ascender;
        m.descent = -face->descender;
    }
    if (m.ascent + m.descent <= 0) {
        m.ascent = face->units_per_EM * 0.8;
        m.descent = face->units_per_EM * 0.2;
    }
    if (hhea != nullptr) {
        const double hheaHeight = hhea->Ascender - hhea->Descender;
        m.lineGap = std::max(0.0, hhea->Line_Gap - ((m.ascent + m.descent) - hheaHeight));
    }
    return m;
}

} // namespace

// --- The per-thread engine: FreeType library, open faces, instance cache ------

class TFontEngine {
public:
    TFontEngine() {
        if (FT_Init_FreeType(&fLibrary) != 0) fLibrary = nullptr;
    }
    ~TFontEngine() {
        fInstances.clear();
        for (auto& [key, face] : fFaces)
            FT_Done_Face(face);
        if (fLibrary != nullptr) FT_Done_FreeType(fLibrary);
    }
    TFontEngine(const TFontEngine&) = delete;
    TFontEngine& operator=(const TFontEngine&) = delete;

    static TFontEngine& ForThisThread() {
        thread_local TFontEngine engine;
        return engine;
    }

    FT_Library Library() const { return fLibrary; }

    FT_Face Face(const std::string& path, int index) {
        const auto key = std::make_pair(path, index);
        auto it = fFaces.find(key);
        if (it != fFaces.end()) return it->second;
        FT_Face face = nullptr;
        if (fLibrary == nullptr || FT_New_Face(fLibrary, path.c_str(), index, &face) != 0)
            face = nullptr;
        if (face != nullptr && FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0)
            FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL);
        if (face != nullptr && !FT_IS_SCALABLE(face)) {
            FT_Done_Face(face);
            face = nullptr;
        }
        fFaces.emplace(key, face);
        return face;
    }

    TFontInstancePtr Instance(const TLogFontA& logFont) {
        const TLogFontA key = InstanceKey(logFont);
        for (size_t i = 0; i < fInstances.size(); ++i) {
            if (fInstances[i]->fKey == key) {
                if (i != 0)
                    std::rotate(fInstances.begin(), fInstances.begin() + i,
                                fInstances.begin() + i + 1);
                return fInstances.front();
            }
        }
        TFontInstancePtr created(new TFontInstance(*this, key));
        fInstances.insert(fInstances.begin(), created);
        if (fInstances.size() > kInstanceCapacity) fInstances.pop_back();
        return created;
    }

    // Called after an image of `bytes` was cached.
    void NoteImageBytes(size_t bytes) {
        fImageBytes += bytes;
        if (fImageBytes <= kImageBudgetBytes) return;
        for (auto& instance : fInstances)
            instance->DropImages();
        fImageBytes = 0;
    }

private:
    FT_Library fLibrary = nullptr;
    std::map<std::pair<std::string, int>, FT_Face> fFaces;
    std::vector<TFontInstancePtr> fInstances; // most recently used first
    size_t fImageBytes = 0;
};

// --- Faces serving one instance ----------------------------------------------

struct TFontInstance::TSlot {
    FT_Face Face = nullptr;
    FT_Size Size = nullptr;
    FT_Matrix Matrix{0x10000, 0, 0, 0x10000};
    bool Transformed = false;
    FT_Pos Embolden = 0; // 26.6 pixels, 0 = none
    ~TSlot() {
        if (Size != nullptr) FT_Done_Size(Size);
    }
};

struct TFontInstance::TChar {
    int Slot = -1; // -1: nothing drawn (control character without a glyph)
    FT_UInt Glyph = 0;
    int Advance = 0;
    bool Rendered = false;
    TGlyphImagePtr Image;
};

TFontInstance::TFontInstance(TFontEngine& engine, const TLogFontA& key)
    : fEngine(engine), fKey(key) {
    fBilevel = IsBilevelQuality(key.lfQuality);
    fWantBold = key.lfWeight >= FW_SEMIBOLD;
    fWantItalic = key.lfItalic != 0;
    fAngle = key.lfEscapement / 10.0 * std::numbers::pi / 180.0;
    TFaceRequest request{key.FaceName(), key.lfWeight, fWantItalic, key.lfPitchAndFamily,
                         key.lfCharSet};
    if (const auto face = LookupFace(request)) {
        fDescription.Family = face->Family;
        fDescription.Path = face->Path;
        AddSlot(face->Path, face->Index);
    }
    if (fSlots.empty()) {
        // No usable face: metrics only, nothing is drawn.
        const int cell = key.lfHeight > 0 ? key.lfHeight : -key.lfHeight;
        fMetrics.tmHeight = cell;
        fMetrics.tmAscent = cell - cell / 5;
        fMetrics.tmDescent = cell / 5;
    } else {
        fDescription.SyntheticBold = fSlots[0]->Embolden != 0;
        fDescription.SyntheticItalic = fWantItalic && !fDescription.Italic;
    }
    fDescription.EmPixels = fEmPixels;
}

TFontInstance::~TFontInstance() = default;

bool TFontInstance::DrawsDirect() const {
    return fEmPixels > kDirectEmPixels;
}

bool TFontInstance::AddSlot(const std::string& path, int index) {
    FT_Face face = fEngine.Face(path, index);
    if (face == nullptr) return false;
    // Weight and slant as the face file states them (the lookup reports what
    // it would synthesise).
    const auto* faceOs2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    int faceWeight = (face->style_flags & FT_STYLE_FLAG_BOLD) ? FW_BOLD : FW_NORMAL;
    if (faceOs2 != nullptr && faceOs2->version != 0xFFFF && faceOs2->usWeightClass > 0)
        faceWeight =
            faceOs2->usWeightClass < 10 ? faceOs2->usWeightClass * 100 : faceOs2->usWeightClass;
    const bool faceItalic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    if (fSlots.empty()) {
        fDescription.Weight = faceWeight;
        fDescription.Italic = faceItalic;
    }
    auto slot = std::make_unique<TSlot>();
    slot->Face = face;
    if (FT_New_Size(face, &slot->Size) != 0) {
        slot->Size = nullptr;
        return false;
    }
    FT_Activate_Size(slot->Size);
    const bool primary = fSlots.empty();
    if (primary) {
        // Em size from the record: negative height = em, positive = cell.
        const TVerticalMetrics vm = VerticalMetrics(face);
        const double upem = face->units_per_EM;
        const double cell =
            std::min<double>(std::abs(static_cast<double>(fKey.lfHeight)), kMaxEmPixels * 1.5);
        fEmPixels = fKey.lfHeight < 0 ? cell : cell * upem / (vm.ascent + vm.descent);
        fEmPixels = std::clamp(fEmPixels, 1.0, kMaxEmPixels);
        const double scale = fEmPixels / upem;
        const double average = AverageCharWidth(face);
        if (fKey.lfWidth != 0) {
            const double natural = average * scale;
            fXScale = std::clamp(std::abs(fKey.lfWidth) / std::max(natural, 0.01), 1.0 / 64, 64.0);
        }
        TTextMetric& m = fMetrics;
        m.tmAscent = static_cast<int32_t>(std::lround(vm.ascent * scale));
        if (fKey.lfHeight > 0 && cell == std::abs(static_cast<double>(fKey.lfHeight))) {
            m.tmHeight = static_cast<int32_t>(cell);
            m.tmDescent = m.tmHeight - m.tmAscent;
        } else {
            m.tmDescent = static_cast<int32_t>(std::lround(vm.descent * scale));
            m.tmHeight = m.tmAscent + m.tmDescent;
        }
        m.tmInternalLeading =
            std::max(0, m.tmHeight - static_cast<int32_t>(std::lround(fEmPixels)));
        m.tmExternalLeading = static_cast<int32_t>(std::lround(vm.lineGap * scale));
        m.tmAveCharWidth = static_cast<int32_t>(std::lround(average * scale * fXScale));
        const auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
        const double maxAdvance =
            hhea != nullptr ? hhea->advance_Width_Max : face->max_advance_width;
        m.tmMaxCharWidth = static_cast<int32_t>(std::lround(maxAdvance * scale * fXScale));
        m.tmWeight = fKey.lfWeight;
        m.tmItalic = fKey.lfItalic;
        m.tmCharSet = fKey.lfCharSet;
        m.tmPitchAndFamily = fKey.lfPitchAndFamily;

        const auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
        const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        const double ulPosition = post != nullptr ? post->underlinePosition : -upem / 10;
        const double ulThickness =
            post != nullptr && post->underlineThickness > 0 ? post->underlineThickness : upem / 20;
        fUnderlineOffset = std::max(1, static_cast<int>(std::lround(-ulPosition * scale)));
        fUnderlineThickness = std::max(1, static_cast<int>(std::lround(ulThickness * scale)));
        const bool hasStrike = os2 != nullptr && os2->version != 0xFFFF && os2->yStrikeoutSize > 0;
        const double soPosition = hasStrike ? os2->yStrikeoutPosition : upem * 0.26;
        const double soThickness = hasStrike ? os2->yStrikeoutSize : ulThickness;
        fStrikeOutOffset = -static_cast<int>(std::lround(soPosition * scale));
        fStrikeOutThickness = std::max(1, static_cast<int>(std::lround(soThickness * scale)));
    }
    const FT_F26Dot6 height = static_cast<FT_F26Dot6>(std::lround(fEmPixels * 64));
    const FT_F26Dot6 width = static_cast<FT_F26Dot6>(std::lround(fEmPixels * fXScale * 64));
    if (FT_Set_Char_Size(face, std::max<FT_F26Dot6>(width, 1), std::max<FT_F26Dot6>(height, 1), 72,
                         72) != 0)
        return false;

    // Synthesis: oblique for a missing italic, emboldening for a missing bold.
    const bool oblique = fWantItalic && !faceItalic;
    const double shear = oblique ? kObliqueShear : 0.0;
    const double c = std::cos(fAngle), s = std::sin(fAngle);
    slot->Matrix.xx = ToFixed(c);
    slot->Matrix.xy = ToFixed(c * shear - s);
    slot->Matrix.yx = ToFixed(s);
    slot->Matrix.yy = ToFixed(s * shear + c);
    slot->Transformed = oblique || fKey.lfEscapement != 0;
    if (fWantBold && faceWeight < FW_SEMIBOLD)
        slot->Embolden =
            std::max<FT_Pos>(64, static_cast<FT_Pos>(std::lround(fEmPixels * 64 / 24)));
    fSlots.push_back(std::move(slot));
    return true;
}

size_t TFontInstance::DropImages() {
    size_t dropped = 0;
    for (auto& [c, ch] : fChars) {
        if (ch->Image) dropped += ch->Image->Coverage.size();
        ch->Image.reset();
        ch->Rendered = false;
    }
    return dropped;
}

int TFontInstance::SlotForChar(char32_t c, uint32_t& glyph) {
    auto glyphIn = [&](size_t slot) -> FT_UInt {
        FT_Face face = fSlots[slot]->Face;
        FT_UInt g = FT_Get_Char_Index(face, c);
        if (g == 0 && face->charmap != nullptr &&
            face->charmap->encoding == FT_ENCODING_MS_SYMBOL && c < 0x100)
            g = FT_Get_Char_Index(face, 0xF000 + c);
        return g;
    };
    for (size_t i = 0; i < fSlots.size(); ++i) {
        if (FT_UInt g = glyphIn(i); g != 0) {
            glyph = g;
            return static_cast<int>(i);
        }
    }
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return -1;
    if (fFallbackQueries < kMaxFallbackQueries) {
        ++fFallbackQueries;
        TFaceRequest request{fKey.FaceName(), fKey.lfWeight, fWantItalic, fKey.lfPitchAndFamily,
                             fKey.lfCharSet};
        if (const auto face = LookupFaceForChar(request, c)) {
            if (AddSlot(face->Path, face->Index)) {
                if (FT_UInt g = glyphIn(fSlots.size() - 1); g != 0) {
                    glyph = g;
                    return static_cast<int>(fSlots.size() - 1);
                }
            }
        }
    }
    glyph = 0; // the missing-character box of the chosen face
    return 0;
}

TFontInstance::TChar& TFontInstance::Lookup(char32_t c) {
    if (c < 128 && fAscii[c] != nullptr) return *fAscii[c];
    auto it = fChars.find(c);
    if (it != fChars.end()) return *it->second;
    auto ch = std::make_unique<TChar>();
    if (!fSlots.empty()) {
        uint32_t glyph = 0;
        ch->Slot = SlotForChar(c, glyph);
        ch->Glyph = glyph;
        if (ch->Slot >= 0) {
            TSlot& slot = *fSlots[static_cast<size_t>(ch->Slot)];
            FT_Activate_Size(slot.Size);
            FT_Fixed advance = 0;
            if (FT_Get_Advance(slot.Face, ch->Glyph, FT_LOAD_NO_HINTING, &advance) == 0) {
                const double pixels = advance / 65536.0 + slot.Embolden / 64.0;
                ch->Advance = static_cast<int>(std::lround(pixels));
            }
        }
    }
    TChar* raw = ch.get();
    fChars.emplace(c, std::move(ch));
    if (c < 128) fAscii[c] = raw;
    return *raw;
}

int TFontInstance::Advance(char32_t c) {
    return Lookup(c).Advance;
}

FT_GlyphSlot TFontInstance::LoadGlyph(const TChar& ch) {
    TSlot& slot = *fSlots[static_cast<size_t>(ch.Slot)];
    FT_Face face = slot.Face;
    FT_Activate_Size(slot.Size);
    FT_Set_Transform(face, slot.Transformed ? &slot.Matrix : nullptr, nullptr);
    FT_Int32 flags = FT_LOAD_NO_BITMAP;
    if (fBilevel) {
        flags |= FT_LOAD_TARGET_MONO;
    } else if (slot.Transformed) {
        flags |= FT_LOAD_NO_HINTING;
    } else if (FT_IS_SFNT(face) && (face->face_flags & FT_FACE_FLAG_HINTER) != 0) {
        // The face's own instructions; the interpreter hints vertically only,
        // so stems and baselines are crisp and advances stay linear.
        flags |= FT_LOAD_TARGET_NORMAL;
    } else {
        flags |= FT_LOAD_TARGET_LIGHT;
    }
    const bool loaded = FT_Load_Glyph(face, ch.Glyph, flags) == 0;
    FT_Set_Transform(face, nullptr, nullptr);
    if (!loaded) return nullptr;
    FT_GlyphSlot g = face->glyph;
    if (g->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
    if (slot.Embolden != 0) FT_Outline_Embolden(&g->outline, slot.Embolden);
    return g;
}

TGlyphImagePtr TFontInstance::Image(char32_t c) {
    TChar& ch = Lookup(c);
    if (ch.Rendered || ch.Slot < 0) return ch.Image;
    ch.Rendered = true;
    FT_GlyphSlot g = LoadGlyph(ch);
    if (g == nullptr) return nullptr;
    if (FT_Render_Glyph(g, fBilevel ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
        return nullptr;
    const FT_Bitmap& bm = g->bitmap;
    if (bm.width == 0 || bm.rows == 0) return nullptr;
    auto image = std::make_shared<TGlyphImage>();
    image->Left = g->bitmap_left;
    image->Top = g->bitmap_top;
    image->Width = static_cast<int>(bm.width);
    image->Height = static_cast<int>(bm.rows);
    image->Coverage.resize(static_cast<size_t>(bm.width) * bm.rows);
    for (unsigned y = 0; y < bm.rows; ++y) {
        const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
        uint8_t* dst = image->Coverage.data() + static_cast<size_t>(y) * bm.width;
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (unsigned x = 0; x < bm.width; ++x)
                dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) != 0 ? 255 : 0;
        } else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
            const int levels = std::max(1, bm.num_grays - 1);
            for (unsigned x = 0; x < bm.width; ++x)
                dst[x] = levels == 255 ? src[x] : static_cast<uint8_t>(src[x] * 255 / levels);
        }
    }
    ch.Image = image;
    fEngine.NoteImageBytes(image->Coverage.size());
    return ch.Image;
}

namespace {

struct TSpanTarget {
    const std::function<void(int, int, int, uint8_t)>* Span;
    int Left;
    int Top;
    bool Bilevel;
};

void DirectSpans(int y, int count, const FT_Span* spans, void* user) {
    const auto& t = *static_cast<const TSpanTarget*>(user);
    // Rows were flipped: FreeType row y is device row Top - y - 1.
    const int row = t.Top - y - 1;
    for (int i = 0; i < count; ++i) {
        uint8_t coverage = spans[i].coverage;
        if (t.Bilevel) coverage = coverage >= 128 ? 255 : 0;
        if (coverage != 0) (*t.Span)(row, t.Left + spans[i].x, spans[i].len, coverage);
    }
}

} // namespace

void TFontInstance::RenderDirect(char32_t c, int originX, int originY, const TRect& clip,
                                 const std::function<void(int, int, int, uint8_t)>& span) {
    TChar& ch = Lookup(c);
    if (ch.Slot < 0 || clip.IsEmpty()) return;
    FT_GlyphSlot g = LoadGlyph(ch);
    if (g == nullptr) return;
    FT_BBox box;
    FT_Outline_Get_CBox(&g->outline, &box);
    // The glyph's box on the device, cut to the clip; spans are relative to it.
    const int64_t left = std::max<int64_t>(clip.Left, originX + (box.xMin >> 6) - 1);
    const int64_t right = std::min<int64_t>(clip.Right, originX + (box.xMax >> 6) + 2);
    const int64_t top = std::max<int64_t>(clip.Top, originY - (box.yMax >> 6) - 2);
    const int64_t bottom = std::min<int64_t>(clip.Bottom, originY - (box.yMin >> 6) + 1);
    if (left >= right || top >= bottom || right - left > 30000 || bottom - top > 30000) return;
    // Outline in coordinates relative to (left, top) with y up: device row r
    // is FreeType row top - r - 1.
    FT_Outline_Translate(&g->outline, static_cast<FT_Pos>((originX - left) * 64),
                         static_cast<FT_Pos>((top - originY) * 64));
    TSpanTarget target{&span, static_cast<int>(left), 0, fBilevel};
    FT_Raster_Params params{};
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    params.gray_spans = DirectSpans;
    params.user = &target;
    params.clip_box = {0, -static_cast<FT_Pos>(bottom - top), static_cast<FT_Pos>(right - left), 0};
    target.Top = static_cast<int>(top);
    FT_Outline_Render(fEngine.Library(), &g->outline, &params);
}

TFontInstancePtr FontInstanceFor(const TLogFontA& logFont) {
    return TFontEngine::ForThisThread().Instance(logFont);
}

TFontDescription DescribeFont(const TLogFontA& logFont) {
    return FontInstanceFor(logFont)->Description();
}

} // namespace vellinor
