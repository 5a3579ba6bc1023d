#pragma once
// TIOParamsVals: the one parameters record of an I/O object. Readers report
// what they found in a file here, writers take their settings from here, and
// the options dialog edits it before a save. A common group plus one group per
// format; each group is a plain struct whose member initialisers are the
// defaults that SetDefaults writes, so a group is reset by assigning a fresh
// one and copied deeply by plain assignment.
//
// Common fields with side effects are reached through setters:
// SetResolutionX/Y (EXIF copy, attached view), SetFrameIndex / SetFrameCount
// (every per-format copy), SetOrientation (EXIF copy), SetThumbnailOnly (JPEG
// copy).

#include "image/TIEBitmap.h"
#include "io/IOFormats.h"
#include "io/IOMetadata.h"
#include "io/LzwRoutines.h"
#include "platform/Color.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace vellinor {

class TIEImageIO;

constexpr int DefaultResolution = 300;

struct TIOJpegFields {
    int32_t JpegQuality = 80;          // 0..100
    uint8_t JpegColorSpace = 2;        // 0 RGB, 1 GrayScale, 2 YCbCr, 3 CMYK, 4 YCbCrK
    uint8_t JpegChromaSubsampling = 1; // 0 = 2x1, 1 = 2x2, 2 = 1x1
    uint8_t JpegDctMethod = 0;         // 0 ISLOW, 1 IFAST, 2 FLOAT
    bool JpegOptimalHuffman = false;
    int32_t JpegSmoothing = 0; // 0..100
    bool JpegProgressive = false;
    uint8_t JpegScale = 1;     // 0 automatic, 1 full, 2 half, 3 quarter, 4 eighth
    int32_t JpegScaleUsed = 1; // denominator of the last read
    int32_t JpegWarnings = 0;
    int32_t JpegLastMessage = 0;
    bool JpegThumbnailOnly = false; // JPEG copy of ThumbnailOnly
    bool JpegAutoOrient = false;
};

struct TIOTiffFields {
    uint8_t TiffCompression = 0; // 0 none, 1 CCITT 1D, 2 G3 1D, 3 G3 2D, 4 G4, 5 LZW,
                                 // 6 old JPEG, 7 JPEG, 8 PackBits, 9 ZIP, 10 deflate, 11 unknown
    int32_t TiffFrameIndex = 0;
    int32_t TiffFrameCount = 0;
    int32_t TiffSubIndex = -1;
    uint8_t TiffPhotometric = 2; // 0 WHITEISZERO .. 7 CIELAB
    int32_t TiffPlanarConfig = 1;
    int32_t TiffXPos = 0;
    int32_t TiffYPos = 0;
    std::string TiffDocumentName;
    std::string TiffImageDescription;
    std::string TiffPageName;
    int32_t TiffPageNumber = -1;
    int32_t TiffPageCount = -1;
    TTiffLzwDecompressor TiffLzwDecompressor = nullptr;
    TTiffLzwCompressor TiffLzwCompressor = nullptr;
    bool TiffAutoOrient = false;
    int32_t TiffJpegQuality = 80;
    uint8_t TiffJpegColorSpace = 2;
    int32_t TiffZipCompression = 1; // 0 fastest, 1 default, 2 best
    int32_t TiffFillOrder = 1;
    bool TiffLittleEndian = true;
    int32_t TiffTileSize = -1;
    std::vector<uint8_t> ImagingAnnotations; // tag 32932, kept as bytes
};

struct TIOGifFields {
    std::string GifVersion = "GIF89a";
    int32_t GifFrameIndex = 0;
    int32_t GifXPos = 0;
    int32_t GifYPos = 0;
    int32_t GifDelayTime = 0; // hundredths of a second
    bool GifTransparent = false;
    TRGB GifTransparentColor{};
    bool GifInterlaced = false;
    TRGB GifBackground{};
    int32_t GifScreenWidth = 0;
    int32_t GifScreenHeight = 0;
    uint8_t GifAspect = 0;
    uint8_t GifDisposal = 2;
    std::vector<std::string> GifComments;
    TGifLzwDecompressor GifLzwDecompressor = nullptr;
    TGifLzwCompressor GifLzwCompressor = nullptr;
};

