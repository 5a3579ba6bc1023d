#include "view/TIELayer.h"

#include <cmath>
#include <random>

namespace vellinor {

namespace {

TIELayerId NewLayerId() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    TIELayerId id;
    for (size_t i = 0; i < id.Bytes.size(); i += 8) {
        const uint64_t v = generator();
        for (size_t k = 0; k < 8; ++k)
            id.Bytes[i + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    // Version 4 (random) and the standard variant.
    id.Bytes[6] = static_cast<uint8_t>((id.Bytes[6] & 0x0F) | 0x40);
    id.Bytes[8] = static_cast<uint8_t>((id.Bytes[8] & 0x3F) | 0x80);
    return id;
}

} // namespace

TIELayer::TIELayer(std::unique_ptr<TIEBitmap> bitmap)
    : LayerId(NewLayerId()), fBitmap(std::move(bitmap)) {
    if (!fBitmap) fBitmap = std::make_unique<TIEBitmap>();
    LayerBitmap = fBitmap.get();
}

TIELayer::TIELayer(TIEBitmap& borrowed)
    : LayerBitmap(&borrowed), OwnsBitmap(false), LayerId(NewLayerId()) {}

std::unique_ptr<TIELayer> TIELayer::LikeBitmap(TIEBitmap& templateBitmap) {
    auto bitmap = std::make_unique<TIEBitmap>();
    bitmap->Relocate(templateBitmap.Location());
    bitmap->Setup(templateBitmap.Width(), templateBitmap.Height(), templateBitmap.PixelFormat());
    return std::make_unique<TIELayer>(std::move(bitmap));
}

TIELayer::~TIELayer() {
    // A bitmap the layer does not own stays with whoever does.
    if (!OwnsBitmap) static_cast<void>(fBitmap.release());
}

void TIELayer::SetRotation(double degrees) {
    fRotation = std::fmod(degrees, 360.0) == 0 ? 0 : degrees;
}

int TIELayer::WorkingWidth() const {
    return DisplayWidth != 0 ? DisplayWidth : LayerBitmap->Width();
}

int TIELayer::WorkingHeight() const {
    return DisplayHeight != 0 ? DisplayHeight : LayerBitmap->Height();
}

} // namespace vellinor
