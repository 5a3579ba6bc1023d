#pragma once
// Codecs in tests: replacing the codec of a format for the length of a test
// (a stand-in for a codec not built yet, or one that fails on purpose), and
// the bytes the registered writer of a format gives.

#include "image/TIEBitmap.h"
#include "io/FormatRegistry.h"
#include "io/ImageCodec.h"
#include "io/TIEImageIO.h"
#include "platform/Stream.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace vellinor::testing {

// Replaces the codec of one format and puts the old one back afterwards.
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

// What the registered writer of a format gives for a picture and a record.
inline std::vector<uint8_t> WriterOutput(TIEBitmap& picture, const TIOParamsVals& params,
                                         TIOFormatId format) {
    TIEImageIO io;
    io.IEBitmap()->CopyFrom(picture);
    io.Params().AssignValues(params);
    TMemoryStream stream;
    io.SaveStreamByFormat(stream, format);
    EXPECT_FALSE(io.AbortFlag);
    return stream.Data();
}

} // namespace vellinor::testing
