// libFuzzer target: the BMP reader through the front end (natively and
// expanded, with alpha kept), then the writer on what was read.

#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "platform/Stream.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace vellinor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    for (bool native : {false, true}) {
        TIEImageIO io;
        io.SetNativePixelFormat(native);
        io.Params().BmpKeepAlpha = true;
        io.LoadBuffer(bytes, iofBMP);
        TIEBitmap& bitmap = *io.IEBitmap();
        if (io.AbortFlag || bitmap.IsVoid()) continue;
        if (static_cast<int64_t>(bitmap.Width()) * bitmap.Height() > 1'000'000) continue;
        // Whatever was read can be written, in the format the file suggested.
        io.Params().BmpCompression = static_cast<uint8_t>(size & 1);
        TMemoryStream out;
        io.SaveStreamByFormat(out, iofBMP);
    }
    TIEImageIO params;
    params.ReadStreamParamsByFormat(*std::make_unique<TSpanStream>(bytes), iofBMP);
    return 0;
}
