#pragma once
// DOrevaDeVeri: the image view, without a toolkit. It holds the picture,
// zooms, fits and scrolls it, renders the visible part into a back buffer
// (with the background around it) and reacts to plain input events. A toolkit
// widget shows the back buffer and forwards its events (TIEViewHost).
//
// Painting pipeline: background -> picture (scaled) -> DrawOverImage(), the
// hook where a descendant (the vector layer) draws over the picture, so the
// screen shows the same pixels a merge would produce.

#include "image/TIEBitmap.h"
#include "image/TIEBitmapPaint.h"
#include "image/TIEMask.h"
#include "platform/Color.h"
#include "proc/TIEUndoList.h"
#include "view/ViewCursors.h"
#include "view/ViewTypes.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace vellinor {

class TIEImageIO;
class TIELayer;
class TIEProcViewLink;
class TIEViewHost;
class TIEViewProcLink;
class TIEViewLink;
class TIETimer;
class TPlatformBitmap;
class VEduzoDeRivi;

// One scroll bar as the host should show it (units are screen pixels).
struct TIEScrollInfo {
    bool Visible = false;
    int Max = 0; // largest position
    int Page = 0;
    int Line = 1;
    int Position = 0;
};

class DOrevaDeVeri {
public:
    using TNotifyEvent = std::function<void(DOrevaDeVeri& sender)>;
    using TProgressEvent = std::function<void(DOrevaDeVeri& sender, int per)>;
    using TZoomEvent = std::function<void(DOrevaDeVeri& sender, double newZoom)>;
    using TSaveUndoEvent = std::function<void(DOrevaDeVeri& sender, TIEUndoSource kind)>;

    DOrevaDeVeri();
    virtual ~DOrevaDeVeri();
    DOrevaDeVeri(const DOrevaDeVeri&) = delete;
    DOrevaDeVeri& operator=(const DOrevaDeVeri&) = delete;

    // --- Host ---
    void SetHost(TIEViewHost* host);
    TIEViewHost* Host() const { return fHost; }
    // A timer on the host's event loop, or a manual one without a host.
    std::unique_ptr<TIETimer> CreateTimer();

    // --- The picture ---
    TIEBitmap& CurrentBitmap() { return *fCurrent; }
    const TIEBitmap& CurrentBitmap() const { return *fCurrent; }
    // The platform bitmap the current bitmap lives in, when it lives in one.
    TPlatformBitmap* LegacyVclBitmap();
    bool LegacyBitmap() const { return fLegacyBitmap; }
    // True when the current bitmap is smaller than 2 in both directions.
    bool IsEmptyImage() const;
    // 1 x 1, filled with Background, no alpha plane; refreshes.
    void ClearImage();
    // The picture's pixels changed: refresh and fire OnImageChange.
    void ImageChange();

    // --- Layers (DOrevaDeVeriLayers.cpp): layer 0 is the picture ---
    int LayerCount() const { return static_cast<int>(fLayers.size()); }
    TIELayer& LayerAt(int index) { return *fLayers.at(static_cast<size_t>(index)); }
    TIELayer& CurrentLayer() { return LayerAt(fCurrentLayer); }
    int CurrentLayerIndex() const { return fCurrentLayer; }
    // A new layer of the current layer's size and format, filled with
    // Background, without alpha plane; it becomes current. Returns its index.
    int AppendLayer();
    // Makes a layer current (a layer that is not Pickable passes the choice
    // down to the nearest one that is); out-of-range indexes are ignored.
    virtual void SelectLayer(int index);
    // Composites two layers (with the upper one's mask layer) into one that
    // takes the lower one's place and becomes current; removeUpper deletes
    // the upper layer and its mask.
    void MergeLayerPair(int index1, int index2, bool removeUpper);

    // --- Selection ---
    // Empty (no selection) unless set; operations of the processing object
    // then work on the selected pixels only.
    const TIEMask& SelectionMask() const { return fSelectionMask; }
    bool Selected() const { return !fSelectionMask.IsEmpty(); }
    // A copy of mask (its bounding box recomputed) becomes the selection.
    void SetSelectionMask(const TIEMask& mask);
    void Deselect();

