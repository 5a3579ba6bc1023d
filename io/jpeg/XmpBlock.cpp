#include "io/jpeg/XmpBlock.h"

#include <algorithm>
#include <cstring>

namespace vellinor {

namespace {

// 28 characters and the zero byte.
constexpr char kXmpIdentifier[] = "http://ns.adobe.com/xap/1.0/";

} // namespace

bool IsXmpBlock(std::span<const uint8_t> block) {
    return block.size() >= 30 && std::memcmp(block.data(), kXmpIdentifier, 24) == 0;
}

std::string ParseXmpBlock(std::span<const uint8_t> block) {
    const auto zero = std::find(block.begin(), block.end(), uint8_t{0});
    if (zero == block.end()) return {};
    return std::string(zero + 1, block.end());
}

std::vector<uint8_t> BuildXmpBlock(const std::string& packet) {
    std::vector<uint8_t> block(sizeof kXmpIdentifier + packet.size());
    std::memcpy(block.data(), kXmpIdentifier, sizeof kXmpIdentifier);
    std::copy(packet.begin(), packet.end(), block.begin() + sizeof kXmpIdentifier);
    return block;
}

} // namespace vellinor
