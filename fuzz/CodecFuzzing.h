#pragma once
// What the codec fuzz targets share: the sanitizer settings and the rule for
// which decoded pictures are written back.

#include "image/TIEBitmap.h"

#include <cstdint>

// Pictures of tens of megabytes are allowed whatever the data says; freed
// ones must not pile up in the sanitizer's quarantine.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=64";
}

namespace vellinor {

// Writing back a large picture would only spend the time of the run.
inline bool WorthRewriting(bool aborted, TIEBitmap& bitmap) {
    constexpr int64_t kMaxRewrittenPixels = 1 << 20;
    return !aborted && !bitmap.IsVoid() &&
           int64_t{bitmap.Width()} * bitmap.Height() <= kMaxRewrittenPixels;
}

} // namespace vellinor