    // --- Zoom and fit (percent) ---
    double Zoom() const { return fZoomX; }
    double ZoomX() const { return fZoomX; }
    double ZoomY() const { return fZoomY; }
    // Keeps the centre of the visible area; values <= 0 are ignored.
    void SetZoom(double percent);
    // Keeps the bitmap point under screen point (x, y) where it is.
    void ZoomAt(double percent, int x, int y);
    // One step of the zoom table up or down; fires OnZoomIn / OnZoomOut first.
    void ZoomIn(int x, int y);
    void ZoomOut(int x, int y);
    bool AutoFit() const { return fAutoFit; }
    void SetAutoFit(bool value);
    // The zoom at which the whole picture fits the view (100 when a size is 0).
    double GetFitZoom() const;
    // Fits once when the picture has a size (scroll bars disappear).
    void FitAfterLoad();
    // Filter used while the picture is shown reduced (enlarged pixels are
    // shown as squares).
    TResampleFilter ZoomFilter = rfTriangle;

    // --- Mouse and scroll settings ---
    TIEMouseInteract MouseInteract() const { return fMouseInteract; }
    virtual void SetMouseInteract(TIEMouseInteract value);
    TIEMouseWheelParams MouseWheelParams;
    TIEScrollBarParams HorizontalScrollBarParams;
    TIEScrollBarParams VerticalScrollBarParams;

    // --- Background ---
    TIEBackgroundStyle BackgroundStyle = iebsSolid;
    TColor Background = clBtnFace;
    void SetChessboard(int squareSize, TBrushStyle brushStyle);
    int ChessboardSize() const { return fChessboardSize; }
    TBrushStyle ChessboardBrushStyle() const { return fChessboardBrush; }

    // --- Cursor ---
    int Cursor() const { return fCursor; }
    // Sets the view's cursor and shows it at once.
    void SetViewCursor(int index);
    // The cursor shown right now (the view's, or a temporary one).
    int ShownCursor() const { return fShownCursor; }

    // --- Geometry (screen pixels) ---
    // Size of the whole control and the thickness of its scroll bars.
    void SetClientSize(int width, int height);
    void SetScrollBarSize(int size);
    int ClientWidth() const { return fClientWidth; }
    int ClientHeight() const { return fClientHeight; }
    // The area that shows the picture: the client without visible scroll bars.
    int VisibleWidth() const { return fVisibleWidth; }
    int VisibleHeight() const { return fVisibleHeight; }
    // Size of the zoomed picture.
    int ExtentX() const { return fExtentX; }
    int ExtentY() const { return fExtentY; }
    // Scroll position: the first picture column / row shown, in screen pixels.
    int ViewX() const { return fViewX; }
    int ViewY() const { return fViewY; }
    void SetViewXY(int x, int y);
    TIEScrollInfo HorizontalScroll() const;
    TIEScrollInfo VerticalScroll() const;
    // Scroll-bar steps: lines of LineStep units, pages of PageStep units.
    void ScrollLines(bool horizontal, int lines);
    void ScrollPages(bool horizontal, int pages);

    // --- Coordinate conversions ---
    int XBmp2Scr(int x) const;
    int YBmp2Scr(int y) const;
    int XScr2Bmp(int x) const;
    int YScr2Bmp(int y) const;
    // Screen position of the picture's top-left corner.
    int OffsetX() const { return fOffsetX - fViewX; }
    int OffsetY() const { return fOffsetY - fViewY; }

    // --- Refresh and painting ---
    // Refits (AutoFit), lays out, repaints the back buffer and shows it.
    virtual void Update();
    // Repaints only what DrawOverImage draws, over the picture as last
    // rendered (cheap: for changes that leave the picture alone).
    void RedrawOverImage();
    // ie24RGB, VisibleWidth x VisibleHeight, with a platform-bitmap face.
    TIEBitmap& BackBuffer() { return fBackBuffer; }

    // --- Input from the host (screen points in view pixels) ---
    virtual void MouseDown(const TIEMouseEvent& event);
    virtual void MouseMove(const TIEMouseEvent& event);
    virtual void MouseUp(const TIEMouseEvent& event);
    virtual void DoubleClick(const TIEMouseEvent& event);
    // True when the wheel moved or zoomed the view.
    virtual bool MouseWheel(const TIEWheelEvent& event);
    virtual void KeyDown(TIEKeyEvent& event);

