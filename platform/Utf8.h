#pragma once
// UTF-8 to code points for text drawing; malformed bytes become U+FFFD each,
// so that any byte string can be drawn.

#include <string>
#include <string_view>

namespace vellinor {

std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);

} // namespace vellinor
