#pragma once
// One decode through OpenJPEG: the stream adapter, the codec and the image
// it fills, owned together. Lenient about streams cut short (what is there is
// decoded), single-threaded.

#include "io/jp2/J2kHandles.h"
#include "io/jp2/J2kHeader.h"
#include "io/jp2/J2kStreamAdapter.h"

namespace vellinor {

class TStream;

class TJ2kDecoder {
public:
    // The stream stands at the start of the JP2 file or code stream.
    TJ2kDecoder(TStream& stream, TJ2kContainer container);

    // The main header (and the JP2 boxes before it): the image with its
    // components' sizes and precisions but no samples. Null on failure.
    const opj_image_t* ReadHeader();
    // Every component whole. Null on failure.
    const opj_image_t* Decode();

private:
    TJ2kStreamAdapter fStream;
    TJ2kCodecPtr fCodec;
    TJ2kImagePtr fImage;
    bool fHeaderRead = false;
};

} // namespace vellinor
