#pragma once
// Owners of OpenJPEG's codec and image objects, and codecs made with their
// messages discarded (a codec shows nothing; failure is the abort flag).

#include <memory>
#include <openjpeg.h>

namespace vellinor {

struct TJ2kCodecDeleter {
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct TJ2kImageDeleter {
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};

using TJ2kCodecPtr = std::unique_ptr<opj_codec_t, TJ2kCodecDeleter>;
using TJ2kImagePtr = std::unique_ptr<opj_image_t, TJ2kImageDeleter>;

// Null when OpenJPEG refuses (out of memory).
TJ2kCodecPtr CreateJ2kDecoder(OPJ_CODEC_FORMAT format);
TJ2kCodecPtr CreateJ2kEncoder(OPJ_CODEC_FORMAT format);

} // namespace vellinor
