#include "io/TIOParamsVals.h"

#include "io/FormatRegistry.h"
#include "io/TIEImageIO.h"

#include <cmath>

namespace vellinor {

TGifLzwDecompressor DefaultGifLzwDecompressor = nullptr;
TGifLzwCompressor DefaultGifLzwCompressor = nullptr;
TTiffLzwDecompressor DefaultTiffLzwDecompressor = nullptr;
TTiffLzwCompressor DefaultTiffLzwCompressor = nullptr;

TIOParamsVals::TIOParamsVals(TIEImageIO* owner) : fOwner(owner) {
    SetDefaults();
}

TIOParamsVals::~TIOParamsVals() = default;

void TIOParamsVals::SetDefaults() {
    InitializeImageIO(); // the codecs install the default LZW routines
    static_cast<TIOCommonFields&>(*this) = TIOCommonFields{};
    static_cast<TIOJpegFields&>(*this) = TIOJpegFields{};
    static_cast<TIOTiffFields&>(*this) = TIOTiffFields{};
    static_cast<TIOGifFields&>(*this) = TIOGifFields{};
    static_cast<TIOBmpFields&>(*this) = TIOBmpFields{};
    static_cast<TIOPcxFields&>(*this) = TIOPcxFields{};
    static_cast<TIOPngFields&>(*this) = TIOPngFields{};
    static_cast<TIOJ2000Fields&>(*this) = TIOJ2000Fields{};
    static_cast<TIOIconFields&>(*this) = TIOIconFields{};
    static_cast<TIODicomFields&>(*this) = TIODicomFields{};
    static_cast<TIOOtherFields&>(*this) = TIOOtherFields{};
    ClearExif();
    if (fOwner != nullptr) {
        int width = 0, height = 0;
        if (fOwner->VclFaceSize(width, height)) {
            Width = width;
            Height = height;
        }
    }
    fFrameIndex = 0;
    fFrameCount = 0;
    fOrientation = 1;
    fThumbnailOnly = false;
    fInputIcc.reset();
    fDefaultInputIcc.reset();
    fOutputIcc.reset();
    // Directly: a new record tells the view nothing.
    fResolutionX = DefaultResolution;
    fResolutionY = DefaultResolution;
    GifLzwDecompressor = DefaultGifLzwDecompressor;
    GifLzwCompressor = DefaultGifLzwCompressor;
    TiffLzwDecompressor = DefaultTiffLzwDecompressor;
    TiffLzwCompressor = DefaultTiffLzwCompressor;
}

void TIOParamsVals::ClearExif() {
    static_cast<TIOExifFields&>(*this) = TIOExifFields{};
    fExifThumbnail.reset();
}

void TIOParamsVals::ResetInfo() {
    IptcInfo.ClearUnchanged();
    ImagingAnnotations.clear();
    Markers.Clear();
    ClearExif();
    GifComments.clear();
    DicomTags.clear();
    PngTextKeys.clear();
    PngTextValues.clear();
    PxmComments.clear();
    TiffDocumentName.clear();
    TiffImageDescription.clear();
    TiffPageName.clear();
    TgaName.clear();
    TgaDescription.clear();
    XmpPacket.clear();
    fInputIcc.reset();
}

namespace {

template <typename T>
std::unique_ptr<T> Duplicate(const std::unique_ptr<T>& p) {
    return p ? std::make_unique<T>(*p) : nullptr;
}

} // namespace

void TIOParamsVals::AssignValues(const TIOParamsVals& source) {
    if (&source == this) return;
    static_cast<TIOCommonFields&>(*this) = source;
    static_cast<TIOExifFields&>(*this) = source;
    static_cast<TIOJpegFields&>(*this) = source;
    static_cast<TIOTiffFields&>(*this) = source;
    static_cast<TIOGifFields&>(*this) = source;
    static_cast<TIOBmpFields&>(*this) = source;
    static_cast<TIOPcxFields&>(*this) = source;
    static_cast<TIOPngFields&>(*this) = source;
    static_cast<TIOJ2000Fields&>(*this) = source;
    static_cast<TIOIconFields&>(*this) = source;
    static_cast<TIODicomFields&>(*this) = source;
    static_cast<TIOOtherFields&>(*this) = source;
    fResolutionX = source.fResolutionX;
    fResolutionY = source.fResolutionY;
    fFrameIndex = source.fFrameIndex;
    fFrameCount = source.fFrameCount;
    fOrientation = source.fOrientation;
    fThumbnailOnly = source.fThumbnailOnly;
    fInputIcc = Duplicate(source.fInputIcc);
    fDefaultInputIcc = Duplicate(source.fDefaultInputIcc);
    fOutputIcc = Duplicate(source.fOutputIcc);
    fExifThumbnail.reset();
    if (source.fExifThumbnail) {
        fExifThumbnail = std::make_unique<TIEBitmap>();
        fExifThumbnail->CopyFrom(*source.fExifThumbnail);
    }
}

void TIOParamsVals::SetResolutionX(int32_t dpi) {
    fResolutionX = dpi;
    ExifResolutionX = dpi;
    UpdateViewResolution();
}

void TIOParamsVals::SetResolutionY(int32_t dpi) {
    fResolutionY = dpi;
    ExifResolutionY = dpi;
    UpdateViewResolution();
}

void TIOParamsVals::SetResolutionX(double dpi) {
    fResolutionX = std::isfinite(dpi) ? static_cast<int32_t>(std::trunc(dpi)) : 0;
    ExifResolutionX = dpi;
    UpdateViewResolution();
}

void TIOParamsVals::SetResolutionY(double dpi) {
    fResolutionY = std::isfinite(dpi) ? static_cast<int32_t>(std::trunc(dpi)) : 0;
    ExifResolutionY = dpi;
    UpdateViewResolution();
}

void TIOParamsVals::UpdateViewResolution() {
    if (fOwner != nullptr) fOwner->UpdateViewResolution(fResolutionX, fResolutionY);
}

void TIOParamsVals::SetFrameIndex(int32_t index) {
    fFrameIndex = index;
    TiffFrameIndex = index;
    GifFrameIndex = index;
    IcoFrameIndex = index;
    CurFrameIndex = index;
}

void TIOParamsVals::SetFrameCount(int32_t count) {
    fFrameCount = count;
    TiffFrameCount = count;
    MediaFrameCount = count;
}

void TIOParamsVals::SetOrientation(int32_t orientation) {
    fOrientation = orientation;
    ExifOrientation = orientation;
}

void TIOParamsVals::SetThumbnailOnly(bool value) {
    fThumbnailOnly = value;
    JpegThumbnailOnly = value;
}

TIEICC& TIOParamsVals::GetInputIcc() {
    if (!fInputIcc) fInputIcc = std::make_unique<TIEICC>();
    return *fInputIcc;
}

TIEICC& TIOParamsVals::GetDefaultInputIcc() {
    if (!fDefaultInputIcc) fDefaultInputIcc = std::make_unique<TIEICC>();
    return *fDefaultInputIcc;
}

TIEICC& TIOParamsVals::GetOutputIcc() {
    if (!fOutputIcc) {
        fOutputIcc = std::make_unique<TIEICC>();
        fOutputIcc->IsSRGB = true;
    }
    return *fOutputIcc;
}

TIEBitmap& TIOParamsVals::GetExifThumbnail() {
    if (!fExifThumbnail) fExifThumbnail = std::make_unique<TIEBitmap>();
    return *fExifThumbnail;
}

} // namespace vellinor
