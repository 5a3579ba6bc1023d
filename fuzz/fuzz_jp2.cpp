// The JPEG 2000 reader on arbitrary bytes: a parameters-only read, then a
// full one. Inputs are cut to 16 KiB: the reader's size limits grow with the
// stream's length, so longer inputs only make each run slower.

#include "image/TIEBitmap.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/jp2/J2kCodec.h"
#include "platform/Stream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

constexpr size_t kMaxInput = 16 * 1024;

void Read(std::span<const uint8_t> bytes, bool preview) {
    using namespace vellinor;
    TSpanStream stream(bytes);
    TIEBitmap bitmap;
    TIOParamsVals params;
    bool aborted = false;
    TIOProgressRec progress;
    progress.AbortFlagRef = &aborted;
    ReadJ2kStream(stream, bitmap, params, preview, progress);
    if (!aborted && !preview && bitmap.Width() > 0) {
        // Touch the result so that a bad row is noticed here.
        volatile uint8_t sink = bitmap.Row(bitmap.Height() - 1)[0];
        (void)sink;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, std::min(size, kMaxInput));
    Read(bytes, true);
    Read(bytes, false);
    return 0;
}
