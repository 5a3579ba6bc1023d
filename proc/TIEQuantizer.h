#pragma once
// TIEQuantizer: the palette for a picture and the palette index of each of
// its colours, for every writer that stores fewer than 24 bits and for the
// conversion to ie8p. Built for one source bitmap and palette size, it picks
// one of five strategies, in this order:
//   1. a colour ie24RGB picture with at most N distinct colours: exactly those
//      colours, in the order they first appear (rows top down);
//   2. any other colour ie24RGB picture: NeuQuant or the box splitter, chosen
//      by gQuantizerChoice;
//   3. an ie8p source: its own palette entries; a gray-looking source: the
//      ramp trunc(256 / N x i); anything else: the palette is not touched.
// Palette entries the strategy does not produce keep their contents.
//
// ColorToIndex remembers the answers of the searching strategies, so a
// quantizer must not be shared between threads.

#include "platform/Color.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vellinor {

class TIEBitmap;
class TIENeuQuant;
class TIEBoxSplitter;
class TColorIndexCache;

// Process-wide settings, -1 (automatic) unless a caller changes them.
// Quantizer choice: -1 the box splitter for fewer than 128 colours and
// NeuQuant from 128 on; 0 NeuQuant; 1 the box splitter; other values NeuQuant.
inline int gQuantizerChoice = -1;
// NeuQuant quality: 0 ... 100 gives the sampling factor
// trunc((100 - q) / 100 x 29) + 1; -1 takes it from the picture size.
inline int gNeuQuantQuality = -1;

enum class TIEQuantizerStrategy {
    None,        // no palette was built (N < 1, or a colour picture not in ie24RGB)
    ExactColors, // the picture's own colours
    NeuQuant,
    BoxSplitter,
    OwnPalette, // the ie8p source's palette
    GrayRamp,
};

class TIEQuantizer {
public:
    // Builds the palette of at most `colors` entries for source into
    // palette[0 ...]; entries beyond palette.size() are never written.
    TIEQuantizer(TIEBitmap& source, std::span<TRGB> palette, int colors);
    ~TIEQuantizer();
    TIEQuantizer(const TIEQuantizer&) = delete;
    TIEQuantizer& operator=(const TIEQuantizer&) = delete;

    // The palette index for a colour (-1 when an exact-colour palette lacks it).
    int ColorToIndex(TRGB color) const;
    // ColorToIndex of every pixel of a row, for palettes of up to 256 colours
    // (an index outside 0 ... 255 is stored as 0).
    void MapRow(const TRGB* pixels, uint8_t* indices, int width) const;

    // The source looked gray (all channels equal, or a format without colour).
    bool IsGray() const { return fIsGray; }
    TIEQuantizerStrategy Strategy() const { return fStrategy; }

private:
    bool TryExactColors(TIEBitmap& source);
    int ExactIndex(TRGB color) const;
    int OwnPaletteIndex(TRGB color) const;
    int SearchIndex(TRGB color) const;

    int fColors;
    bool fIsGray = false;
    bool fSourceIsPalette = false;
    TIEQuantizerStrategy fStrategy = TIEQuantizerStrategy::None;
    // Exact colours in order of appearance, and an open-addressing table of
    // (colour key, index + 1) for their lookup.
    std::vector<TRGB> fExact;
    std::vector<uint32_t> fExactKeys;
    std::vector<int32_t> fExactSlots;
    // The ie8p source's palette, for strategy-less lookups.
    std::vector<TRGB> fSourcePalette;
    std::unique_ptr<TIENeuQuant> fNeuQuant;
    std::unique_ptr<TIEBoxSplitter> fBoxSplitter;
    std::unique_ptr<TColorIndexCache> fCache;
};

} // namespace vellinor
