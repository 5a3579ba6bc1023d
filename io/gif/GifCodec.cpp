// The GIF codec's entry in the front end, and the default LZW routines.

#include "io/gif/GifCodec.h"

#include "image/TIEMask.h"
#include "io/ImageCodec.h"
#include "io/LzwRoutines.h"
#include "io/TIOParamsVals.h"
#include "io/gif/GifLzw.h"
#include "platform/Stream.h"

namespace vellinor {

namespace {

void ReadGif(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress,
             TIEReadOptions& options) {
    // A parameters-only read makes no mask.
    int frameCount = 0;
    ReadGifStream(stream, bitmap, frameCount, params, progress, options.Preview, options.AlphaMask,
                  options.Preview);
}

bool IsGif(TStream& stream) {
    uint8_t signature[3] = {};
    return stream.ReadExact(signature, 3) && signature[0] == 'G' && signature[1] == 'I' &&
           signature[2] == 'F';
}

} // namespace

void InstallGifLzwCoders() {
    DefaultGifLzwDecompressor = GifLzwDecompress;
    DefaultGifLzwCompressor = GifLzwCompress;
}

void RegisterGifCodec() {
    InstallGifLzwCoders();
    TIECodec codec;
    codec.FormatId = iofGIF;
    codec.Read = ReadGif;
    codec.Write = WriteGifStream;
    codec.Probe = IsGif;
    RegisterCodec(std::move(codec));
}

} // namespace vellinor
