// The one list of built-in codecs. A new codec adds its Register...Codec()
// call here (and nothing anywhere else in io/): a static library drops
// objects nothing refers to, so codecs cannot register themselves.

#include "io/ImageCodec.h"
#include "io/bmp/BmpCodec.h"
#include "io/pcx/DcxCodec.h"
#include "io/pcx/PcxCodec.h"
#include "io/jp2/J2kCodec.h"
#include "io/gif/GifCodec.h"
#include "io/jpeg/JpegCodec.h"
#include "io/png/PngCodec.h"

namespace vellinor {

void RegisterBuiltInCodecs() {
    RegisterBmpCodec();
    RegisterPcxCodec();
    RegisterDcxCodec();
    RegisterJ2kCodecs();
    RegisterGifCodec();
    RegisterPngCodec();
    RegisterJpegCodec();
}

} // namespace vellinor
