#pragma once
// The YCbCr to RGB tables of the JPEG 2000 reader, indexed by the 8-bit
// chroma sample (d = sample - 128), from the luma weights 0.299, 0.587 and
// 0.114 in single precision: red = Y + CrR, green = Y + CbG + CrG,
// blue = Y + CbB (each clamped to 0..255 by the caller).

#include <array>
#include <cstdint>

namespace vellinor {

struct TYCbCrTables {
    std::array<int, 256> CrR{};
    std::array<int, 256> CbB{};
    std::array<int, 256> CrG{};
    std::array<int, 256> CbG{};
};

// Computed once, on first use (thread-safe).
const TYCbCrTables& YCbCrTables();

} // namespace vellinor
