#pragma once
// XMP packets in APP1 segments: the XMP namespace identifier, a zero byte,
// then the packet.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vellinor {

// At least 30 bytes beginning with the identifier (its first 24 bytes compared).
bool IsXmpBlock(std::span<const uint8_t> block);
// Everything after the first zero byte (empty when there is none).
std::string ParseXmpBlock(std::span<const uint8_t> block);
// The 29-byte identifier followed by packet.
std::vector<uint8_t> BuildXmpBlock(const std::string& packet);

} // namespace vellinor
