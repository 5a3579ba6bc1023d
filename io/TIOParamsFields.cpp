#include "io/TIOParamsFields.h"

#include "io/TIOParamsVals.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <limits>
#include <sstream>

namespace vellinor {

namespace {

using TGet = std::function<std::string(const TIOParamsVals&)>;
using TSet = std::function<bool(TIOParamsVals&, const std::string&)>;

struct TField {
    const char* Name;
    TGet Get;
    TSet Set; // empty: read-only
};

bool ParseInt(const std::string& s, int64_t& v) {
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    return ec == std::errc() && p == end;
}

bool ParseDouble(const std::string& s, double& v) {
    std::istringstream in(s);
    in.imbue(std::locale::classic());
    in >> v;
    return !in.fail() && in.eof();
}

bool ParseBool(const std::string& s, bool& v) {
    if (s == "true" || s == "1") {
        v = true;
        return true;
    }
    if (s == "false" || s == "0") {
        v = false;
        return true;
    }
    return false;
}

std::string FormatDouble(double v) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(15);
    out << v;
    return out.str();
}

std::vector<std::string> Split(const std::string& s, char separator) {
    std::vector<std::string> parts;
    if (s.empty()) return parts;
    size_t start = 0;
    for (;;) {
        const size_t end = s.find(separator, start);
        parts.push_back(s.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

template <typename T, typename M>
TField Integer(const char* name, M member) {
    return {name, [member](const TIOParamsVals& p) { return std::to_string(+(p.*member)); },
            [member](TIOParamsVals& p, const std::string& s) {
                int64_t v = 0;
                if (!ParseInt(s, v) || v < std::numeric_limits<T>::min() ||
                    v > std::numeric_limits<T>::max()) {
                    return false;
                }
                p.*member = static_cast<T>(v);
                return true;
            }};
}

template <typename M>
TField Boolean(const char* name, M member) {
    return {name,
            [member](const TIOParamsVals& p) { return std::string(p.*member ? "true" : "false"); },
            [member](TIOParamsVals& p, const std::string& s) { return ParseBool(s, p.*member); }};
}

template <typename M>
TField Real(const char* name, M member) {
    return {name, [member](const TIOParamsVals& p) { return FormatDouble(p.*member); },
            [member](TIOParamsVals& p, const std::string& s) { return ParseDouble(s, p.*member); }};
}

template <typename M>
TField Text(const char* name, M member) {
    return {name, [member](const TIOParamsVals& p) { return std::string(p.*member); },
            [member](TIOParamsVals& p, const std::string& s) {
                p.*member = s;
                return true;
            }};
}

template <typename M>
TField Color(const char* name, M member) {
    return {name,
            [member](const TIOParamsVals& p) {
                const TRGB c = p.*member;
                return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
            },
            [member](TIOParamsVals& p, const std::string& s) {
                const auto parts = Split(s, ',');
                int64_t v[3];
                if (parts.size() != 3) return false;
                for (int i = 0; i < 3; ++i)
                    if (!ParseInt(parts[static_cast<size_t>(i)], v[i]) || v[i] < 0 || v[i] > 255) {
                        return false;
                    }
                p.*member = MakeRGB(static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1]),
                                    static_cast<uint8_t>(v[2]));
                return true;
            }};
}

template <typename M>
TField Strings(const char* name, M member) {
    return {name,
            [member](const TIOParamsVals& p) {
                std::string out;
                for (const std::string& s : p.*member)
                    out += (out.empty() ? "" : "|") + s;
                return out;
            },
            [member](TIOParamsVals& p, const std::string& s) {
                p.*member = Split(s, '|');
                return true;
            }};
}

template <typename M>
TField Numbers(const char* name, M member) {
    return {name,
            [member](const TIOParamsVals& p) {
                std::string out;
                for (const auto v : p.*member)
                    out += (out.empty() ? "" : ",") + FormatDouble(v);
                return out;
            },
            [member](TIOParamsVals& p, const std::string& s) {
                const auto parts = Split(s, ',');
                auto& array = p.*member;
                if (parts.size() != array.size()) return false;
                for (size_t i = 0; i < parts.size(); ++i) {
                    double v = 0;
                    if (!ParseDouble(parts[i], v)) return false;
                    array[i] = static_cast<std::remove_reference_t<decltype(array[i])>>(v);
                }
                return true;
            }};
}

TField Bytes(const char* name, std::function<const std::vector<uint8_t>&(const TIOParamsVals&)> f) {
    return {
        name, [f](const TIOParamsVals& p) { return std::to_string(f(p).size()) + " bytes"; }, {}};
}

TField ReadOnly(const char* name, TGet get) {
    return {name, std::move(get), {}};
}

#define VL_INT(T, F) Integer<T>(#F, &TIOParamsVals::F)
#define VL_BOOL(F) Boolean(#F, &TIOParamsVals::F)
#define VL_REAL(F) Real(#F, &TIOParamsVals::F)
#define VL_TEXT(F) Text(#F, &TIOParamsVals::F)
#define VL_COLOR(F) Color(#F, &TIOParamsVals::F)
#define VL_STRINGS(F) Strings(#F, &TIOParamsVals::F)
#define VL_NUMBERS(F) Numbers(#F, &TIOParamsVals::F)

// A field reached through a getter and setter of the record.
TField Accessor(const char* name, std::function<int64_t(const TIOParamsVals&)> get,
                std::function<void(TIOParamsVals&, int32_t)> set) {
    return {name, [get](const TIOParamsVals& p) { return std::to_string(get(p)); },
            [set](TIOParamsVals& p, const std::string& s) {
                int64_t v = 0;
                if (!ParseInt(s, v) || v < INT32_MIN || v > INT32_MAX) return false;
                set(p, static_cast<int32_t>(v));
                return true;
            }};
}

std::string Routine(bool set) {
    return set ? "set" : "none";
}

const std::vector<TField>& Fields() {
    static const std::vector<TField> fields = {
        // Common group
        VL_TEXT(FileName),
        VL_INT(int32_t, FileFormat),
        VL_INT(int32_t, BitsPerSample),
        VL_INT(int32_t, SamplesPerPixel),
        VL_INT(int32_t, Width),
        VL_INT(int32_t, Height),
        Accessor(
            "ResolutionX", [](const TIOParamsVals& p) { return p.ResolutionX(); },
            [](TIOParamsVals& p, int32_t v) { p.SetResolutionX(v); }),
        Accessor(
            "ResolutionY", [](const TIOParamsVals& p) { return p.ResolutionY(); },
            [](TIOParamsVals& p, int32_t v) { p.SetResolutionY(v); }),
        Accessor(
            "FrameIndex", [](const TIOParamsVals& p) { return p.FrameIndex(); },
            [](TIOParamsVals& p, int32_t v) { p.SetFrameIndex(v); }),
        Accessor(
            "FrameCount", [](const TIOParamsVals& p) { return p.FrameCount(); },
            [](TIOParamsVals& p, int32_t v) { p.SetFrameCount(v); }),
        VL_INT(int32_t, StoredWidth),
        VL_INT(int32_t, StoredHeight),
        ReadOnly("PaletteCount",
                 [](const TIOParamsVals& p) { return std::to_string(p.PaletteCount()); }),
        Accessor(
            "Orientation", [](const TIOParamsVals& p) { return p.Orientation(); },
            [](TIOParamsVals& p, int32_t v) { p.SetOrientation(v); }),
        {"ThumbnailOnly",
         [](const TIOParamsVals& p) { return std::string(p.ThumbnailOnly() ? "true" : "false"); },
         [](TIOParamsVals& p, const std::string& s) {
             bool v = false;
             if (!ParseBool(s, v)) return false;
             p.SetThumbnailOnly(v);
             return true;
         }},
        VL_BOOL(NativeFormat),
        ReadOnly("Markers",
                 [](const TIOParamsVals& p) { return std::to_string(p.Markers.Count()); }),
        ReadOnly("IptcInfo",
                 [](const TIOParamsVals& p) { return std::to_string(p.IptcInfo.Count()); }),
        VL_TEXT(XmpPacket),
        ReadOnly("InputIcc",
                 [](const TIOParamsVals& p) {
                     return p.HasInputIcc() ? "present" : std::string("none");
                 }),
        // EXIF
        VL_BOOL(HasExif),
        ReadOnly("ExifThumbnail",
                 [](const TIOParamsVals& p) {
                     const TIEBitmap* t = p.ExifThumbnail();
                     return t == nullptr
                                ? std::string("none")
                                : std::to_string(t->Width()) + " x " + std::to_string(t->Height());
                 }),
        VL_TEXT(ExifImageDescription),
        VL_TEXT(ExifMake),
        VL_TEXT(ExifModel),
        VL_INT(int32_t, ExifOrientation),
        VL_REAL(ExifResolutionX),
        VL_REAL(ExifResolutionY),
        VL_INT(int32_t, ExifResolutionUnit),
        VL_TEXT(ExifSoftware),
        VL_TEXT(ExifDateTime),
        VL_TEXT(ExifArtist),
        VL_NUMBERS(ExifWhitePoint),
        VL_NUMBERS(ExifPrimaryChromaticities),
        VL_NUMBERS(ExifYCbCrCoefficients),
        VL_INT(int32_t, ExifYCbCrPositioning),
        VL_NUMBERS(ExifReferenceBlackWhite),
        VL_TEXT(ExifCopyright),
        VL_INT(int32_t, ExifRating),
        VL_TEXT(ExifXPTitle),
        VL_TEXT(ExifXPComment),
        VL_TEXT(ExifXPAuthor),
        VL_TEXT(ExifXPKeywords),
        VL_TEXT(ExifXPSubject),
        VL_REAL(ExifExposureTime),
        VL_REAL(ExifFNumber),
        VL_INT(int32_t, ExifExposureProgram),
        VL_NUMBERS(ExifISOSpeedRatings),
        VL_TEXT(ExifExifVersion),
        VL_TEXT(ExifDateTimeOriginal),
        VL_TEXT(ExifDateTimeDigitized),
        VL_REAL(ExifCompressedBitsPerPixel),
        VL_REAL(ExifShutterSpeedValue),
        VL_REAL(ExifApertureValue),
        VL_REAL(ExifBrightnessValue),
        VL_REAL(ExifExposureBiasValue),
        VL_REAL(ExifMaxApertureValue),
        VL_REAL(ExifSubjectDistance),
        VL_INT(int32_t, ExifMeteringMode),
        VL_INT(int32_t, ExifLightSource),
        VL_INT(int32_t, ExifFlash),
        VL_REAL(ExifFocalLength),
        Bytes(
            "ExifMakerNote",
            [](const TIOParamsVals& p) -> const std::vector<uint8_t>& { return p.ExifMakerNote; }),
        VL_TEXT(ExifUserCommentCode),
        VL_TEXT(ExifUserComment),
        VL_TEXT(ExifSubsecTime),
        VL_TEXT(ExifSubsecTimeOriginal),
        VL_TEXT(ExifSubsecTimeDigitized),
        VL_TEXT(ExifFlashPixVersion),
        VL_INT(int32_t, ExifColorSpace),
        VL_INT(int32_t, ExifPixelXDimension),
        VL_INT(int32_t, ExifPixelYDimension),
        VL_TEXT(ExifRelatedSoundFile),
        VL_REAL(ExifFocalPlaneXResolution),
        VL_REAL(ExifFocalPlaneYResolution),
        VL_INT(int32_t, ExifFocalPlaneResolutionUnit),
        VL_REAL(ExifExposureIndex),
        VL_INT(int32_t, ExifSensingMethod),
        VL_INT(int32_t, ExifFileSource),
        VL_INT(int32_t, ExifSceneType),
        VL_INT(int32_t, ExifExposureMode),
        VL_INT(int32_t, ExifWhiteBalance),
        VL_REAL(ExifDigitalZoomRatio),
        VL_INT(int32_t, ExifFocalLengthIn35mmFilm),
        VL_INT(int32_t, ExifSceneCaptureType),
        VL_INT(int32_t, ExifGainControl),
        VL_INT(int32_t, ExifContrast),
        VL_INT(int32_t, ExifSaturation),
        VL_INT(int32_t, ExifSharpness),
        VL_INT(int32_t, ExifSubjectDistanceRange),
        VL_TEXT(ExifImageUniqueID),
        VL_TEXT(ExifGPSVersionID),
        VL_TEXT(ExifGPSLatitudeRef),
        VL_NUMBERS(ExifGPSLatitude),
        VL_TEXT(ExifGPSLongitudeRef),
        VL_NUMBERS(ExifGPSLongitude),
        VL_INT(int32_t, ExifGPSAltitudeRef),
        VL_REAL(ExifGPSAltitude),
        VL_NUMBERS(ExifGPSTimeStamp),
        VL_TEXT(ExifGPSSatellites),
        VL_TEXT(ExifGPSStatus),
        VL_TEXT(ExifGPSMeasureMode),
        VL_REAL(ExifGPSDOP),
        VL_TEXT(ExifGPSSpeedRef),
        VL_REAL(ExifGPSSpeed),
        VL_TEXT(ExifGPSTrackRef),
        VL_REAL(ExifGPSTrack),
        VL_TEXT(ExifGPSImgDirectionRef),
        VL_REAL(ExifGPSImgDirection),
        VL_TEXT(ExifGPSMapDatum),
        VL_TEXT(ExifGPSDestLatitudeRef),
        VL_NUMBERS(ExifGPSDestLatitude),
        VL_TEXT(ExifGPSDestLongitudeRef),
        VL_NUMBERS(ExifGPSDestLongitude),
        VL_TEXT(ExifGPSDestBearingRef),
        VL_REAL(ExifGPSDestBearing),
        VL_TEXT(ExifGPSDestDistanceRef),
        VL_REAL(ExifGPSDestDistance),
        VL_TEXT(ExifGPSDateStamp),
        // JPEG
        VL_INT(int32_t, JpegQuality),
        VL_INT(uint8_t, JpegColorSpace),
        VL_INT(uint8_t, JpegChromaSubsampling),
        VL_INT(uint8_t, JpegDctMethod),
        VL_BOOL(JpegOptimalHuffman),
        VL_INT(int32_t, JpegSmoothing),
        VL_BOOL(JpegProgressive),
        VL_INT(uint8_t, JpegScale),
        VL_INT(int32_t, JpegScaleUsed),
        VL_INT(int32_t, JpegWarnings),
        VL_INT(int32_t, JpegLastMessage),
        VL_BOOL(JpegThumbnailOnly),
        VL_BOOL(JpegAutoOrient),
        // TIFF
        VL_INT(uint8_t, TiffCompression),
        VL_INT(int32_t, TiffFrameIndex),
        VL_INT(int32_t, TiffFrameCount),
        VL_INT(int32_t, TiffSubIndex),
        VL_INT(uint8_t, TiffPhotometric),
        VL_INT(int32_t, TiffPlanarConfig),
        VL_INT(int32_t, TiffXPos),
        VL_INT(int32_t, TiffYPos),
        VL_TEXT(TiffDocumentName),
        VL_TEXT(TiffImageDescription),
        VL_TEXT(TiffPageName),
        VL_INT(int32_t, TiffPageNumber),
        VL_INT(int32_t, TiffPageCount),
        ReadOnly("TiffLzwDecompressor",
                 [](const TIOParamsVals& p) { return Routine(p.TiffLzwDecompressor != nullptr); }),
        ReadOnly("TiffLzwCompressor",
                 [](const TIOParamsVals& p) { return Routine(p.TiffLzwCompressor != nullptr); }),
        VL_BOOL(TiffAutoOrient),
        VL_INT(int32_t, TiffJpegQuality),
        VL_INT(uint8_t, TiffJpegColorSpace),
        VL_INT(int32_t, TiffZipCompression),
        VL_INT(int32_t, TiffFillOrder),
        VL_BOOL(TiffLittleEndian),
        VL_INT(int32_t, TiffTileSize),
        Bytes("ImagingAnnotations",
              [](const TIOParamsVals& p) -> const std::vector<uint8_t>& {
                  return p.ImagingAnnotations;
              }),
        // GIF
        VL_TEXT(GifVersion),
        VL_INT(int32_t, GifFrameIndex),
        VL_INT(int32_t, GifXPos),
        VL_INT(int32_t, GifYPos),
        VL_INT(int32_t, GifDelayTime),
        VL_BOOL(GifTransparent),
        VL_COLOR(GifTransparentColor),
        VL_BOOL(GifInterlaced),
        VL_COLOR(GifBackground),
        VL_INT(int32_t, GifScreenWidth),
        VL_INT(int32_t, GifScreenHeight),
        VL_INT(uint8_t, GifAspect),
        VL_INT(uint8_t, GifDisposal),
        VL_STRINGS(GifComments),
        ReadOnly("GifLzwDecompressor",
                 [](const TIOParamsVals& p) { return Routine(p.GifLzwDecompressor != nullptr); }),
        ReadOnly("GifLzwCompressor",
                 [](const TIOParamsVals& p) { return Routine(p.GifLzwCompressor != nullptr); }),
        // BMP, PCX, PNG, JPEG 2000
        VL_INT(uint8_t, BmpVersion),
        VL_INT(uint8_t, BmpCompression),
        VL_BOOL(BmpKeepAlpha),
        VL_INT(int32_t, PcxVersion),
        VL_INT(uint8_t, PcxCompression),
        VL_BOOL(PngInterlaced),
        VL_COLOR(PngBackground),
        VL_INT(uint8_t, PngFilter),
        VL_INT(int32_t, PngCompression),
        VL_STRINGS(PngTextKeys),
        VL_STRINGS(PngTextValues),
        VL_REAL(J2000Rate),
        VL_INT(uint8_t, J2000ColorSpace),
        VL_INT(uint8_t, J2000ProgressionOrder),
        // Icons, cursors, DICOM
        VL_INT(int32_t, IcoFrameIndex),
        {"IcoSizes",
         [](const TIOParamsVals& p) {
             std::string out;
             for (const auto& s : p.IcoSizes)
                 out += (out.empty() ? "" : ",") + std::to_string(s.Width) + "x" +
                        std::to_string(s.Height);
             return out;
         },
         {}},
        VL_NUMBERS(IcoBitCounts),
        VL_COLOR(IcoBackground),
        VL_INT(int32_t, CurFrameIndex),
        VL_INT(int32_t, CurHotSpotX),
        VL_INT(int32_t, CurHotSpotY),
        VL_COLOR(CurBackground),
        ReadOnly("DicomTags",
                 [](const TIOParamsVals& p) { return std::to_string(p.DicomTags.size()); }),
        // Formats the program does not use
        VL_BOOL(TgaCompressed),
        VL_TEXT(TgaName),
        VL_TEXT(TgaDescription),
        VL_TEXT(TgaAuthor),
        VL_COLOR(TgaBackground),
        VL_STRINGS(PxmComments),
        VL_INT(int32_t, PsPaperWidth),
        VL_INT(int32_t, PsPaperHeight),
        VL_TEXT(PsTitle),
        VL_INT(uint8_t, PsCompression),
        VL_INT(int32_t, PdfPaperWidth),
        VL_INT(int32_t, PdfPaperHeight),
        VL_TEXT(PdfTitle),
        VL_TEXT(PdfAuthor),
        VL_INT(uint8_t, PdfCompression),
        VL_BOOL(RawHalfSize),
        VL_REAL(RawGamma),
        VL_REAL(RawBright),
        VL_BOOL(RawAutoAdjustColors),
        VL_BOOL(RawCameraWhiteBalance),
        VL_BOOL(PsdLoadLayers),
        VL_INT(int32_t, MediaFrameCount),
    };
    return fields;
}

} // namespace

std::vector<std::pair<std::string, std::string>> ListParams(const TIOParamsVals& params) {
    std::vector<std::pair<std::string, std::string>> list;
    for (const TField& field : Fields())
        list.emplace_back(field.Name, field.Get(params));
    return list;
}

bool SetParamByName(TIOParamsVals& params, const std::string& name, const std::string& value) {
    for (const TField& field : Fields())
        if (name == field.Name) return field.Set && field.Set(params, value);
    return false;
}

} // namespace vellinor
