#pragma once
// The view as its processing objects see it (TIEProcViewLink), with the list
// of bound processing objects that hear about bitmap changes.

#include "proc/ProcViewLink.h"

#include <vector>

namespace vellinor {

class DOrevaDeVeri;

class TIEViewProcLink : public TIEProcViewLink {
public:
    explicit TIEViewProcLink(DOrevaDeVeri& view) : fView(view) {}
    ~TIEViewProcLink() override;

    TIEBitmap& ProcBitmap() override;
    void ProcImageChange() override;
    TColor ProcBackground() const override;
    void ProcSetBackground(TColor color) override;
    int ProcCurrentLayer() const override;
    const TIEMask* ProcSelectionMask() const override;
    void ProcAddListener(VEduzoDeRivi& proc) override;
    void ProcRemoveListener(VEduzoDeRivi& proc) override;

    // The current bitmap is another one now: every bound object re-reads it.
    void NotifyBitmapChanged();
    // The view goes away: every bound object is unbound.
    void DetachAll();

private:
    DOrevaDeVeri& fView;
    std::vector<VEduzoDeRivi*> fListeners;
};

} // namespace vellinor