struct TIOBmpFields {
    uint8_t BmpVersion =
        1; // 0 other header size, 1 Windows 3 (40), 2 OS/2 1.x (12), 3 OS/2 2.x (64)
    uint8_t BmpCompression = 0; // 0 none, 1 RLE
    bool BmpKeepAlpha = false;
};

struct TIOPcxFields {
    int32_t PcxVersion = 5;
    uint8_t PcxCompression = 1; // 0 none, 1 RLE
};

struct TIOPngFields {
    bool PngInterlaced = false;
    TRGB PngBackground{};
    uint8_t PngFilter = 0; // 0 none, 1 sub, 2 Paeth
    int32_t PngCompression = 5;
    std::vector<std::string> PngTextKeys;
    std::vector<std::string> PngTextValues;
};

struct TIOJ2000Fields {
    double J2000Rate = 1.0;
    uint8_t J2000ColorSpace = 1;       // 0 grey, 1 RGB, 2 YCbCr
    uint8_t J2000ProgressionOrder = 0; // 0 LRCP, 1 RLCP
};

struct TIOIconFields {
    struct TSize {
        int32_t Width = 0;
        int32_t Height = 0;
        friend bool operator==(const TSize&, const TSize&) = default;
    };
    int32_t IcoFrameIndex = 0;
    std::array<TSize, 16> IcoSizes{TSize{64, 64}};
    std::array<int32_t, 16> IcoBitCounts{8};
    TRGB IcoBackground{255, 255, 255};
    int32_t CurFrameIndex = 0;
    int32_t CurHotSpotX = 0;
    int32_t CurHotSpotY = 0;
    TRGB CurBackground{255, 255, 255};
};

struct TIODicomFields {
    TIEDICOMTags DicomTags;
};

// Formats the program neither opens nor saves; their readers are the
// implementer's, their settings live here all the same.
struct TIOOtherFields {
    bool TgaCompressed = true;
    std::string TgaName;
    std::string TgaDescription;
    std::string TgaAuthor;
    TRGB TgaBackground{};
    std::vector<std::string> PxmComments;
    int32_t PsPaperWidth = 595; // points
    int32_t PsPaperHeight = 842;
    std::string PsTitle = "No Title";
    uint8_t PsCompression = 0;
    int32_t PdfPaperWidth = 595;
    int32_t PdfPaperHeight = 842;
    std::string PdfTitle = "No Title";
    std::string PdfAuthor;
    uint8_t PdfCompression = 0;
    bool RawHalfSize = false;
    double RawGamma = 0.6;
    double RawBright = 1.0;
    bool RawAutoAdjustColors = false;
    bool RawCameraWhiteBalance = false;
    bool PsdLoadLayers = false;
    int32_t MediaFrameCount = 0;
};

