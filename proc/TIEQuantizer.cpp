#include "proc/TIEQuantizer.h"

#include "image/TIEBitmap.h"
#include "proc/BoxSplitter.h"
#include "proc/ColorIndexCache.h"
#include "proc/NeuQuant.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace vellinor {

namespace {

// 24 colour bits and a bit that no empty slot of the exact-colour table has.
uint32_t ColorKey(TRGB c) {
    return 0x1000000u | static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b;
}

uint32_t SlotOf(uint32_t key, uint32_t mask) {
    return (key * 2654435761u >> 8) & mask;
}

bool UsesBoxSplitter(int colors) {
    if (gQuantizerChoice == 1) return true;
    return gQuantizerChoice == -1 && colors < 128;
}

} // namespace

TIEQuantizer::TIEQuantizer(TIEBitmap& source, std::span<TRGB> palette, int colors)
    : fColors(colors) {
    if (colors < 1 || source.IsVoid()) return;
    fIsGray = source.LooksGray();
    const TIEPixelFormat format = source.PixelFormat();
    fSourceIsPalette = format == ie8p;
    if (fSourceIsPalette) fSourcePalette = source.Palette();

    if (!fIsGray && format == ie24RGB) {
        if (TryExactColors(source)) {
            fStrategy = TIEQuantizerStrategy::ExactColors;
            std::copy_n(fExact.begin(), std::min(fExact.size(), palette.size()), palette.begin());
            return;
        }
        if (UsesBoxSplitter(colors)) {
            fStrategy = TIEQuantizerStrategy::BoxSplitter;
            fBoxSplitter = std::make_unique<TIEBoxSplitter>(source, colors);
            fBoxSplitter->WritePalette(palette);
        } else {
            fStrategy = TIEQuantizerStrategy::NeuQuant;
            const int factor =
                TIENeuQuant::SamplingFactor(source.Width(), source.Height(), gNeuQuantQuality);
            fNeuQuant = std::make_unique<TIENeuQuant>(source, colors, factor);
            fNeuQuant->WritePalette(palette);
            fCache = std::make_unique<TColorIndexCache>();
        }
        return;
    }

    const size_t count = std::min(static_cast<size_t>(colors), palette.size());
    if (fSourceIsPalette) {
        fStrategy = TIEQuantizerStrategy::OwnPalette;
        std::copy_n(fSourcePalette.begin(), std::min(count, fSourcePalette.size()),
                    palette.begin());
        if (!fIsGray) fCache = std::make_unique<TColorIndexCache>();
    } else if (fIsGray) {
        fStrategy = TIEQuantizerStrategy::GrayRamp;
        for (size_t i = 0; i < count; ++i) {
            const auto v =
                static_cast<uint8_t>(std::trunc(256.0 / colors * static_cast<double>(i)));
            palette[i] = TRGB{v, v, v};
        }
    }
}

TIEQuantizer::~TIEQuantizer() = default;

// Collects the distinct colours in order of appearance; gives up at the
// (N + 1)-th.
bool TIEQuantizer::TryExactColors(TIEBitmap& source) {
    const uint32_t capacity = std::bit_ceil(static_cast<uint32_t>(std::max(2 * (fColors + 1), 16)));
    const uint32_t mask = capacity - 1;
    fExactKeys.assign(capacity, 0);
    fExactSlots.assign(capacity, 0);
    fExact.clear();
    uint32_t lastKey = 0;
    const int width = source.Width();
    for (int y = 0; y < source.Height(); ++y) {
        const auto* row = reinterpret_cast<const TRGB*>(source.Row(y));
        for (int x = 0; x < width; ++x) {
            const uint32_t key = ColorKey(row[x]);
            if (key == lastKey) continue;
            lastKey = key;
            uint32_t slot = SlotOf(key, mask);
            while (fExactKeys[slot] != 0 && fExactKeys[slot] != key)
                slot = (slot + 1) & mask;
            if (fExactKeys[slot] == key) continue;
            if (static_cast<int>(fExact.size()) == fColors) {
                fExact.clear();
                fExactKeys.clear();
                fExactSlots.clear();
                return false;
            }
            fExactKeys[slot] = key;
            fExactSlots[slot] = static_cast<int32_t>(fExact.size());
            fExact.push_back(row[x]);
        }
    }
    return true;
}

int TIEQuantizer::ExactIndex(TRGB color) const {
    const uint32_t key = ColorKey(color);
    const auto mask = static_cast<uint32_t>(fExactKeys.size() - 1);
    for (uint32_t slot = SlotOf(key, mask);; slot = (slot + 1) & mask) {
        if (fExactKeys[slot] == key) return fExactSlots[slot];
        if (fExactKeys[slot] == 0) return -1;
    }
}

int TIEQuantizer::OwnPaletteIndex(TRGB color) const {
    const auto it = std::find(fSourcePalette.begin(), fSourcePalette.end(), color);
    return static_cast<int>(it - fSourcePalette.begin());
}

int TIEQuantizer::SearchIndex(TRGB color) const {
    if (fNeuQuant) {
        return fCache->Find(color, [&](TRGB c) { return fNeuQuant->Lookup(c); });
    }
    return fCache->Find(color, [&](TRGB c) { return OwnPaletteIndex(c); });
}

int TIEQuantizer::ColorToIndex(TRGB color) const {
    if (fStrategy == TIEQuantizerStrategy::ExactColors) return ExactIndex(color);
    if (fColors < 1) return 0;
    if (fIsGray) return color.r * fColors / 256;
    if (fBoxSplitter) return fBoxSplitter->Lookup(color);
    if (fNeuQuant || fSourceIsPalette) return SearchIndex(color);
    return 0;
}

void TIEQuantizer::MapRow(const TRGB* pixels, uint8_t* indices, int width) const {
    auto store = [&](int x, int index) {
        indices[x] = static_cast<uint8_t>(index >= 0 && index <= 255 ? index : 0);
    };
    if (fStrategy == TIEQuantizerStrategy::ExactColors || fNeuQuant || fSourceIsPalette) {
        // Runs of one colour are common: look each run up once.
        int index = 0;
        for (int x = 0; x < width; ++x) {
            if (x == 0 || !(pixels[x] == pixels[x - 1])) index = ColorToIndex(pixels[x]);
            store(x, index);
        }
        return;
    }
    for (int x = 0; x < width; ++x)
        store(x, ColorToIndex(pixels[x]));
}

} // namespace vellinor
