#pragma once
// Loads and stores of multi-byte pixel values at any byte address of a row
// (rows need not be aligned to the value's size).

#include <cstdint>
#include <cstring>

namespace vellinor {

template <typename T>
T LoadPixel(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
void StorePixel(uint8_t* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

} // namespace vellinor