    // --- Attached objects ---
    // The I/O object, created on first use and bound to this view: it reads
    // into and writes from the current bitmap, and reports its progress and
    // the end of its work through this view's events. Later calls return it.
    TIEImageIO* AttachedIO();
    // The processing object, made on first use the same way: it works on the
    // current bitmap, follows the current layer, and takes this view's
    // OnProgress, OnFinishWork and OnSaveUndo handlers as they are then.
    VEduzoDeRivi* AttachedProc();
    // What processing objects bind to (SetAttachedView).
    TIEProcViewLink& ProcLink();
    // Forwards the progress of a running load, save or processing step.
    void NotifyProgress(int per);
    void NotifyFinishWork();
    // Work handed over from other threads (asynchronous I/O), run here on the
    // view's thread: the host runs it from its event loop; without a host the
    // owner calls DispatchPostedWork.
    void PostToViewThread(std::function<void()> work);
    void DispatchPostedWork();
    // Resolution of the picture in dots per inch, as the last load gave it.
    int DpiX = 96;
    int DpiY = 96;

    // --- Events ---
    TProgressEvent OnProgress;
    TZoomEvent OnZoomIn;
    TZoomEvent OnZoomOut;
    TNotifyEvent OnImageChange;
    // An attached object finished a load, save or processing step.
    TNotifyEvent OnFinishWork;
    // The attached processing object saved an undo copy.
    TSaveUndoEvent OnSaveUndo;
    TNotifyEvent OnClick;
    // Zoom or scroll position changed.
    TNotifyEvent OnViewChange;

protected:
    // Draws over the freshly painted picture (the vector layer's objects).
    virtual void DrawOverImage(TIEBitmap& backBuffer) {}
    // Shows a cursor without making it the view's own (grips, drags).
    void ShowCursor(int index);

private:
    void Layout();
    double ClampZoom(double percent) const;
    void ApplyZoom(double percent, double anchorBmpX, double anchorBmpY, int anchorX, int anchorY);
    void PaintBackBuffer();
    void PresentBackBuffer();
    void KeepPicture();
    void PaintLayers(const TIEPaintOptions& pictureOptions);
    // The current bitmap is the current layer's; bound processing objects hear of it.
    void CurrentBitmapChanged();
    void ChangeView();
    bool WheelScroll(const TIEWheelEvent& event, int direction);
    bool WheelZoom(const TIEWheelEvent& event, int direction);

    TIEViewHost* fHost = nullptr;

    std::unique_ptr<TIEViewLink> fIOLink;
    std::unique_ptr<TIEImageIO> fIO;
    std::mutex fPostedLock;
    std::vector<std::function<void()>> fPosted;

    std::vector<std::unique_ptr<TIELayer>> fLayers; // bottom (the picture) to top
    int fCurrentLayer = 0;                          // -1 while the list changes
    TIEBitmap* fCurrent = nullptr;                  // the current layer's bitmap
    TIEMask fSelectionMask;
    std::unique_ptr<TIEViewProcLink> fProcLink;
    std::unique_ptr<VEduzoDeRivi> fProc;
    bool fLegacyBitmap = true;

    double fZoomX = 100;
    double fZoomY = 100;
    bool fAutoFit = false;
    TIEMouseInteract fMouseInteract;

    int fChessboardSize = 16;
    TBrushStyle fChessboardBrush = bsSolid;
    int fCursor = crIECross3;
    int fShownCursor = crIECross3;

    int fClientWidth = 0;
    int fClientHeight = 0;
    int fScrollBarSize = 0;
    int fVisibleWidth = 0;
    int fVisibleHeight = 0;
    bool fHorizontalBar = false;
    bool fVerticalBar = false;
    int fExtentX = 0;
    int fExtentY = 0;
    int fOffsetX = 0; // centring offset of a picture smaller than the area
    int fOffsetY = 0;
    int fViewX = 0;
    int fViewY = 0;

    TIEBitmap fBackBuffer;
    std::vector<uint8_t> fPictureLayer; // back buffer rows as the picture left them
    int fPictureLayerWidth = 0;
    int fPictureLayerHeight = 0;

    // Mouse state between down and up.
    bool fPressed = false;
    bool fDragging = false;
    TMouseButton fPressButton = mbLeft;
    int fPressX = 0;
    int fPressY = 0;
    int fPressViewX = 0;
    int fPressViewY = 0;
};

} // namespace vellinor
