// The JPEG reader on arbitrary bytes (metadata segments included), and the
// writer on what it read. Under AddressSanitizer a longjmp of libjpeg that
// skipped a destructor shows as a leak.

#include "fuzz/CodecFuzzing.h"
#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "io/jpeg/JpegCodec.h"
#include "platform/Stream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace vellinor;

namespace {

// Longer inputs add nothing but time: what matters is in the first bytes.
constexpr size_t kMaxInput = 32 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size = std::min(size, kMaxInput);
    TIEImageIO io;
    const uint8_t pick = size > 0 ? data[size - 1] : 0;
    io.Params().JpegScale = static_cast<uint8_t>(pick % 5);
    io.SetNativePixelFormat((pick & 8) != 0);
    io.LoadBuffer(std::span<const uint8_t>(data, size), iofJPEG);
    TIEBitmap& bitmap = *io.IEBitmap();
    if (!WorthRewriting(io.AbortFlag, bitmap)) return 0;
    // The loaded picture and its segments written back.
    TIOParamsVals& params = io.Params();
    params.JpegProgressive = (pick & 16) != 0;
    params.JpegOptimalHuffman = (pick & 32) != 0;
    TMemoryStream out;
    try {
        io.SaveStreamByFormat(out, iofJPEG);
    } catch (const EIEJpegException&) {
        __builtin_trap(); // a picture we read must be writable
    }
    if (io.AbortFlag) __builtin_trap();
    io.LoadBuffer(out.Data(), iofJPEG);
    if (io.AbortFlag) __builtin_trap();
    return 0;
}
