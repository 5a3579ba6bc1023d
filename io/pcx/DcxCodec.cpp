// The DCX codec's entry in the front end.

#include "io/pcx/DcxCodec.h"

#include "io/ImageCodec.h"

namespace vellinor {

void RegisterDcxCodec() {
    TIECodec codec;
    codec.FormatId = iofDCX;
    codec.Read = [](TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                    TIOProgressRec& progress, TIEReadOptions& options) {
        ReadDcxStream(stream, bitmap, params, options.Preview, progress);
    };
    codec.Write = WriteDcxStream;
    codec.Probe = IsDcxStream;
    RegisterCodec(std::move(codec));
}

} // namespace vellinor
