#include "io/PreviewRender.h"

#include "image/TIEBitmap.h"
#include "io/IOViewLink.h"
#include "io/ImageCodec.h"
#include "io/PixelPreparation.h"
#include "io/TIEImageIO.h"
#include "platform/BufferedStream.h"
#include "platform/Stream.h"

#include <memory>

namespace vellinor {

namespace {

// Points an I/O object at one bitmap; the preview needs none of a view's
// refreshes.
class TBitmapLink : public TIEViewLink {
public:
    explicit TBitmapLink(TIEBitmap& bitmap) : fBitmap(bitmap) {}
    TIEBitmap& IOBitmap() override { return fBitmap; }
    void IORefresh() override {}
    void IOSetResolution(int, int) override {}
    TColor IOBackground() const override { return 0; }
    void IOSetBackground(TColor) override {}
    void IOPostMessage(TIEViewMessage, int) override {}

private:
    TIEBitmap& fBitmap;
};

using TProgress = std::function<void(int percent)>;

bool Encode(TIEBitmap& source, const TIOParamsVals& params, TIOFormatId format, TStream& stream,
            const TProgress& progress) {
    const TIECodec* codec = FindCodec(format);
    if (codec == nullptr || !codec->Write) return false;
    // Such a writer would otherwise convert the source itself.
    TIEBitmap converted;
    TIEBitmap* encoded = &source;
    const TIEPixelFormat sourceFormat = source.PixelFormat();
    if (codec->WriterTakesOnly24Or1 && sourceFormat != ie24RGB && sourceFormat != ie1g) {
        converted.CopyFrom(source);
        ConvertForTrueColorWriter(converted);
        encoded = &converted;
    }
    TBitmapLink link(*encoded);
    TIEImageIO io;
    io.SetAttachedView(&link);
    io.Params().AssignValues(params);
    io.OnProgress = [&progress](TIEImageIO&, int percent) { progress(percent); };
    io.SaveStreamByFormat(stream, format);
    return !io.AbortFlag;
}

bool Decode(TStream& stream, TIOFormatId format, TIEBitmap& result, const TProgress& progress) {
    const TIECodec* codec = FindCodec(format);
    if (codec == nullptr || !codec->Read) return false;
    TBitmapLink link(result);
    TIEImageIO io;
    io.SetAttachedView(&link);
    io.OnProgress = [&progress](TIEImageIO&, int percent) { progress(percent); };
    stream.SetPosition(0);
    io.LoadStreamByFormat(stream, format);
    return !io.AbortFlag;
}

void ReduceColors(TIEBitmap& source, int colors, TIEBitmap& result) {
    result.CopyFrom(source);
    if (colors < 2 || colors > 256) return;
    const TIEPixelFormat format = result.PixelFormat();
    if (format != ie24RGB && format != ie1g) result.ConvertTo(ie24RGB);
    if (colors == 2) {
        result.ConvertTo(ie1g);
    } else {
        result.PaletteUsed = colors;
        result.ConvertTo(ie8p);
    }
}

TPreviewOutcome Render(TIEBitmap& source, const TIOParamsVals& params,
                       const TPreviewRequest& request, TIEBitmap& result,
                       const TProgress& progress) {
    TPreviewOutcome outcome;
    if (request.Kind == TPreviewKind::EncodeAndDecode) {
        TMemoryStream encoded;
        if (!Encode(source, params, request.Format, encoded,
                    [&progress](int percent) { progress(percent / 2); }))
            return outcome;
        outcome.CompressedSize = encoded.Size();
        if (!Decode(encoded, request.Format, result,
                    [&progress](int percent) { progress(50 + percent / 2); }))
            return outcome;
    } else {
        TCountingStream counted;
        if (!Encode(source, params, request.Format, counted, progress)) return outcome;
        outcome.CompressedSize = counted.Size();
        ReduceColors(source, request.Colors, result);
    }
    outcome.Succeeded = !result.IsVoid();
    return outcome;
}

} // namespace

TPreviewOutcome RenderPreview(TIEBitmap& source, const TIOParamsVals& params,
                              const TPreviewRequest& request, TIEBitmap& result,
                              const std::function<void(int percent)>& progress) {
    InitializeImageIO();
    const TProgress report = [&progress](int percent) {
        if (progress) progress(percent);
    };
    TPreviewOutcome outcome;
    try {
        outcome = Render(source, params, request, result, report);
    } catch (...) {
        // A codec may throw by design (the JPEG glue, the PNG writer).
        outcome = {};
    }
    if (!outcome.Succeeded) result.Discard();
    return outcome;
}

} // namespace vellinor
