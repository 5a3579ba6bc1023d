#pragma once
// The palette and the index rows of 4- and 8-bit BMP output: TIEQuantizer
// for the source with 2^bits entries. An ie8p source gives its own indexes,
// an ie1g source goes through an ie24RGB copy.

#include "platform/Color.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vellinor {

class TIEBitmap;
class TIEQuantizer;

class TBmpIndexSource {
public:
    TBmpIndexSource();
    TBmpIndexSource(TIEBitmap& bitmap, int colors);
    ~TBmpIndexSource();
    TBmpIndexSource(TBmpIndexSource&&) noexcept;
    TBmpIndexSource& operator=(TBmpIndexSource&&) noexcept;

    bool Valid() const { return fSource != nullptr; }
    // Exactly `colors` entries (those the quantizer leaves unset are black).
    const std::vector<TRGB>& Palette() const { return fPalette; }
    // The indexes of row y (indexes.size() = width), each below `colors`.
    void Row(int y, std::vector<uint8_t>& indexes) const;

private:
    TIEBitmap* fSource = nullptr;
    std::unique_ptr<TIEBitmap> fCopy;
    std::unique_ptr<TIEQuantizer> fQuantizer;
    std::vector<TRGB> fPalette;
    int fColors = 0;
};

} // namespace vellinor
