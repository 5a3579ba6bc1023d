#pragma once
// The drawing surface on a platform bitmap.

namespace vellinor {

class TPlatformBitmap;

class TCanvas {
public:
    explicit TCanvas(TPlatformBitmap& target) : fTarget(target) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPlatformBitmap& Target() { return fTarget; }

private:
    TPlatformBitmap& fTarget;
};

} // namespace vellinor
