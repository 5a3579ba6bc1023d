#pragma once
// REzoreZuDidu: the image view with a layer of vector objects floating over
// the picture (the copyright line is a text object). Objects live in bitmap
// pixels of the current image, are painted over the picture on screen, and
// are burnt into it by MergeShapes.
//
// Handles: a handle >= 0 is the index of an object's record and never changes
// while the object lives; only the highest handle is given out again after
// its object is removed. -1 is the template (the prototype of the next
// object), -2 the last allocated record, -3 and -4 no object. Setters take
// (hobj, value) and refresh the view unless hobj is -1. A handle that names
// no record at all (out of range) addresses a scratch record: the call then
// changes nothing that lasts.
//
// Files: the store and the setters (REzoreZuDiduStore.cpp, REzoreZuDidu.cpp),
// interaction modes and fast drawing (REzoreZuDiduInteract.cpp), the object
// pass (RenderShapes.cpp), one object (RenderShape.cpp, ShapeKinds.cpp), text
// (LayoutText.cpp), the merge (MergeShapes.cpp).

#include "platform/Font.h"
#include "platform/Geometry.h"
#include "vect/TIEObjectBuffer.h"
#include "vect/TIEPictureStore.h"
#include "vect/TVectShape.h"
#include "vect/TVectSurface.h"
#include "vect/VectTypes.h"
#include "view/DOrevaDeVeri.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellinor {

class TIECanvas;
class TIETimer;
class TIEVectEditBox;
class TPlatformBitmap;

class REzoreZuDidu : public DOrevaDeVeri {
public:
    using TVectNotifyEvent = std::function<void(REzoreZuDidu& sender)>;
    using TVectObjectEvent = std::function<void(REzoreZuDidu& sender, int hobj)>;
    using TVectMoveResizeEvent =
        std::function<void(REzoreZuDidu& sender, int hobj, int grip, int offsetX, int offsetY)>;
    // destination: the bitmap drawn on; destRect: the mapped box in its pixels.
    using TVectDrawObjectEvent =
        std::function<void(REzoreZuDidu& sender, int hobj, TPlatformBitmap& destination,
                           const TRect& destRect, bool drawingAlpha, bool& handled)>;
    using TVectMeasureHintEvent =
        std::function<void(REzoreZuDidu& sender, const std::string& text, double value)>;
    using TVectDragLenEndEvent = std::function<void(REzoreZuDidu& sender, double length)>;

    REzoreZuDidu();
    ~REzoreZuDidu() override;

    // --- The store ---
    // Adds a deep copy of the template as the topmost object; refreshes.
    int AddShape();
    // Removes one object; a handle that is no live object changes nothing in
    // the store, but the notification and the refresh still happen.
    void RemoveShape(int hobj);
    void RemoveAllShapes();
    int ShapeCount() const { return static_cast<int>(fZOrder.size()); }
    // Used record slots: handles 0 ... RecordCount() - 1 (holes included).
    int RecordCount() const { return static_cast<int>(fRecords.size()); }
    // The handle at position `index` of the z-order list (0 = bottom).
    int ShapeAt(int index) const;
    bool IsLiveShape(int hobj) const;
    // The record of a handle (see the handle rules above).
    TVectShape& Shape(int hobj);

    // --- Selection ---
    int SelectedCount() const { return static_cast<int>(fSelection.size()); }
    // The handle at `index` of the selection list; 0 for any index out of range.
    int SelectedShape(int index) const;
    void SelectShape(int hobj);
    bool IsShapeSelected(int hobj) const;
    void DeselectShape(int hobj);
    void DeselectAll();

    // --- Setters ---
    void SetShapeKind(int hobj, uint8_t kind);
    void SetShapePenColor(int hobj, TColor color);
    void SetShapeLeft(int hobj, int x);
    void SetShapeTop(int hobj, int y);
    void SetShapeWidth(int hobj, int w);
    void SetShapeHeight(int hobj, int h);
    void SetShapeOpacity(int hobj, int alpha);
    void SetShapePenStyle(int hobj, uint8_t style);
    void SetShapeFillColor(int hobj, TColor color);
    void SetShapeFillStyle(int hobj, uint8_t style);
    // Copies the font's whole record and takes its colour as the pen colour.
    void SetShapeFont(int hobj, const TFont& font);
    // Stores the text without its CR characters; drops rich formatting.
    void SetShapeText(int hobj, std::string_view text);
    void SetShapeFitToText(int hobj, uint8_t flag);
    void SetShapeUserData(int hobj, void* data);
    void SetShapeUserDataLength(int hobj, int length);
    // The record's own shadow; change its fields directly (no refresh).
    TIEVSoftShadow& ShapeShadow(int hobj);
    // The picture of a picture object: a copy of `picture` goes into the store.
    void SetShapeBitmap(int hobj, TIEBitmap& picture);
    TIEBitmap* ShapeBitmap(int hobj);
    TIEPictureStore& Pictures() { return fPictures; }

