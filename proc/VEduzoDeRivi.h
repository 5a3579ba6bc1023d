#pragma once
// VEduzoDeRivi: the image-processing object. It works on one bitmap: the
// current bitmap of the view it is bound to, a bitmap or platform bitmap
// given to it, or else a private bitmap of its own. Every operation starts by
// preparing that bitmap, records an undo entry when AutoUndo is on, and ends
// with the update step (view refresh and image-change notification) and the
// finish step (OnProgress 100, then OnFinishWork).
//
// The operations live one per file: ImageResize.cpp (with Clear),
// ImageOperation.cpp (the selection-aware begin/end steps),
// SetTransparentColors.cpp, ConvertToPalette.cpp, Resample.cpp.

#include "image/TIEBitmapPaint.h"
#include "platform/Color.h"
#include "proc/TIEUndoList.h"

#include <functional>
#include <memory>
#include <span>
#include <string>

namespace vellinor {

class TIEBitmap;
class TIEMask;
class TIEProcViewLink;
class TPlatformBitmap;

// The region and bitmap a selection-aware operation works on
// (BeginImageOperation / EndImageOperation).
struct TIEImageOperation {
    bool Proceed = false;
    // x1 <= x < x2, y1 <= y < y2, in the pixels of Work.
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    TIEBitmap* Work = nullptr;
    // The view's selection mask (nullptr without a selection).
    const TIEMask* Mask = nullptr;
    // Set when the selection's bounding box was copied out: Work points here,
    // and (OriginX, OriginY) is its top-left corner in the working bitmap.
    std::unique_ptr<TIEBitmap> Temporary;
    int OriginX = 0, OriginY = 0;
};

class VEduzoDeRivi {
public:
    using TProgressEvent = std::function<void(VEduzoDeRivi& sender, int per)>;
    using TNotifyEvent = std::function<void(VEduzoDeRivi& sender)>;
    using TSaveUndoEvent = std::function<void(VEduzoDeRivi& sender, TIEUndoSource kind)>;

    // Without an owner: AutoUndo off, working on a private bitmap.
    VEduzoDeRivi();
    // Created by a view for itself: AutoUndo on, bound to the view.
    explicit VEduzoDeRivi(TIEProcViewLink& owner);
    ~VEduzoDeRivi();
    VEduzoDeRivi(const VEduzoDeRivi&) = delete;
    VEduzoDeRivi& operator=(const VEduzoDeRivi&) = delete;

    // --- Binding (each replaces the others) ---
    void SetAttachedView(TIEProcViewLink* view);
    TIEProcViewLink* AttachedView() const { return fView; }
    // Works on bitmap (not owned); nullptr returns to the private bitmap.
    void SetAttachedIEBitmap(TIEBitmap* bitmap);
    // Works on a platform bitmap through a wrapper; after each operation the
    // wrapper's alpha plane is dropped and the bitmap is marked modified.
    void SetAttachedBitmap(TPlatformBitmap* bitmap);
    // The bitmap the operations change.
    TIEBitmap* IEBitmap() const { return fBitmap; }

    // Notifications of the bound view.
    void BitmapChanged();
    void ViewGone();

    // --- Settings ---
    // The view's background when bound (read and written through), else the
    // object's own (initially black). May name a system colour.
    TColor Background() const;
    void SetBackground(TColor color);
    bool AutoUndo = false;
    int UndoLimit = 1;
    // ConvertToPalette converts other formats to ie24RGB first (else it
    // leaves them alone).
    bool AutoConvertFormat = true;

    // --- Undo ---
    void SaveUndo(TIEUndoSource kind = ieuImage);
    void SaveUndoCaptioned(const std::string& caption, TIEUndoSource kind = ieuImage);
    const TIEUndoList& UndoList() const { return fUndo; }
    void ClearUndo() { fUndo.Clear(); }

    // --- Operations ---
    // Enlarges or crops the canvas without scaling; new area gets Background
    // (and alpha on the alpha plane). Align: 0 left/top, 1 centre, 2 right/bottom.
    void ImageResize(int newWidth, int newHeight, int horizAlign = 0, int vertAlign = 0,
                     int alpha = 255);
    // Fills the whole bitmap with Background.
    void Clear();
    // Alpha (low byte) for every pixel whose channels all lie in
    // [minColor, maxColor] (ie24RGB), or whose bit matches minColor's red
    // (ie1g); colours are left alone. The alpha plane exists afterwards.
    void SetTransparentColors(TRGB minColor, TRGB maxColor, int alpha);
    // Reduces an ie24RGB picture to numColors colours (1 or 2: black and
    // white as ie1g; up to 1024: each pixel replaced by its palette colour,
    // the picture stays ie24RGB). The palette used is written into palette
    // (as many entries as it holds).
    void ConvertToPalette(int numColors, std::span<TRGB> palette = {});
    // Scales the picture (and its alpha plane) to the new size.
    void Resample(int newWidth, int newHeight, TResampleFilter filter);

    // --- Steps shared by the operations ---
    TIEImageOperation BeginImageOperation(const std::string& caption);
    void EndImageOperation(TIEImageOperation& operation);

    // --- Events ---
    TProgressEvent OnProgress;
    TNotifyEvent OnFinishWork;
    TSaveUndoEvent OnSaveUndo;

private:
    // Step 1 of every operation: true when there is a bitmap to work on.
    bool PrepareBitmap();
    // The update step: wrapper bookkeeping or view refresh.
    void UpdateStep();
    // The finish step: OnProgress 100, then OnFinishWork.
    void FinishStep();
    void Progress(int per);
    void Unbind();

    TIEProcViewLink* fView = nullptr;
    TIEBitmap* fBitmap = nullptr;
    std::unique_ptr<TIEBitmap> fOwnBitmap;
    TPlatformBitmap* fVclBitmap = nullptr;
    TColor fBackground = clBlack;
    TIEUndoList fUndo;
};

} // namespace vellinor
