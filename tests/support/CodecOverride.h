#pragma once
// Replaces the codec of one format for the length of a test (a stand-in for
// a codec not built yet, or one that fails on purpose), and puts the old one
// back afterwards.

#include "io/FormatRegistry.h"
#include "io/ImageCodec.h"

#include <optional>

namespace vellinor::testing {

class TCodecOverride {
public:
    TCodecOverride(TIOFormatId id, TIECodec codec) : fId(id) {
        InitializeImageIO();
        if (const TIECodec* old = FindCodec(id)) fSaved = *old;
        codec.FormatId = id;
        RegisterCodec(std::move(codec));
    }
    ~TCodecOverride() {
        TIECodec restored;
        if (fSaved) restored = *fSaved;
        restored.FormatId = fId;
        RegisterCodec(std::move(restored));
    }
    TCodecOverride(const TCodecOverride&) = delete;
    TCodecOverride& operator=(const TCodecOverride&) = delete;

private:
    TIOFormatId fId;
    std::optional<TIECodec> fSaved;
};

// The registered codec of a format, or an empty one.
inline TIECodec CodecOf(TIOFormatId id) {
    InitializeImageIO();
    const TIECodec* codec = FindCodec(id);
    return codec != nullptr ? *codec : TIECodec{};
}

} // namespace vellinor::testing
