// The GIF reader on arbitrary bytes through the front end (mask and alpha
// plane included): the first image, the second, and the parameters alone.

#include "io/TIEImageIO.h"
#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vellinor;
    static TIEImageIO io;
    const std::span<const uint8_t> bytes(data, size);
    for (int frame : {0, 1}) {
        io.Params().GifFrameIndex = frame;
        io.LoadBuffer(bytes, iofGIF);
    }
    TSpanStream stream(bytes);
    io.ReadStreamParamsByFormat(stream, iofGIF);
    return 0;
}