// The EXIF values (IFD0, EXIF and GPS directories). Strings are UTF-8.
struct TIOExifFields {
    bool HasExif = false;
    // IFD0
    std::string ExifImageDescription;
    std::string ExifMake;
    std::string ExifModel;
    int32_t ExifOrientation = 0;
    double ExifResolutionX = 0;
    double ExifResolutionY = 0;
    int32_t ExifResolutionUnit = 0;
    std::string ExifSoftware;
    std::string ExifDateTime;
    std::string ExifArtist;
    std::array<double, 2> ExifWhitePoint{};
    std::array<double, 6> ExifPrimaryChromaticities{};
    std::array<double, 3> ExifYCbCrCoefficients{};
    int32_t ExifYCbCrPositioning = 0;
    std::array<double, 6> ExifReferenceBlackWhite{};
    std::string ExifCopyright;
    int32_t ExifRating = -1;
    std::string ExifXPTitle;
    std::string ExifXPComment;
    std::string ExifXPAuthor;
    std::string ExifXPKeywords;
    std::string ExifXPSubject;
    // EXIF directory
    double ExifExposureTime = 0;
    double ExifFNumber = 0;
    int32_t ExifExposureProgram = 0;
    std::array<int32_t, 2> ExifISOSpeedRatings{};
    std::string ExifExifVersion;
    std::string ExifDateTimeOriginal;
    std::string ExifDateTimeDigitized;
    double ExifCompressedBitsPerPixel = 0;
    double ExifShutterSpeedValue = 0;
    double ExifApertureValue = 0;
    double ExifBrightnessValue = 0;
    double ExifExposureBiasValue = 0;
    double ExifMaxApertureValue = 0;
    double ExifSubjectDistance = 0;
    int32_t ExifMeteringMode = 0;
    int32_t ExifLightSource = 0;
    int32_t ExifFlash = 0;
    double ExifFocalLength = 0;
    std::vector<uint8_t> ExifMakerNote;
    std::string ExifUserCommentCode; // the 8-character code
    std::string ExifUserComment;
    std::string ExifSubsecTime;
    std::string ExifSubsecTimeOriginal;
    std::string ExifSubsecTimeDigitized;
    std::string ExifFlashPixVersion;
    int32_t ExifColorSpace = 0;
    int32_t ExifPixelXDimension = 0;
    int32_t ExifPixelYDimension = 0;
    std::string ExifRelatedSoundFile;
    double ExifFocalPlaneXResolution = 0;
    double ExifFocalPlaneYResolution = 0;
    int32_t ExifFocalPlaneResolutionUnit = 0;
    double ExifExposureIndex = 0;
    int32_t ExifSensingMethod = 0;
    int32_t ExifFileSource = 0;
    int32_t ExifSceneType = 0;
    // -1 = absent
    int32_t ExifExposureMode = -1;
    int32_t ExifWhiteBalance = -1;
    double ExifDigitalZoomRatio = -1;
    int32_t ExifFocalLengthIn35mmFilm = -1;
    int32_t ExifSceneCaptureType = -1;
    int32_t ExifGainControl = -1;
    int32_t ExifContrast = -1;
    int32_t ExifSaturation = -1;
    int32_t ExifSharpness = -1;
    int32_t ExifSubjectDistanceRange = -1;
    std::string ExifImageUniqueID;
    // GPS directory
    std::string ExifGPSVersionID;
    std::string ExifGPSLatitudeRef;
    std::array<double, 3> ExifGPSLatitude{};
    std::string ExifGPSLongitudeRef;
    std::array<double, 3> ExifGPSLongitude{};
    int32_t ExifGPSAltitudeRef = 0;
    double ExifGPSAltitude = 0;
    std::array<double, 3> ExifGPSTimeStamp{};
    std::string ExifGPSSatellites;
    std::string ExifGPSStatus;
    std::string ExifGPSMeasureMode;
    double ExifGPSDOP = 0;
    std::string ExifGPSSpeedRef;
    double ExifGPSSpeed = 0;
    std::string ExifGPSTrackRef;
    double ExifGPSTrack = 0;
    std::string ExifGPSImgDirectionRef;
    double ExifGPSImgDirection = 0;
    std::string ExifGPSMapDatum;
    std::string ExifGPSDestLatitudeRef;
    std::array<double, 3> ExifGPSDestLatitude{};
    std::string ExifGPSDestLongitudeRef;
    std::array<double, 3> ExifGPSDestLongitude{};
    std::string ExifGPSDestBearingRef;
    double ExifGPSDestBearing = 0;
    std::string ExifGPSDestDistanceRef;
    double ExifGPSDestDistance = 0;
    std::string ExifGPSDateStamp;
};

