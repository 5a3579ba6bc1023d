#pragma once
// The variance-based box-splitting quantizer: a 32 x 32 x 32 histogram of an
// ie24RGB picture is split, box by box, along the channel that leaves the two
// halves with the smallest spread, until there are as many boxes as colours.
// Each box's mean is a palette colour; a table maps every histogram bin to
// its box.

#include "platform/Color.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vellinor {

class TIEBitmap;

class TIEBoxSplitter {
public:
    // At most `colors` boxes (at least 1) for an ie24RGB picture.
    TIEBoxSplitter(TIEBitmap& picture, int colors);

    int BoxCount() const { return static_cast<int>(fBoxes.size()); }
    // Box i's mean colour (each channel a multiple of 8) into palette[i].
    void WritePalette(std::span<TRGB> palette) const;
    int Lookup(TRGB color) const { return fBoxOfBin[BinOf(color)]; }

    static int BinOf(TRGB c) { return (c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3); }

private:
    // Channels in the order red, green, blue; bin ranges inclusive.
    struct Box {
        std::array<int, 3> lo{0, 0, 0};
        std::array<int, 3> hi{31, 31, 31};
        uint64_t count = 0;
        std::array<std::array<uint64_t, 32>, 3> histogram{};
        std::array<double, 3> mean{};
        double weight = 0;
    };

    void Measure(Box& box) const;
    // Splits box along channel into two measured boxes; false when one part
    // would be empty or the channel has a single bin.
    bool Split(const Box& box, int channel, Box& first, Box& second) const;
    void SplitUntil(int colors);
    void MarkBins();

    std::vector<uint64_t> fCounts; // 32768 bins: red x 1024 + green x 32 + blue
    uint64_t fTotal = 0;
    std::vector<Box> fBoxes;
    std::vector<uint16_t> fBoxOfBin;
};

} // namespace vellinor
