// Binding, background, undo entries and the update and finish steps.

#include "proc/VEduzoDeRivi.h"

#include "image/TIEBitmap.h"
#include "platform/PlatformBitmap.h"
#include "proc/ProcViewLink.h"

namespace vellinor {

VEduzoDeRivi::VEduzoDeRivi() : fOwnBitmap(std::make_unique<TIEBitmap>()) {
    fBitmap = fOwnBitmap.get();
}

VEduzoDeRivi::VEduzoDeRivi(TIEProcViewLink& owner) : VEduzoDeRivi() {
    AutoUndo = true;
    SetAttachedView(&owner);
}

VEduzoDeRivi::~VEduzoDeRivi() {
    Unbind();
}

// --- Binding ---------------------------------------------------------------------

void VEduzoDeRivi::Unbind() {
    if (fView != nullptr) fView->ProcRemoveListener(*this);
    fView = nullptr;
    fVclBitmap = nullptr;
    if (fBitmap != fOwnBitmap.get()) {
        // A wrapper of a platform bitmap must not outlive the binding.
        fOwnBitmap = std::make_unique<TIEBitmap>();
    }
    fBitmap = fOwnBitmap.get();
}

void VEduzoDeRivi::SetAttachedView(TIEProcViewLink* view) {
    if (view == fView && view != nullptr) return;
    Unbind();
    fView = view;
    if (fView != nullptr) {
        fView->ProcAddListener(*this);
        fBitmap = &fView->ProcBitmap();
    }
}

void VEduzoDeRivi::SetAttachedIEBitmap(TIEBitmap* bitmap) {
    Unbind();
    if (bitmap != nullptr) fBitmap = bitmap;
}

void VEduzoDeRivi::SetAttachedBitmap(TPlatformBitmap* bitmap) {
    Unbind();
    if (bitmap == nullptr) return;
    fVclBitmap = bitmap;
    fOwnBitmap->WrapVclBitmap(bitmap, true);
}

void VEduzoDeRivi::BitmapChanged() {
    if (fView != nullptr) fBitmap = &fView->ProcBitmap();
}

void VEduzoDeRivi::ViewGone() {
    fView = nullptr;
    fOwnBitmap = std::make_unique<TIEBitmap>();
    fBitmap = fOwnBitmap.get();
}

bool VEduzoDeRivi::PrepareBitmap() {
    if (fVclBitmap != nullptr) fOwnBitmap->WrapVclBitmap(fVclBitmap, false);
    return fBitmap != nullptr;
}

// --- Background --------------------------------------------------------------------

TColor VEduzoDeRivi::Background() const {
    return fView != nullptr ? fView->ProcBackground() : fBackground;
}

void VEduzoDeRivi::SetBackground(TColor color) {
    if (fView != nullptr) {
        fView->ProcSetBackground(color);
    } else {
        fBackground = color;
    }
}

// --- Undo ----------------------------------------------------------------------------

void VEduzoDeRivi::SaveUndo(TIEUndoSource kind) {
    if (UndoLimit <= 0 || !PrepareBitmap()) return;
    // Make room first: the old copy goes before the new one is made.
    fUndo.MakeRoom(UndoLimit);
    TIEUndoEntry entry;
    entry.Kind = kind;
    entry.LayerIndex = fView != nullptr ? fView->ProcCurrentLayer() : -1;
    if (kind == ieuImage) entry.Image = TIEUndoList::SaveImage(*fBitmap);
    fUndo.Append(std::move(entry));
    if (OnSaveUndo) OnSaveUndo(*this, kind);
}

void VEduzoDeRivi::SaveUndoCaptioned(const std::string& caption, TIEUndoSource kind) {
    if (!PrepareBitmap()) return;
    if (fBitmap->Width() < 2 || fBitmap->Height() < 2) return;
    if (UndoLimit <= 0) return;
    SaveUndo(kind);
    fUndo.Newest().Caption = caption;
}

// --- Update and finish ---------------------------------------------------------------

void VEduzoDeRivi::UpdateStep() {
    if (fVclBitmap != nullptr) {
        fOwnBitmap->DropAlphaPlane();
        fVclBitmap->Modified = true;
    }
    if (fView != nullptr) fView->ProcImageChange();
}

void VEduzoDeRivi::FinishStep() {
    Progress(100);
    if (OnFinishWork) OnFinishWork(*this);
}

void VEduzoDeRivi::Progress(int per) {
    if (OnProgress) OnProgress(*this, per);
}

} // namespace vellinor
