#pragma once
// What a processing object needs from the image view it is bound to. The view
// implements this interface; proc/ never sees the view's own type. A bound
// processing object registers itself as a bitmap-change listener and is told
// when the view's current bitmap becomes another one (another layer) and when
// the view goes away.

#include "platform/Color.h"

namespace vellinor {

class TIEBitmap;
class TIEMask;
class VEduzoDeRivi;

class TIEProcViewLink {
public:
    virtual ~TIEProcViewLink() = default;

    // The bitmap of the view's current layer.
    virtual TIEBitmap& ProcBitmap() = 0;
    // After an operation: refresh the view and raise its image-change notification.
    virtual void ProcImageChange() = 0;
    virtual TColor ProcBackground() const = 0;
    virtual void ProcSetBackground(TColor color) = 0;
    // Index of the view's current layer.
    virtual int ProcCurrentLayer() const = 0;
    // The view's selection mask, or nullptr when the view has no selection.
    virtual const TIEMask* ProcSelectionMask() const = 0;
    // Bitmap-change listeners (see VEduzoDeRivi::BitmapChanged and ViewGone).
    virtual void ProcAddListener(VEduzoDeRivi& proc) = 0;
    virtual void ProcRemoveListener(VEduzoDeRivi& proc) = 0;
};

} // namespace vellinor
