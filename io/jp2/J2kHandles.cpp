#include "io/jp2/J2kHandles.h"

namespace vellinor {

namespace {

void DiscardMessage(const char*, void*) {}

TJ2kCodecPtr Prepared(opj_codec_t* codec) {
    TJ2kCodecPtr owned(codec);
    if (!owned) return owned;
    opj_set_info_handler(codec, DiscardMessage, nullptr);
    opj_set_warning_handler(codec, DiscardMessage, nullptr);
    opj_set_error_handler(codec, DiscardMessage, nullptr);
    return owned;
}

} // namespace

TJ2kCodecPtr CreateJ2kDecoder(OPJ_CODEC_FORMAT format) {
    return Prepared(opj_create_decompress(format));
}

TJ2kCodecPtr CreateJ2kEncoder(OPJ_CODEC_FORMAT format) {
    return Prepared(opj_create_compress(format));
}

} // namespace vellinor