// The common group without setters.
struct TIOCommonFields {
    std::string FileName; // UTF-8
    TIOFormatId FileFormat = iofUnknown;
    int32_t BitsPerSample = 8;
    int32_t SamplesPerPixel = 3;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t StoredWidth = 0;
    int32_t StoredHeight = 0;
    std::vector<TRGB> Palette; // blue, green, red
    bool NativeFormat = false;
    TIEMarkerList Markers;
    TIEIPTCInfoList IptcInfo;
    std::string XmpPacket;

    int32_t PaletteCount() const { return static_cast<int32_t>(Palette.size()); }
};

class TIOParamsVals : public TIOCommonFields,
                      public TIOExifFields,
                      public TIOJpegFields,
                      public TIOTiffFields,
                      public TIOGifFields,
                      public TIOBmpFields,
                      public TIOPcxFields,
                      public TIOPngFields,
                      public TIOJ2000Fields,
                      public TIOIconFields,
                      public TIODicomFields,
                      public TIOOtherFields {
public:
    explicit TIOParamsVals(TIEImageIO* owner = nullptr);
    ~TIOParamsVals();
    TIOParamsVals(const TIOParamsVals&) = delete;
    TIOParamsVals& operator=(const TIOParamsVals&) = delete;

    // Every default, the palette, lists, profiles and the EXIF group cleared,
    // the four default LZW routines copied.
    void SetDefaults();
    // Clears what describes the last image only (run by every load); the
    // format settings stay.
    void ResetInfo();
    // A deep copy of every field of source (lists, profiles, EXIF thumbnail and
    // palette duplicated). The owner stays.
    void AssignValues(const TIOParamsVals& source);

    int32_t ResolutionX() const { return fResolutionX; }
    int32_t ResolutionY() const { return fResolutionY; }
    // Also stored in ExifResolutionX/Y and passed to the attached view.
    void SetResolutionX(int32_t dpi);
    void SetResolutionY(int32_t dpi);
    void SetResolutionX(double dpi);
    void SetResolutionY(double dpi);

    int32_t FrameIndex() const { return fFrameIndex; }
    int32_t FrameCount() const { return fFrameCount; }
    // Also written into TiffFrameIndex, GifFrameIndex, IcoFrameIndex, CurFrameIndex.
    void SetFrameIndex(int32_t index);
    // Also written into TiffFrameCount.
    void SetFrameCount(int32_t count);

    int32_t Orientation() const { return fOrientation; }
    // Also written into ExifOrientation.
    void SetOrientation(int32_t orientation);

    bool ThumbnailOnly() const { return fThumbnailOnly; }
    // Also written into JpegThumbnailOnly.
    void SetThumbnailOnly(bool value);

    // Profiles, created on first use (the output one as sRGB).
    TIEICC& GetInputIcc();
    TIEICC& GetDefaultInputIcc();
    TIEICC& GetOutputIcc();
    bool HasInputIcc() const { return fInputIcc != nullptr; }
    void FreeInputIcc() { fInputIcc.reset(); }

    // The EXIF thumbnail; null when there is none.
    TIEBitmap* ExifThumbnail() const { return fExifThumbnail.get(); }
    TIEBitmap& GetExifThumbnail();
    void FreeExifThumbnail() { fExifThumbnail.reset(); }

    TIEImageIO* Owner() const { return fOwner; }

private:
    void ClearExif();
    void UpdateViewResolution();

    TIEImageIO* fOwner;
    int32_t fResolutionX = DefaultResolution;
    int32_t fResolutionY = DefaultResolution;
    int32_t fFrameIndex = 0;
    int32_t fFrameCount = 0;
    int32_t fOrientation = 1;
    bool fThumbnailOnly = false;
    std::unique_ptr<TIEICC> fInputIcc;
    std::unique_ptr<TIEICC> fDefaultInputIcc;
    std::unique_ptr<TIEICC> fOutputIcc;
    std::unique_ptr<TIEBitmap> fExifThumbnail;
};

} // namespace vellinor
