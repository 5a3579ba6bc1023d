// The PCX codec's entry in the front end.

#include "io/pcx/PcxCodec.h"

#include "io/ImageCodec.h"

namespace vellinor {

void RegisterPcxCodec() {
    TIECodec codec;
    codec.FormatId = iofPCX;
    // The front end passes the bytes left in the stream as the data size.
    codec.Read = [](TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                    TIOProgressRec& progress, TIEReadOptions& options) {
        ReadPcxStream(stream, bitmap, params, options.Preview, progress, options.StreamSize);
    };
    codec.Write = WritePcxStream;
    // Content detection of PCX is the front end's own (manufacturer byte and
    // version), so there is no probe.
    codec.WriterTakesOnly24Or1 = true;
    codec.StreamHeaderMagic = "PCX2";
    RegisterCodec(std::move(codec));
}

} // namespace vellinor
