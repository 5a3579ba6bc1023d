#include "io/jp2/J2kOptions.h"

#include <charconv>
#include <cmath>

namespace vellinor {

bool TJ2kEncoderOptions::Lossless() const {
    return !(Rate < 1.0); // NaN too
}

float TJ2kEncoderOptions::CompressionRatio() const {
    if (Lossless()) return 0;
    if (Rate <= 1.0 / kMaxCompressionRatio) return kMaxCompressionRatio;
    return static_cast<float>(1.0 / Rate);
}

std::string J2kOptionsText(double rate, uint8_t progressionOrder) {
    // to_chars ignores the locale: the decimal separator is always a full stop.
    char number[64];
    const auto result =
        std::to_chars(number, number + sizeof(number), rate, std::chars_format::general, 15);
    std::string text = "rate=";
    text.append(number, result.ptr);
    text += progressionOrder == 1 ? " prg=rlcp" : " prg=lrcp";
    return text;
}

namespace {

void ApplyOption(std::string_view word, TJ2kEncoderOptions& options) {
    const size_t equals = word.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view key = word.substr(0, equals);
    const std::string_view value = word.substr(equals + 1);
    if (key == "rate") {
        double rate = 0;
        const auto result = std::from_chars(value.data(), value.data() + value.size(), rate);
        if (result.ec == std::errc() && result.ptr == value.data() + value.size()) {
            options.Rate = rate;
        }
    } else if (key == "prg") {
        if (value == "lrcp") options.Progression = TJ2kProgression::Lrcp;
        if (value == "rlcp") options.Progression = TJ2kProgression::Rlcp;
    }
}

} // namespace

TJ2kEncoderOptions ParseJ2kOptions(std::string_view text) {
    TJ2kEncoderOptions options;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) ApplyOption(text.substr(start, end - start), options);
        start = end + 1;
    }
    return options;
}

} // namespace vellinor
