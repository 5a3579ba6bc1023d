#pragma once
// Face lookup through fontconfig: which font file serves a face name with a
// weight and slant, and which one has a character the chosen face lacks.
// Platform face names without a face of their own here are asked for under
// their metric-compatible stand-ins first ("Times New Roman" -> Liberation
// Serif, "Arial" -> Liberation Sans, ...). Results are cached; safe to call
// from several threads.

#include <cstdint>
#include <optional>
#include <string>

namespace vellinor {

struct TFaceRequest {
    std::string Family; // may be empty: the pitch and family then decide
    int Weight = 400;   // 100 ... 900
    bool Italic = false;
    uint8_t PitchAndFamily = 0; // the font record's byte
    uint8_t Charset = 1;        // the font record's byte
    friend bool operator==(const TFaceRequest&, const TFaceRequest&) = default;
};

struct TFaceFile {
    std::string Path;
    int Index = 0;       // face index inside a collection file
    std::string Family;  // the family fontconfig reports
    int Weight = 400;    // of the file, 100 ... 900
    bool Italic = false; // the file is an italic or oblique face
};

// The best face for the request; nullopt only when no font is installed.
std::optional<TFaceFile> LookupFace(const TFaceRequest& request);
// A face that has the character, as close to the request as possible.
std::optional<TFaceFile> LookupFaceForChar(const TFaceRequest& request, char32_t character);

} // namespace vellinor
