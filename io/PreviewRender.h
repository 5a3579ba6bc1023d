#pragma once
// The preview of one set of save parameters, made through the I/O front end
// with whatever writers and readers are registered:
// - EncodeAndDecode (JPEG, JPEG 2000): the source is encoded into memory
//   (progress 0..50) and decoded back into the result (50..100);
// - ReduceColors (the other formats): the source is encoded into a stream
//   that only counts bytes (0..100), and the result is the source reduced to
//   the chosen colours (palette or black and white), not decoded.
// The source itself is never changed.

#include "io/IOFormats.h"
#include "io/PreviewsPages.h"

#include <cstdint>
#include <functional>

namespace vellinor {

class TIEBitmap;
class TIOParamsVals;

struct TPreviewRequest {
    TIOFormatId Format = iofUnknown;
    TPreviewKind Kind = TPreviewKind::ReduceColors;
    // ReduceColors: 2 black and white, 3..256 a palette, 0 true colour.
    int Colors = 0;
};

struct TPreviewOutcome {
    bool Succeeded = false;
    // The encoding's size; -1 when the encoding failed (it stays known when
    // only the decoding failed).
    int64_t CompressedSize = -1;
};

// On failure (no writer or reader for the format, an aborted or throwing
// codec) the result is emptied and Succeeded is false; nothing is thrown.
TPreviewOutcome RenderPreview(TIEBitmap& source, const TIOParamsVals& params,
                              const TPreviewRequest& request, TIEBitmap& result,
                              const std::function<void(int percent)>& progress);

} // namespace vellinor
