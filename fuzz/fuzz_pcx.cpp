// The PCX and DCX readers on arbitrary bytes: a full read, a parameters-only
// read, and a DCX read of a page chosen by the input's length. Pictures that
// load are written back, so odd headers reach the writer as well.

#include "image/TIEBitmap.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/pcx/DcxCodec.h"
#include "io/pcx/PcxCodec.h"
#include "platform/BufferedStream.h"
#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace vellinor;

namespace {

void WriteBack(TIEBitmap& bitmap, TIOParamsVals& params) {
    if (bitmap.IsVoid() || int64_t{bitmap.Width()} * bitmap.Height() > 64 * 64) return;
    bool abort = false;
    TIOProgressRec progress;
    progress.AbortFlagRef = &abort;
    TCountingStream sink;
    WritePcxStream(sink, bitmap, params, progress);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    for (const bool preview : {false, true}) {
        TSpanStream stream(bytes);
        TIEBitmap bitmap;
        TIOParamsVals params;
        bool abort = false;
        TIOProgressRec progress;
        progress.AbortFlagRef = &abort;
        ReadPcxStream(stream, bitmap, params, preview, progress, static_cast<int64_t>(size));
        if (!preview && !abort) WriteBack(bitmap, params);
    }
    TSpanStream stream(bytes);
    if (!IsDcxStream(stream)) return 0;
    TIEBitmap bitmap;
    TIOParamsVals params;
    params.SetFrameIndex(static_cast<int32_t>(size % 5) - 1);
    bool abort = false;
    TIOProgressRec progress;
    progress.AbortFlagRef = &abort;
    ReadDcxStream(stream, bitmap, params, false, progress);
    return 0;
}
