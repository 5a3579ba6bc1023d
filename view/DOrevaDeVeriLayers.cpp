// The view's layers: appending, selecting, merging and painting them, and the
// selection mask.

#include "image/TIEBitmap.h"
#include "view/DOrevaDeVeri.h"
#include "view/LayerCompositing.h"
#include "view/TIELayer.h"
#include "view/ViewProcLink.h"

#include <algorithm>

namespace vellinor {

int DOrevaDeVeri::AppendLayer() {
    fLayers.push_back(TIELayer::LikeBitmap(*fCurrent));
    const int index = LayerCount() - 1;
    SelectLayer(index);
    fCurrent->FillAll(static_cast<double>(Background));
    fCurrent->DropAlphaPlane();
    Update();
    return index;
}

void DOrevaDeVeri::SelectLayer(int index) {
    if (index < 0 || index >= LayerCount() || index == fCurrentLayer) return;
    // The selection belongs to the view, not to a layer: it stays as it is.
    while (index > 0 && !LayerAt(index).Pickable)
        --index;
    fCurrentLayer = index;
    fCurrent = LayerAt(index).LayerBitmap;
    CurrentBitmapChanged();
    Update();
}

void DOrevaDeVeri::CurrentBitmapChanged() {
    fProcLink->NotifyBitmapChanged();
}

void DOrevaDeVeri::MergeLayerPair(int index1, int index2, bool removeUpper) {
    const int count = LayerCount();
    if (index1 < 0 || index2 < 0 || index1 >= count || index2 >= count || index1 == index2) return;
    const int lower = std::min(index1, index2), upper = std::max(index1, index2);
    TIELayer* mask =
        upper + 1 < count && LayerAt(upper + 1).ActsAsMask ? &LayerAt(upper + 1) : nullptr;

    std::unique_ptr<TIELayer> merged = TIELayer::LikeBitmap(*LayerAt(index1).LayerBitmap);
    TIELayer& low = LayerAt(lower);
    TIELayer& high = LayerAt(upper);
    CompositeLayers(low, high, mask, *merged->LayerBitmap, lower == 0, Background, ZoomFilter);
    if (lower > 0) {
        merged->OffsetX = std::min(low.OffsetX, high.OffsetX);
        merged->OffsetY = std::min(low.OffsetY, high.OffsetY);
    }
    merged->Pinned = low.Pinned;
    merged->FrameShown = low.FrameShown;
    merged->Pickable = low.Pickable;

    // From here until SelectLayer no layer is current.
    fCurrentLayer = -1;
    fCurrent = merged->LayerBitmap;
    if (removeUpper) {
        // The mask (above the upper layer) goes first, so the upper index holds.
        if (mask != nullptr) fLayers.erase(fLayers.begin() + upper + 1);
        fLayers.erase(fLayers.begin() + upper);
    }
    fLayers[static_cast<size_t>(lower)] = std::move(merged);
    SelectLayer(lower);
}

void DOrevaDeVeri::PaintLayers(const TIEPaintOptions& pictureOptions) {
    for (const std::unique_ptr<TIELayer>& layer : fLayers) {
        TIEBitmap& bitmap = *layer->LayerBitmap;
        if (!layer->Shown || bitmap.Width() <= 0 || bitmap.Height() <= 0) continue;
        TIEPaintOptions options = pictureOptions;
        options.OriginX += layer->OffsetX * pictureOptions.ScaleX;
        options.OriginY += layer->OffsetY * pictureOptions.ScaleY;
        options.ScaleX *= static_cast<double>(layer->WorkingWidth()) / bitmap.Width();
        options.ScaleY *= static_cast<double>(layer->WorkingHeight()) / bitmap.Height();
        options.Opacity = std::clamp(layer->Opacity, 0, 255);
        bitmap.PaintTo(fBackBuffer, options);
    }
}

// --- Selection ---------------------------------------------------------------------

void DOrevaDeVeri::SetSelectionMask(const TIEMask& mask) {
    fSelectionMask = mask;
    fSelectionMask.SyncBoundingBox();
}

void DOrevaDeVeri::Deselect() {
    fSelectionMask.Free();
}

} // namespace vellinor
