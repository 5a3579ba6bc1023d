#include "platform/FaceLookup.h"

#include "platform/LogFont.h"

#include <algorithm>
#include <cctype>
#include <fontconfig/fontconfig.h>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace vellinor {

namespace {

// Faces of the platform and the installed faces that stand in for them with
// the same advance widths (Liberation) or a close look (DejaVu, WenQuanYi).
struct TSubstitute {
    const char* name;
    const char* standIn;
};
constexpr TSubstitute kSubstitutes[] = {
    {"times new roman", "Liberation Serif"},
    {"times", "Liberation Serif"},
    {"arial", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},
    {"ms sans serif", "DejaVu Sans"},
    {"microsoft sans serif", "DejaVu Sans"},
    {"tahoma", "DejaVu Sans"},
    {"verdana", "DejaVu Sans"},
    {"ms serif", "DejaVu Serif"},
    {"georgia", "DejaVu Serif"},
    {"simsun", "WenQuanYi Micro Hei"},
    {"nsimsun", "WenQuanYi Micro Hei Mono"},
    {"simhei", "WenQuanYi Micro Hei"},
    {"microsoft yahei", "WenQuanYi Micro Hei"},
    {"\xE5\xAE\x8B\xE4\xBD\x93", "WenQuanYi Micro Hei"},                         // 宋体
    {"\xE9\xBB\x91\xE4\xBD\x93", "WenQuanYi Micro Hei"},                         // 黑体
    {"\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91", "WenQuanYi Micro Hei"}, // 微软雅黑
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

const char* GenericFamily(uint8_t pitchAndFamily) {
    switch (pitchAndFamily & 0xF0) {
    case FF_ROMAN:
        return "serif";
    case FF_MODERN:
        return "monospace";
    case FF_SCRIPT:
        return "cursive";
    case FF_DECORATIVE:
        return "fantasy";
    default:
        return (pitchAndFamily & 3) == FIXED_PITCH ? "monospace" : "sans-serif";
    }
}

const char* LanguageOfCharset(uint8_t charset) {
    switch (charset) {
    case GB2312_CHARSET:
        return "zh-cn";
    case CHINESEBIG5_CHARSET:
        return "zh-tw";
    case SHIFTJIS_CHARSET:
        return "ja";
    case HANGUL_CHARSET:
        return "ko";
    default:
        return nullptr;
    }
}

struct TPatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using TPattern = std::unique_ptr<FcPattern, TPatternDeleter>;

struct TFontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};

struct TCharSetDeleter {
    void operator()(FcCharSet* s) const { FcCharSetDestroy(s); }
};

std::mutex& LookupMutex() {
    static std::mutex m;
    return m;
}

FcConfig* Config() {
    static FcConfig* config = FcInitLoadConfigAndFonts();
    return config;
}

TPattern MakePattern(const TFaceRequest& r) {
    TPattern p(FcPatternCreate());
    const std::string lower = Lower(r.Family);
    if (!r.Family.empty()) {
        FcPatternAddString(p.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(r.Family.c_str()));
        for (const TSubstitute& s : kSubstitutes) {
            if (lower == s.name) {
                FcPatternAddString(p.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(s.standIn));
            }
        }
    } else if (const char* lang = LanguageOfCharset(r.Charset)) {
        FcPatternAddString(p.get(), FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    }
    FcPatternAddString(p.get(), FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(GenericFamily(r.PitchAndFamily)));
    FcPatternAddInteger(p.get(), FC_WEIGHT, FcWeightFromOpenType(std::clamp(r.Weight, 1, 1000)));
    FcPatternAddInteger(p.get(), FC_SLANT, r.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(p.get(), FC_SCALABLE, FcTrue);
    return p;
}

std::optional<TFaceFile> FaceOf(FcPattern* font) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || file == nullptr)
        return std::nullopt;
    TFaceFile f;
    f.Path = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch) f.Index = index;
    FcChar8* family = nullptr;
    if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch && family != nullptr)
        f.Family = reinterpret_cast<const char*>(family);
    int weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetInteger(font, FC_WEIGHT, 0, &weight) == FcResultMatch)
        f.Weight = FcWeightToOpenType(weight);
    int slant = FC_SLANT_ROMAN;
    if (FcPatternGetInteger(font, FC_SLANT, 0, &slant) == FcResultMatch)
        f.Italic = slant != FC_SLANT_ROMAN;
    return f;
}

using TKey = std::tuple<std::string, int, bool, uint8_t, uint8_t, char32_t>;

TKey KeyOf(const TFaceRequest& r, char32_t c) {
    return {Lower(r.Family), r.Weight, r.Italic, r.PitchAndFamily, r.Charset, c};
}

std::map<TKey, std::optional<TFaceFile>>& Cache() {
    static std::map<TKey, std::optional<TFaceFile>> cache;
    return cache;
}

std::optional<TFaceFile> Match(const TFaceRequest& request, char32_t character) {
    FcConfig* config = Config();
    if (config == nullptr) return std::nullopt;
    TPattern pattern = MakePattern(request);
    std::unique_ptr<FcCharSet, TCharSetDeleter> wanted;
    if (character != 0) {
        wanted.reset(FcCharSetCreate());
        FcCharSetAddChar(wanted.get(), character);
        FcPatternAddCharSet(pattern.get(), FC_CHARSET, wanted.get());
    }
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    if (character == 0) {
        FcResult result = FcResultNoMatch;
        TPattern font(FcFontMatch(config, pattern.get(), &result));
        return font ? FaceOf(font.get()) : std::nullopt;
    }
    // The best match may still lack the character: walk the sorted list.
    FcResult result = FcResultNoMatch;
    std::unique_ptr<FcFontSet, TFontSetDeleter> sorted(
        FcFontSort(config, pattern.get(), FcFalse, nullptr, &result));
    if (!sorted) return std::nullopt;
    for (int i = 0; i < sorted->nfont; ++i) {
        FcCharSet* set = nullptr;
        if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &set) != FcResultMatch) continue;
        if (!FcCharSetHasChar(set, character)) continue;
        FcBool scalable = FcFalse;
        if (FcPatternGetBool(sorted->fonts[i], FC_SCALABLE, 0, &scalable) == FcResultMatch &&
            !scalable)
            continue;
        return FaceOf(sorted->fonts[i]);
    }
    return std::nullopt;
}

std::optional<TFaceFile> CachedMatch(const TFaceRequest& request, char32_t character) {
    std::lock_guard lock(LookupMutex());
    const TKey key = KeyOf(request, character);
    auto it = Cache().find(key);
    if (it != Cache().end()) return it->second;
    std::optional<TFaceFile> found = Match(request, character);
    Cache().emplace(key, found);
    return found;
}

} // namespace

std::optional<TFaceFile> LookupFace(const TFaceRequest& request) {
    return CachedMatch(request, 0);
}

std::optional<TFaceFile> LookupFaceForChar(const TFaceRequest& request, char32_t character) {
    if (character == 0) return std::nullopt;
    return CachedMatch(request, character);
}

} // namespace vellinor

// fontconfig keeps pieces of its parsed configuration for the life of the
// process, which a leak checker reports at exit; weak, so that a program with
// suppressions of its own keeps them.
extern "C" __attribute__((weak, used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
