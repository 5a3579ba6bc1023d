// libFuzzer target: the PCX and DCX readers through the front end (full
// reads and parameters-only reads, a DCX page chosen by the input's length),
// then the PCX writer on what was read.

#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "platform/BufferedStream.h"
#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace vellinor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    for (const TIOFormatId format : {iofPCX, iofDCX}) {
        TIEImageIO io;
        io.Params().SetFrameIndex(static_cast<int32_t>(size % 5) - 1);
        io.LoadBuffer(bytes, format);
        TIEBitmap& bitmap = *io.IEBitmap();
        if (!io.AbortFlag && !bitmap.IsVoid() &&
            static_cast<int64_t>(bitmap.Width()) * bitmap.Height() <= 250'000) {
            // Whatever was read can be written, at the depth the file had.
            io.Params().PcxCompression = static_cast<uint8_t>(size & 1);
            TCountingStream sink;
            io.SaveStreamByFormat(sink, iofPCX);
        }
        TSpanStream stream(bytes);
        io.ReadStreamParamsByFormat(stream, format);
    }
    return 0;
}
