// The processing object bound to the view, and what it sees of the view.

#include "proc/VEduzoDeRivi.h"
#include "view/DOrevaDeVeri.h"
#include "view/ViewProcLink.h"

#include <algorithm>

namespace vellinor {

VEduzoDeRivi* DOrevaDeVeri::AttachedProc() {
    if (!fProc) {
        fProc = std::make_unique<VEduzoDeRivi>(*fProcLink);
        // The handlers the view has now, as the object's own.
        if (OnProgress) {
            fProc->OnProgress = [this, handler = OnProgress](VEduzoDeRivi&, int per) {
                handler(*this, per);
            };
        }
        if (OnFinishWork) {
            fProc->OnFinishWork = [this, handler = OnFinishWork](VEduzoDeRivi&) { handler(*this); };
        }
        if (OnSaveUndo) {
            fProc->OnSaveUndo = [this, handler = OnSaveUndo](VEduzoDeRivi&, TIEUndoSource kind) {
                handler(*this, kind);
            };
        }
    }
    return fProc.get();
}

TIEProcViewLink& DOrevaDeVeri::ProcLink() {
    return *fProcLink;
}

// --- The link ----------------------------------------------------------------------

TIEViewProcLink::~TIEViewProcLink() {
    DetachAll();
}

TIEBitmap& TIEViewProcLink::ProcBitmap() {
    return fView.CurrentBitmap();
}

void TIEViewProcLink::ProcImageChange() {
    fView.ImageChange();
}

TColor TIEViewProcLink::ProcBackground() const {
    return fView.Background;
}

void TIEViewProcLink::ProcSetBackground(TColor color) {
    fView.Background = color;
}

int TIEViewProcLink::ProcCurrentLayer() const {
    return fView.CurrentLayerIndex();
}

const TIEMask* TIEViewProcLink::ProcSelectionMask() const {
    return fView.Selected() ? &fView.SelectionMask() : nullptr;
}

void TIEViewProcLink::ProcAddListener(VEduzoDeRivi& proc) {
    if (std::find(fListeners.begin(), fListeners.end(), &proc) == fListeners.end())
        fListeners.push_back(&proc);
}

void TIEViewProcLink::ProcRemoveListener(VEduzoDeRivi& proc) {
    std::erase(fListeners, &proc);
}

void TIEViewProcLink::NotifyBitmapChanged() {
    for (VEduzoDeRivi* proc : fListeners)
        proc->BitmapChanged();
}

void TIEViewProcLink::DetachAll() {
    std::vector<VEduzoDeRivi*> listeners;
    listeners.swap(fListeners);
    for (VEduzoDeRivi* proc : listeners)
        proc->ViewGone();
}

} // namespace vellinor
