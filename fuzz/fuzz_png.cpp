// The PNG reader on arbitrary bytes, and the writer on what it read. Under
// AddressSanitizer a longjmp of libpng that skipped a destructor shows as a
// leak, an overrun of a row buffer as an error.

#include "fuzz/CodecFuzzing.h"
#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "io/png/PngCodec.h"
#include "platform/Stream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace vellinor;

namespace {

// Longer inputs add nothing but time: what matters is in the first bytes.
constexpr size_t kMaxInput = 64 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size = std::min(size, kMaxInput);
    TIEImageIO io;
    io.LoadBuffer(std::span<const uint8_t>(data, size), iofPNG);
    TIEBitmap& bitmap = *io.IEBitmap();
    if (!WorthRewriting(io.AbortFlag, bitmap)) return 0;
    // The loaded picture written back, with settings picked by the input.
    const uint8_t pick = size > 0 ? data[size - 1] : 0;
    TIOParamsVals& params = io.Params();
    params.PngInterlaced = (pick & 1) != 0;
    params.PngFilter = static_cast<uint8_t>((pick >> 1) % 3);
    params.PngCompression = 1;
    if ((pick & 8) != 0) {
        params.SamplesPerPixel = 1;
        params.BitsPerSample = (pick & 16) != 0 ? 1 : 8;
    }
    TMemoryStream out;
    try {
        io.SaveStreamByFormat(out, iofPNG);
    } catch (const EInvalidGraphic&) {
        __builtin_trap(); // a picture we read must be writable
    }
    if (io.AbortFlag) __builtin_trap();
    io.LoadBuffer(out.Data(), iofPNG);
    if (io.AbortFlag) __builtin_trap();
    return 0;
}
