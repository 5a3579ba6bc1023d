#pragma once
// The template's default picture: a 64 x 64 pointing hand of our own, on a
// 24-bit bitmap.

#include "image/TIEBitmap.h"

#include <memory>

namespace vellinor {

std::unique_ptr<TIEBitmap> MakeHandPicture();

} // namespace vellinor
