// The JPEG codec's entry in the front end: a save first brings the marker
// list up to date; loads and probes find the start-of-image within 150 bytes.

#include "io/jpeg/JpegCodec.h"

#include "io/ImageCodec.h"
#include "io/TIOParamsVals.h"
#include "io/jpeg/JpegSavePreparation.h"
#include "io/jpeg/JpegStreamScan.h"

namespace vellinor {

namespace {

void ReadJpeg(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress,
              TIEReadOptions& options) {
    TJpegReadOptions jpeg;
    jpeg.NativeFormat = params.NativeFormat;
    jpeg.ParamsOnly = options.Preview;
    ReadJpegStream(stream, bitmap, params, progress, jpeg);
}

void WriteJpeg(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
               TIOProgressRec& progress) {
    PrepareJpegMarkers(params);
    WriteJpegStream(stream, bitmap, params, progress);
}

bool IsJpeg(TStream& stream) {
    return FindJpegStart(stream) >= 0;
}

} // namespace

void RegisterJpegCodec() {
    TIECodec codec;
    codec.FormatId = iofJPEG;
    codec.Read = ReadJpeg;
    codec.Write = WriteJpeg;
    codec.Probe = IsJpeg;
    codec.WriterTakesOnly24Or1 = true;
    codec.StreamHeaderMagic = "JFIF";
    RegisterCodec(std::move(codec));
}

} // namespace vellinor
