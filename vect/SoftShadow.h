#pragma once
// The soft shadow of an object: the object's coverage (the alpha plane of the
// object buffer) is blurred, shifted by the offset and composed under the
// object in the shadow colour, writing new pixels and a new alpha plane.

#include "image/TIEBitmap.h"
#include "platform/Geometry.h"

#include <cstdint>

namespace vellinor {

// bitmap: ie24RGB (composed in colour) or ie1g, with an alpha plane holding
// the object's coverage; other formats are blurred and moved only. colour is
// 0x00RRGGBB. left ... bottom: the region holding the object (inclusive).
// Returns the margin by which the caller grows the region on every side
// before painting it back.
int ApplySoftShadow(TIEBitmap& bitmap, int offsetX, int offsetY, double radius, int intensity,
                    uint32_t colour, int left, int top, int right, int bottom);

// The margin ApplySoftShadow returns for these settings.
int SoftShadowMargin(int offsetX, int offsetY, double radius);

// The same on a bitmap that holds only part of a larger one: its pixel (0, 0)
// is pixel (originX, originY) of a width x height bitmap. Regions are clamped
// to the larger bitmap, as if it were all there; the part they reach must lie
// inside the held part. alphaBounds, when given, receives the rectangle
// (Right and Bottom outside, in the larger bitmap's coordinates) outside which
// the alpha plane of the compose region is 0; empty when it is 0 everywhere.
int ApplySoftShadowInPart(TIEBitmap& bitmap, int originX, int originY, int width, int height,
                          int offsetX, int offsetY, double radius, int intensity, TRGB colour,
                          int left, int top, int right, int bottom, TRect* alphaBounds);

} // namespace vellinor
