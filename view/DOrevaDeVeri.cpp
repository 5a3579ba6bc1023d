// The view's picture, settings, refresh and back-buffer painting.

#include "view/DOrevaDeVeri.h"

#include "io/TIEImageIO.h"
#include "platform/PlatformBitmap.h"
#include "proc/VEduzoDeRivi.h"
#include "view/TIELayer.h"
#include "view/ViewBackground.h"
#include "view/ViewHost.h"
#include "view/ViewProcLink.h"
#include "view/ViewTimer.h"

#include <algorithm>
#include <cstring>

namespace vellinor {

DOrevaDeVeri::DOrevaDeVeri() : fProcLink(std::make_unique<TIEViewProcLink>(*this)) {
    fLayers.push_back(std::make_unique<TIELayer>(std::make_unique<TIEBitmap>()));
    fCurrent = fLayers.front()->LayerBitmap;
    fCurrent->Relocate(ieTBitmap);
    fCurrent->Setup(1, 1, ie24RGB);
    fBackBuffer.Relocate(ieTBitmap);
}

DOrevaDeVeri::~DOrevaDeVeri() {
    if (fIO) {
        fIO->WaitThreads();
        fIO->SetAttachedView(nullptr);
        fIO.reset();
    }
    fProc.reset();
    fProcLink->DetachAll();
}

// --- Host ----------------------------------------------------------------

void DOrevaDeVeri::SetHost(TIEViewHost* host) {
    fHost = host;
    if (fHost != nullptr) {
        fHost->ShowViewCursor(fShownCursor);
        fHost->ViewChanged();
    }
}

std::unique_ptr<TIETimer> DOrevaDeVeri::CreateTimer() {
    if (fHost != nullptr) return fHost->CreateTimer();
    return std::make_unique<TIEManualTimer>();
}

// --- The picture -----------------------------------------------------------

TPlatformBitmap* DOrevaDeVeri::LegacyVclBitmap() {
    return fCurrent->Location() == ieTBitmap ? fCurrent->AsVclBitmap() : nullptr;
}

bool DOrevaDeVeri::IsEmptyImage() const {
    return fCurrent->Width() < 2 && fCurrent->Height() < 2;
}

void DOrevaDeVeri::ClearImage() {
    if (fLegacyBitmap && fCurrent->Location() != ieTBitmap) {
        fCurrent->Discard();
        fCurrent->Relocate(ieTBitmap);
    }
    fCurrent->Setup(1, 1, ie24RGB);
    fCurrent->FillAll(static_cast<double>(Background));
    fCurrent->DropAlphaPlane();
    Update();
}

void DOrevaDeVeri::ImageChange() {
    Update();
    if (OnImageChange) OnImageChange(*this);
}

void DOrevaDeVeri::NotifyProgress(int per) {
    if (OnProgress) OnProgress(*this, per);
}

// --- Settings ----------------------------------------------------------------

void DOrevaDeVeri::SetMouseInteract(TIEMouseInteract value) {
    fMouseInteract = value;
    fPressed = false;
    fDragging = false;
}

void DOrevaDeVeri::SetChessboard(int squareSize, TBrushStyle brushStyle) {
    fChessboardSize = std::max(squareSize, 1);
    fChessboardBrush = brushStyle;
}

void DOrevaDeVeri::SetViewCursor(int index) {
    fCursor = index;
    ShowCursor(index);
}

void DOrevaDeVeri::ShowCursor(int index) {
    fShownCursor = index;
    if (fHost != nullptr) fHost->ShowViewCursor(index);
}

// --- Refresh and painting ---------------------------------------------------------

void DOrevaDeVeri::Update() {
    if (fAutoFit && !IsEmptyImage() && fClientWidth > 0 && fClientHeight > 0) {
        const double fit = std::max(GetFitZoom(), 1.0);
        if (fit != fZoomX || fit != fZoomY) {
            fZoomX = fZoomY = ClampZoom(fit);
            fViewX = fViewY = 0;
            ChangeView();
        }
    }
    Layout();
    PaintBackBuffer();
    PresentBackBuffer();
}

void DOrevaDeVeri::RedrawOverImage() {
    if (fPictureLayerWidth != fBackBuffer.Width() || fPictureLayerHeight != fBackBuffer.Height() ||
        fPictureLayer.empty()) {
        Update();
        return;
    }
    const size_t rowBytes = 3 * static_cast<size_t>(fPictureLayerWidth);
    for (int y = 0; y < fPictureLayerHeight; ++y)
        std::memcpy(fBackBuffer.Row(y), fPictureLayer.data() + rowBytes * y, rowBytes);
    DrawOverImage(fBackBuffer);
    PresentBackBuffer();
}

void DOrevaDeVeri::PaintBackBuffer() {
    if (fVisibleWidth <= 0 || fVisibleHeight <= 0) {
        fBackBuffer.Discard();
        fPictureLayer.clear();
        fPictureLayerWidth = fPictureLayerHeight = 0;
        return;
    }
    if (fBackBuffer.Width() != fVisibleWidth || fBackBuffer.Height() != fVisibleHeight ||
        fBackBuffer.PixelFormat() != ie24RGB) {
        if (!fBackBuffer.Setup(fVisibleWidth, fVisibleHeight, ie24RGB)) return;
    }
    PaintViewBackground(fBackBuffer, BackgroundStyle, Background, fChessboardSize,
                        fChessboardBrush);
    TIEPaintOptions options;
    options.OriginX = OffsetX();
    options.OriginY = OffsetY();
    options.ScaleX = fZoomX / 100;
    options.ScaleY = fZoomY / 100;
    options.Target = TIEPaintRect{0, 0, fVisibleWidth, fVisibleHeight};
    options.Filter = fZoomX < 100 || fZoomY < 100 ? ZoomFilter : rfNone;
    PaintLayers(options);
    KeepPicture();
    DrawOverImage(fBackBuffer);
}

void DOrevaDeVeri::KeepPicture() {
    fPictureLayerWidth = fBackBuffer.Width();
    fPictureLayerHeight = fBackBuffer.Height();
    const size_t rowBytes = 3 * static_cast<size_t>(fPictureLayerWidth);
    fPictureLayer.resize(rowBytes * static_cast<size_t>(fPictureLayerHeight));
    for (int y = 0; y < fPictureLayerHeight; ++y)
        std::memcpy(fPictureLayer.data() + rowBytes * y, fBackBuffer.Row(y), rowBytes);
}

void DOrevaDeVeri::PresentBackBuffer() {
    if (fHost != nullptr) fHost->ViewChanged();
}

void DOrevaDeVeri::ChangeView() {
    if (OnViewChange) OnViewChange(*this);
}

} // namespace vellinor
