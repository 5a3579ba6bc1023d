// The PNG codec's entry in the front end. A save hands the writer the
// bitmap's alpha plane as a mask.

#include "io/png/PngCodec.h"

#include "image/TIEBitmap.h"
#include "image/TIEMask.h"
#include "io/ImageCodec.h"
#include "io/TIOParamsVals.h"

#include <memory>

namespace vellinor {

namespace {

void ReadPng(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress,
             TIEReadOptions& options) {
    ReadPngStream(stream, bitmap, params, options.Preview, progress);
}

void WritePng(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress) {
    std::unique_ptr<TIEMask> mask;
    if (bitmap.HasAlphaPlane()) {
        mask = std::make_unique<TIEMask>();
        bitmap.AlphaPlane()->CopyToMask(*mask);
    }
    WritePngStream(stream, bitmap, params, mask.get(), progress);
}

} // namespace

void RegisterPngCodec() {
    TIECodec codec;
    codec.FormatId = iofPNG;
    codec.Read = ReadPng;
    codec.Write = WritePng;
    codec.Probe = IsPngStream;
    RegisterCodec(std::move(codec));
}

} // namespace vellinor
