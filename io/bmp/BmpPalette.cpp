#include "io/bmp/BmpPalette.h"

#include "image/TIEBitmap.h"
#include "proc/TIEQuantizer.h"

namespace vellinor {

TBmpIndexSource::TBmpIndexSource() = default;
TBmpIndexSource::~TBmpIndexSource() = default;
TBmpIndexSource::TBmpIndexSource(TBmpIndexSource&&) noexcept = default;
TBmpIndexSource& TBmpIndexSource::operator=(TBmpIndexSource&&) noexcept = default;

TBmpIndexSource::TBmpIndexSource(TIEBitmap& bitmap, int colors) : fColors(colors) {
    const TIEPixelFormat format = bitmap.PixelFormat();
    TIEBitmap* source = &bitmap;
    if (format != ie24RGB && format != ie8p) {
        fCopy = std::make_unique<TIEBitmap>();
        fCopy->CopyFrom(bitmap);
        fCopy->ConvertTo(ie24RGB);
        if (fCopy->PixelFormat() != ie24RGB) return;
        source = fCopy.get();
    }
    fPalette.assign(static_cast<size_t>(colors), TRGB{});
    fQuantizer = std::make_unique<TIEQuantizer>(*source, fPalette, colors);
    fSource = source;
}

void TBmpIndexSource::Row(int y, std::vector<uint8_t>& indexes) const {
    const int width = fSource->Width();
    indexes.resize(static_cast<size_t>(width));
    const uint8_t* row = fSource->Row(y);
    if (fSource->PixelFormat() == ie24RGB) {
        fQuantizer->MapRow(reinterpret_cast<const TRGB*>(row), indexes.data(), width);
    } else {
        // Own indexes, unless the palette written is too small for them.
        for (int x = 0; x < width; ++x) {
            int index = row[x];
            if (index >= fColors) index = fQuantizer->ColorToIndex(fSource->GetPaletteColor(index));
            indexes[static_cast<size_t>(x)] =
                static_cast<uint8_t>(index >= 0 && index < fColors ? index : 0);
        }
        return;
    }
    for (uint8_t& index : indexes)
        if (index >= fColors) index = 0;
}

} // namespace vellinor
