// The JPEG 2000 codecs' entries in the front end: the JP2 file format and the
// raw code stream share the reader and differ in what the writer produces.

#include "io/jp2/J2kCodec.h"

#include "io/ImageCodec.h"
#include "io/jp2/YCbCrTables.h"

namespace vellinor {

namespace {

void ReadJ2k(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress,
             TIEReadOptions& options) {
    ReadJ2kStream(stream, bitmap, params, options.Preview, progress);
}

TIECodec J2kCodec(TIOFormatId id, int formatIndex, TIEProbeProc probe) {
    TIECodec codec;
    codec.FormatId = id;
    codec.Read = ReadJ2k;
    codec.Write = [formatIndex](TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                                TIOProgressRec& progress) {
        WriteJ2kStream(stream, bitmap, params, formatIndex, progress);
    };
    codec.Probe = std::move(probe);
    codec.WriterTakesOnly24Or1 = true;
    return codec;
}

} // namespace

void RegisterJ2kCodecs() {
    YCbCrTables(); // computed at start-up, before any reader needs them
    RegisterCodec(J2kCodec(iofJP2, j2kJp2File, IsJp2Stream));
    RegisterCodec(J2kCodec(iofJ2K, j2kCodeStream, IsJ2kStream));
}

} // namespace vellinor