    // --- Settings ---
    uint8_t MoveByCenterGrip = 0;
    int PickDistance = -1; // screen pixels; -1 = any distance
    bool ZoomObjectsWidth = true;
    bool ShareBitmaps = true;
    bool SelectOnMouseDown = true;
    int ObjUndoLimit = 1;
    bool ObjAutoUndo = false;
    TIEUndoMode ObjUndoMode = ieumSeparated;
    TIEUnits MUnit = ieuPIXELS;
    int FloatDigits = 2;
    int FloatPrecision = 15;
    TResampleFilter BitmapResampleFilter = rfNone;
    // Draw in fast quality while the mouse button is held down.
    bool FastWhileDragging = true;
    // The object buffer holds only what an object can reach; false makes it
    // hold the whole buffer (target size times the drawing scale), which gives
    // the same pixels at far greater cost (for comparisons).
    bool LimitObjectBuffer = true;
    uint8_t SupersampleShapes() const { return fSupersampleShapes; }
    virtual void SetSupersampleShapes(uint8_t value);
    bool ObjAntialias() const { return fObjAntialias; }
    void SetObjAntialias(bool value);
    bool FastDrawing() const { return fFastDrawing; }

    // --- Interaction ---
    int GetShapeInteract() const { return fShapeInteract; }
    // Keeps one mode: the first bit newly set in `flags` (0x8000 is carried).
    void SetShapeInteract(int flags);
    // A non-empty value clears every ShapeInteract bit but 0x1, 0x2 and 0x8000;
    // any value ends in-place editing and resets the interaction state.
    void SetMouseInteract(TIEMouseInteract value) override;
    // The object being edited in place, -1 for none.
    int EditingShape() const { return fEditingShape; }
    // Ends in-place editing: the edit box's text goes into the record.
    void EndTextEdit();
    // The edit box in-place editing shows (the adapter's; may stay unset).
    void SetEditBox(TIEVectEditBox* box) { fEditBox = box; }
    TIEVectEditBox* EditBox() const { return fEditBox; }
    // The measure read-out of the measuring modes.
    double MeasureValue() const { return fMeasureValue; }
    bool MeasureHintShown() const { return fMeasureHintShown; }
    TPoint MeasureHintPosition() const { return fMeasureHintPosition; }

    // --- Input (tracks the primary button for fast drawing) ---
    void MouseDown(const TIEMouseEvent& event) override;
    void MouseUp(const TIEMouseEvent& event) override;
    bool PrimaryButtonDown() const { return fPrimaryDown; }

    // --- Rendering ---
    // Draws all objects in z-order (or only hobj) onto target: the view's
    // back buffer (toBitmap false: coordinates mapped to the screen) or the
    // image's own platform bitmap.
    void RenderShapes(bool toBitmap, int hobj, bool antialias, TPlatformBitmap& target);
    // Draws one object; false when it was not drawn (invisible, off screen).
    bool RenderShape(TVectShape& record, int hobj, TPlatformBitmap& target, bool mapToScreen,
                     TIEBitmap* pictureTarget, int scale, bool alphaPass);
    // Lays out and draws a vkText object in the mapped box (inclusive corners).
    void LayoutText(TIECanvas& canvas, TVectShape& record, int hobj, int x1, int y1, int x2, int y2,
                    double zoomX, double zoomY, bool alphaPass);
    // Objects drawn since the screen pass began.
    int ShapesDrawn() const { return fShapesDrawn; }
    // The object buffer (for tests and benchmarks: what it holds now).
    const TIEObjectBuffer& ObjectBuffer() const { return fBuffer; }

    // --- Merging ---
    // Draws the objects (or only hobj) into image in bitmap coordinates.
    void DrawShapesInto(TIEBitmap& image, bool antialias, int hobj);
    // Burns every object into the current image, refreshes, fires OnImageChange.
    void MergeShapes(bool antialias);

