// The BMP codec's entry in the front end.

#include "io/bmp/BmpCodec.h"

#include "image/TIEMask.h"
#include "io/ImageCodec.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "platform/Stream.h"

namespace vellinor {

namespace {

void ReadBmp(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress,
             TIEReadOptions& options) {
    // A load passes no data size and keeps alpha only when asked; a
    // parameters-only read passes the stream's size.
    const int64_t dataSize = options.Preview ? options.StreamSize : 0;
    const bool ignoreAlpha = options.Preview || !params.BmpKeepAlpha;
    ReadBmpStream(stream, bitmap, dataSize, params, progress, options.Preview, false,
                  options.AlphaMask, ignoreAlpha);
}

void WriteBmp(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress) {
    WriteBmpStream(stream, bitmap, params, params.BmpKeepAlpha, progress);
}

bool IsBmp(TStream& stream) {
    uint8_t signature[2] = {};
    return stream.ReadExact(signature, 2) && signature[0] == 'B' && signature[1] == 'M';
}

} // namespace

void RegisterBmpCodec() {
    TIECodec codec;
    codec.FormatId = iofBMP;
    codec.Read = ReadBmp;
    codec.Write = WriteBmp;
    codec.Probe = IsBmp;
    RegisterCodec(std::move(codec));
}

} // namespace vellinor
