#include "io/jp2/J2kDecoder.h"

namespace vellinor {

TJ2kDecoder::TJ2kDecoder(TStream& stream, TJ2kContainer container)
    : fStream(stream, TJ2kStreamAdapter::TDirection::Read),
      fCodec(CreateJ2kDecoder(container == TJ2kContainer::Jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K)) {
    if (!fCodec) return;
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(fCodec.get(), &parameters) ||
        !opj_decoder_set_strict_mode(fCodec.get(), OPJ_FALSE)) {
        fCodec.reset();
        return;
    }
    // Overrides OPJ_NUM_THREADS: the decode runs on the calling thread.
    opj_codec_set_threads(fCodec.get(), 0);
}

const opj_image_t* TJ2kDecoder::ReadHeader() {
    if (fHeaderRead) return fImage.get();
    fHeaderRead = true;
    if (!fCodec || fStream.Handle() == nullptr) return nullptr;
    opj_image_t* image = nullptr;
    const bool ok = opj_read_header(fStream.Handle(), fCodec.get(), &image);
    fImage.reset(image);
    if (!ok || fStream.Failed()) fImage.reset();
    return fImage.get();
}

const opj_image_t* TJ2kDecoder::Decode() {
    if (ReadHeader() == nullptr) return nullptr;
    if (!opj_decode(fCodec.get(), fStream.Handle(), fImage.get()) || fStream.Failed()) {
        fImage.reset();
        return nullptr;
    }
    // What follows the code stream (boxes after it, a missing end marker)
    // does not spoil a picture already decoded.
    opj_end_decompress(fCodec.get(), fStream.Handle());
    return fImage.get();
}

} // namespace vellinor