    // --- Events ---
    TVectNotifyEvent OnVectorialChanged;
    TVectNotifyEvent OnSelectObject;
    TVectObjectEvent OnUserSelectObject;
    TVectObjectEvent OnUserDeselectObject;
    TVectObjectEvent OnNewObject;
    TVectMoveResizeEvent OnObjectMoveResize;
    TVectObjectEvent OnObjectClick;
    TVectObjectEvent OnObjectDblClick;
    TVectObjectEvent OnObjectOver;
    TVectDrawObjectEvent OnBeforeDrawObject;
    TVectDrawObjectEvent OnAfterDrawObject;
    TVectObjectEvent OnActivateTextEdit;
    TVectObjectEvent OnDeactivateTextEdit;
    TVectObjectEvent OnTextKeyDown;
    TVectObjectEvent OnTextEditCursorMoved;
    TVectMeasureHintEvent OnMeasureHint;
    TVectDragLenEndEvent OnDragLenEnd;

protected:
    // The screen pass: objects over the freshly painted picture, then grips.
    void DrawOverImage(TIEBitmap& backBuffer) override;
    // Grips of the selected objects and polyline points (interactive editing).
    virtual void DrawSelectionGrips(TPlatformBitmap& backBuffer) {}
    // What an interaction in progress remembers; cleared by mode changes.
    virtual void ResetInteraction();
    void FireVectorialChanged();

private:
    struct TMapping;
    // Settings of one drawing.
    struct TDrawContext;

    void InitTemplate();
    TVectShape* Lookup(int hobj);
    void RefreshUnlessTemplate(int hobj);
    void ReleaseRecord(TVectShape& record);

    // The object pass on a surface (the image, a band of it or the back buffer).
    void RenderShapesOn(const TVectSurface& target, bool toBitmap, int hobj, bool antialias);
    bool RenderShapeOn(TVectShape& record, int hobj, const TVectSurface& surface, bool mapToScreen,
                       bool intoBuffer, int scale, bool alphaPass);
    void DrawKind(TIECanvas& canvas, TVectShape& record, int hobj, const TDrawContext& context);
    bool DrawsDirectly(const TVectShape& record) const;
    void PaintThroughBuffer(TVectShape& record, int hobj, const TVectSurface& target, bool toBitmap,
                            int scale);
    TRect EstimatedReach(const TVectShape& record, bool mapToScreen, int scale);
    void AlphaPass(TVectShape& record, int hobj, bool mapToScreen, int scale);
    void CopyTargetUnderBox(const TVectShape& record, const TVectSurface& target, bool mapToScreen,
                            int scale);
    void CopyPictureAlpha(const TVectShape& record, TIEBitmap& picture, bool mapToScreen,
                          int scale);
    void DrawIntoBand(TIEBitmap& image, int hobj, bool antialias, bool& fits);
    void DrawThroughCopy(TIEBitmap& image, int hobj, bool antialias);
    TMapping MappingFor(bool mapToScreen, int scale) const;
    void TextAlongPath(TIECanvas& canvas, TVectShape& record, const TLogFontA& font, int x1, int y1,
                       int x2, int y2);

    void StartFastDrawingIfPressed();
    void FastDrawingTick();

    // Store
    // Records are shared so that a drawing in progress keeps its record even
    // when an event handler removes the object.
    std::vector<std::shared_ptr<TVectShape>> fRecords;
    std::vector<int> fZOrder;    // bottom first
    std::vector<int> fSelection; // in the order of selection
    TVectShape fTemplate;
    TVectShape fScratch;
    TIEPictureStore fPictures;

    // Settings with setters
    uint8_t fSupersampleShapes = 0;
    bool fObjAntialias = true;

    // Interaction
    int fShapeInteract = 0;
    int fEditingShape = -1;
    TIEVectEditBox* fEditBox = nullptr;
    double fMeasureValue = 0;
    bool fMeasureHintShown = false;
    TPoint fMeasureHintPosition{};
    bool fPrimaryDown = false;
    bool fRendering = false; // an object pass is running

    // Rendering
    TIEObjectBuffer fBuffer;
    int fShapesDrawn = 0;
    // Target pixels the current pass may have written (Right, Bottom outside).
    TRect fPassReach{};
    bool fFastDrawing = false;
    std::unique_ptr<TIETimer> fFastTimer;
};

} // namespace vellinor
