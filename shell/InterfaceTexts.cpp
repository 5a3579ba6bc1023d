#include "shell/InterfaceTexts.h"

#include <charconv>

namespace vellinor {

std::string ZoomItemCaption(double zoom) {
    // "%-4.2f", with a full stop whatever the locale.
    char number[400];
    const auto result =
        std::to_chars(number, number + sizeof number, zoom, std::chars_format::fixed, 2);
    std::string formatted(number, result.ptr);
    if (formatted.size() < 4) formatted.append(4 - formatted.size(), ' ');
    return std::string(texts::kZoomItemPrefix) + formatted + "%)";
}

} // namespace vellinor
