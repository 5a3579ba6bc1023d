#pragma once
// The encoder options of the JPEG 2000 writer as text, "rate=R prg=P", and
// back. The text is the one source of the encoder's settings: the writer
// builds it from the parameters record and derives every OpenJPEG setting
// from what it parses out of it.
//
// R is J2000Rate, the size of the code stream as a fraction of the
// uncompressed picture, in the general number format with up to 15
// significant digits and a full stop as decimal separator whatever the
// locale. P is "lrcp" (J2000ProgressionOrder 0) or "rlcp" (1).

#include <cstdint>
#include <string>
#include <string_view>

namespace vellinor {

enum class TJ2kProgression : uint8_t { Lrcp, Rlcp };

struct TJ2kEncoderOptions {
    double Rate = 1.0;
    TJ2kProgression Progression = TJ2kProgression::Lrcp;

    // A rate of 1 or more (or one that is not a number) asks for lossless
    // coding.
    bool Lossless() const;
    // The compression ratio OpenJPEG takes (uncompressed size / coded size):
    // 1 / Rate, at most kMaxCompressionRatio (a rate of 0 or less asks for the
    // smallest stream the encoder can make); 0 when lossless.
    float CompressionRatio() const;
};

constexpr float kMaxCompressionRatio = 1e6f;

// "rate=0.05 prg=lrcp". Any progression value other than 1 gives "lrcp".
std::string J2kOptionsText(double rate, uint8_t progressionOrder);

// The options a text names; words it does not know, and values that do not
// parse, leave the defaults.
TJ2kEncoderOptions ParseJ2kOptions(std::string_view text);

} // namespace vellinor
