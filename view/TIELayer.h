#pragma once
// TIELayer: one bitmap layer of a view, with its position, display size,
// opacity and flags. Layer 0 of a view is the picture; further layers lie
// above it.

#include "image/TIEBitmap.h"

#include <array>
#include <cstdint>
#include <memory>

namespace vellinor {

// A 128-bit identifier, made at random for every layer.
struct TIELayerId {
    std::array<uint8_t, 16> Bytes{};
    friend bool operator==(const TIELayerId&, const TIELayerId&) = default;
};

class TIELayer {
public:
    // A layer for the given bitmap (which it owns).
    explicit TIELayer(std::unique_ptr<TIEBitmap> bitmap);
    // A layer showing a bitmap that stays its caller's (OwnsBitmap false).
    explicit TIELayer(TIEBitmap& borrowed);
    // A new bitmap of templateBitmap's size and format, in a platform bitmap
    // when the template lives in one, else in the template's storage kind;
    // the pixels are not copied (they start zeroed).
    static std::unique_ptr<TIELayer> LikeBitmap(TIEBitmap& templateBitmap);
    ~TIELayer();
    TIELayer(const TIELayer&) = delete;
    TIELayer& operator=(const TIELayer&) = delete;

    TIEBitmap* LayerBitmap = nullptr;
    // The layer frees LayerBitmap (and a platform bitmap it wraps) when destroyed.
    bool OwnsBitmap = true;
    // Top-left corner in image pixels (may be negative).
    int32_t OffsetX = 0;
    int32_t OffsetY = 0;
    // Size at which the layer is shown and merged; 0 = the bitmap's own.
    int32_t DisplayWidth = 0;
    int32_t DisplayHeight = 0;
    // 0 invisible ... 255 opaque; caps the alpha plane in merging.
    int32_t Opacity = 255;
    bool Shown = true;       // painted and hit-tested (merging ignores it)
    bool FrameShown = true;  // frame and grips drawn when current
    bool Pickable = true;    // a click can make it current
    bool Pinned = false;     // not moved or resized with the mouse
    bool ActsAsMask = false; // the mask of the layer just below
    // How the colour combines with what lies below; 0 = plain copy (the only
    // mode this system uses; other values merge as 0).
    uint8_t BlendMode = 0;
    TIELayerId LayerId;

    // Degrees; whole turns are stored as 0.
    double Rotation() const { return fRotation; }
    void SetRotation(double degrees);

    // The display size, or the bitmap's size where the display size is 0.
    int WorkingWidth() const;
    int WorkingHeight() const;

private:
    std::unique_ptr<TIEBitmap> fBitmap;
    double fRotation = 0;
};

} // namespace vellinor
