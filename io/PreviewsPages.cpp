#include "io/PreviewsPages.h"

#include "io/TIOParamsVals.h"

#include <algorithm>
#include <cmath>

namespace vellinor {

namespace {

// One row of a colour list: what it stores and what the preview reduces to.
struct TColorRow {
    const char* Caption;
    int Bits;
    int Samples;
    int Colors; // 0 = true colour
};

constexpr TColorRow kTiffColors[] = {
    {"2", 1, 1, 2}, {"16", 4, 1, 16}, {"256", 8, 1, 256}, {"16777216", 8, 3, 0}};
constexpr TColorRow kBmpColors[] = {{"B/W", 1, 1, 2},
                                    {"16", 4, 1, 16},
                                    {"256", 8, 1, 256},
                                    {"16M", 8, 3, 0},
                                    {"16M (32bit)", 8, 3, 0}};
constexpr TColorRow kPcxColors[] = {
    {"B/W", 1, 1, 2}, {"16", 4, 1, 16}, {"256", 8, 1, 256}, {"16M", 8, 3, 0}};
constexpr TColorRow kPngColors[] = {{"B/W", 1, 1, 2}, {"256", 8, 1, 256}, {"16M", 8, 3, 0}};
// GIF: row i stores BitsPerSample i + 1 and keeps SamplesPerPixel.
constexpr const char* kGifColors[] = {"B/W", "4", "8", "16", "32", "64", "128", "256"};
constexpr int kGifRows = 8;

struct TCompressionRow {
    const char* Caption;
    uint8_t Code;
};
constexpr TCompressionRow kNoneOrRle[] = {{"UNCOMPRESSED", 0}, {"RLE", 1}};
constexpr TCompressionRow kTiffCompressions[] = {
    {"UNCOMPRESSED", 0}, {"CCITT1D", 1}, {"G3FAX1D", 2},  {"G3FAX2D", 3}, {"G4FAX", 4},
    {"LZW", 5},          {"JPEG", 7},    {"PACKBITS", 8}, {"ZIP", 9},
};
constexpr uint8_t kTiffLzw = 5;
constexpr uint8_t kTiffJpeg = 7;
constexpr uint8_t kTiffPackBits = 8;
constexpr uint8_t kTiffZip = 9;
constexpr uint8_t kTiffDeflate = 10;

constexpr int kQualityDefault = 50;
constexpr int kRateScale = 1000;

bool IsCcitt(uint8_t code) {
    return code >= 1 && code <= 4;
}

template <size_t N>
std::vector<std::string> Captions(const TColorRow (&rows)[N]) {
    std::vector<std::string> captions;
    for (const TColorRow& row : rows)
        captions.emplace_back(row.Caption);
    return captions;
}

template <size_t N>
const TColorRow& RowAt(const TColorRow (&rows)[N], int row) {
    return rows[std::clamp(row, 0, static_cast<int>(N) - 1)];
}

TPreviewsField ListField(TPreviewsFieldId id, const char* caption, std::vector<std::string> items) {
    TPreviewsField field;
    field.Id = id;
    field.Caption = caption;
    field.Items = std::move(items);
    field.Max = static_cast<int>(field.Items.size()) - 1;
    return field;
}

TPreviewsField NumberField(TPreviewsFieldId id, const char* caption, int max, int fallback) {
    TPreviewsField field;
    field.Id = id;
    field.Caption = caption;
    field.Max = max;
    field.DefaultNumber = fallback;
    return field;
}

template <typename Rows>
TPreviewsField CompressionField(const Rows& rows, bool withLzw) {
    TPreviewsField field = ListField(pfCompression, "&Compression:", {});
    for (const TCompressionRow& row : rows) {
        if (row.Code == kTiffLzw && !withLzw) continue;
        field.Items.emplace_back(row.Caption);
        field.Codes.push_back(row.Code);
    }
    field.Max = static_cast<int>(field.Items.size()) - 1;
    return field;
}

TPreviewsField ColorsField(std::vector<std::string> items) {
    return ListField(pfColors, "C&olors:", std::move(items));
}

// Colour rows shown for (BitsPerSample, SamplesPerPixel). A combination no
// row names (16-bit grey, CMYK, ...) shows the row nearest to it: 256 colours
// for one sample, true colour otherwise.
int TiffColorRow(int bits, int samples) {
    if (samples == 1) {
        if (bits == 1) return 0;
        if (bits >= 2 && bits <= 4) return 1;
        return 2;
    }
    return 3;
}

int BmpColorRow(int bits, int samples) {
    if (samples == 1) {
        if (bits == 1) return 0;
        if (bits == 4) return 1;
        return 2;
    }
    return 3;
}

int PcxColorRow(int bits, int samples) {
    return BmpColorRow(bits, samples);
}

int PngColorRow(int bits, int samples) {
    if (samples == 1) return bits == 1 ? 0 : 1;
    return 2;
}

int GifColorRow(int bits) {
    return std::clamp(bits - 1, 0, kGifRows - 1);
}

int CompressionRow(const TPreviewsField& list, int code) {
    const auto it = std::find(list.Codes.begin(), list.Codes.end(), code);
    return it == list.Codes.end() ? -1 : static_cast<int>(it - list.Codes.begin());
}

// Codes without a row of their own show the nearest one: LZW without a
// compressor as PACKBITS, deflate as ZIP, old-style JPEG (never written) and
// unknown codes as no compression.
int TiffCompressionRow(const TPreviewsField& list, uint8_t code) {
    int row = CompressionRow(list, code);
    if (row < 0 && code == kTiffLzw) row = CompressionRow(list, kTiffPackBits);
    if (row < 0 && code == kTiffDeflate) row = CompressionRow(list, kTiffZip);
    return std::max(row, 0);
}

int CodeOfRow(const TPreviewsField& list, int row) {
    return list.Codes[static_cast<size_t>(std::clamp(row, 0, list.Max))];
}

template <size_t N>
void WriteColorRow(const TColorRow (&rows)[N], int row, TIOParamsVals& record) {
    const TColorRow& chosen = RowAt(rows, row);
    record.BitsPerSample = chosen.Bits;
    record.SamplesPerPixel = chosen.Samples;
}

void CopyColorFields(const TIOParamsVals& from, TIOParamsVals& to) {
    to.BitsPerSample = from.BitsPerSample;
    to.SamplesPerPixel = from.SamplesPerPixel;
}

} // namespace

const TPreviewsField* TPreviewsPageInfo::Field(TPreviewsFieldId id) const {
    for (const TPreviewsField& field : Fields)
        if (field.Id == id) return &field;
    return nullptr;
}

std::vector<TPreviewsPageInfo> BuildPreviewsPages(bool tiffLzwInstalled) {
    std::vector<TPreviewsPageInfo> pages(kPreviewsPageCount);
    auto page = [&](TPreviewsPage id, const char* caption, TIOPreviewsPages bit,
                    TIOFormatId fileFormat, TIOFormatId encodeFormat, TPreviewKind kind,
                    std::vector<TPreviewsField> fields) {
        TPreviewsPageInfo& info = pages[static_cast<size_t>(id)];
        info.Page = id;
        info.Caption = caption;
        info.Bit = bit;
        info.FileFormat = fileFormat;
        info.EncodeFormat = encodeFormat;
        info.Kind = kind;
        info.Fields = std::move(fields);
    };
    page(TPreviewsPage::Jpeg, "JPEG", ppgJpeg, iofJPEG, iofJPEG, TPreviewKind::EncodeAndDecode,
         {NumberField(pfQuality, "&Quality:", 100, kQualityDefault)});
    page(TPreviewsPage::Tiff, "TIFF", ppgTiff, iofTIFF, iofTIFF, TPreviewKind::ReduceColors,
         {CompressionField(kTiffCompressions, tiffLzwInstalled),
          ColorsField(Captions(kTiffColors))});
    page(TPreviewsPage::Gif, "GIF", ppgGif, iofGIF, iofGIF, TPreviewKind::ReduceColors,
         {ListField(pfColors, "&Colors:", {std::begin(kGifColors), std::end(kGifColors)})});
    page(TPreviewsPage::Bmp, "BMP", ppgBmp, iofBMP, iofBMP, TPreviewKind::ReduceColors,
         {CompressionField(kNoneOrRle, false), ColorsField(Captions(kBmpColors))});
    page(TPreviewsPage::Pcx, "PCX", ppgPcx, iofPCX, iofPCX, TPreviewKind::ReduceColors,
         {CompressionField(kNoneOrRle, false), ColorsField(Captions(kPcxColors))});
    page(TPreviewsPage::Png, "PNG", ppgPng, iofPNG, iofPNG, TPreviewKind::ReduceColors,
         {ColorsField(Captions(kPngColors))});
    // "OK" on this page names the code stream format; the preview writes a
    // JP2 file, as the save dialog's row does.
    page(TPreviewsPage::Jpeg2000, "JPEG2000", ppgJpeg2000, iofJ2K, iofJP2,
         TPreviewKind::EncodeAndDecode, {NumberField(pfRate, "&Rate:", kRateScale, 0)});
    return pages;
}

TPreviewsPageValues PageValuesFromRecord(const TPreviewsPageInfo& page,
                                         const TIOParamsVals& record) {
    TPreviewsPageValues values;
    values.TiffPhotometric = record.TiffPhotometric;
    const int bits = record.BitsPerSample;
    const int samples = record.SamplesPerPixel;
    switch (page.Page) {
    case TPreviewsPage::Jpeg:
        values[pfQuality] = std::clamp(record.JpegQuality, 0, 100);
        break;
    case TPreviewsPage::Tiff: {
        values[pfCompression] =
            TiffCompressionRow(*page.Field(pfCompression), record.TiffCompression);
        values[pfColors] = TiffColorRow(bits, samples);
        if (IsCcitt(record.TiffCompression)) values[pfColors] = 0;
        if (record.TiffCompression == kTiffJpeg) values[pfColors] = 3;
        break;
    }
    case TPreviewsPage::Gif:
        values[pfColors] = GifColorRow(bits);
        break;
    case TPreviewsPage::Bmp:
        values[pfCompression] =
            std::max(CompressionRow(*page.Field(pfCompression), record.BmpCompression), 0);
        values[pfColors] = BmpColorRow(bits, samples);
        break;
    case TPreviewsPage::Pcx:
        values[pfCompression] =
            std::max(CompressionRow(*page.Field(pfCompression), record.PcxCompression), 0);
        values[pfColors] = PcxColorRow(bits, samples);
        break;
    case TPreviewsPage::Png:
        values[pfColors] = PngColorRow(bits, samples);
        break;
    case TPreviewsPage::Jpeg2000: {
        const double rate = std::isfinite(record.J2000Rate) ? record.J2000Rate : 0;
        values[pfRate] = static_cast<int>(
            std::clamp(std::nearbyint(rate * kRateScale), 0.0, static_cast<double>(kRateScale)));
        break;
    }
    }
    return values;
}

void WritePageValues(const TPreviewsPageInfo& page, const TPreviewsPageValues& values,
                     TIOParamsVals& record) {
    switch (page.Page) {
    case TPreviewsPage::Jpeg:
        record.JpegQuality = values[pfQuality];
        break;
    case TPreviewsPage::Tiff: {
        record.TiffCompression =
            static_cast<uint8_t>(CodeOfRow(*page.Field(pfCompression), values[pfCompression]));
        record.TiffPhotometric = values.TiffPhotometric;
        WriteColorRow(kTiffColors, values[pfColors], record);
        break;
    }
    case TPreviewsPage::Gif:
        record.BitsPerSample = std::clamp(values[pfColors], 0, kGifRows - 1) + 1;
        break;
    case TPreviewsPage::Bmp:
        record.BmpCompression =
            static_cast<uint8_t>(CodeOfRow(*page.Field(pfCompression), values[pfCompression]));
        WriteColorRow(kBmpColors, values[pfColors], record);
        break;
    case TPreviewsPage::Pcx:
        record.PcxCompression =
            static_cast<uint8_t>(CodeOfRow(*page.Field(pfCompression), values[pfCompression]));
        WriteColorRow(kPcxColors, values[pfColors], record);
        break;
    case TPreviewsPage::Png:
        WriteColorRow(kPngColors, values[pfColors], record);
        break;
    case TPreviewsPage::Jpeg2000:
        record.J2000Rate = values[pfRate] / static_cast<double>(kRateScale);
        break;
    }
}

void CopyPageFormatFields(const TPreviewsPageInfo& page, const TIOParamsVals& from,
                          TIOParamsVals& to) {
    switch (page.Page) {
    case TPreviewsPage::Jpeg:
        static_cast<TIOJpegFields&>(to) = from;
        break;
    case TPreviewsPage::Tiff:
        static_cast<TIOTiffFields&>(to) = from;
        CopyColorFields(from, to);
        break;
    case TPreviewsPage::Gif:
        static_cast<TIOGifFields&>(to) = from;
        to.BitsPerSample = from.BitsPerSample;
        break;
    case TPreviewsPage::Bmp:
        static_cast<TIOBmpFields&>(to) = from;
        CopyColorFields(from, to);
        break;
    case TPreviewsPage::Pcx:
        static_cast<TIOPcxFields&>(to) = from;
        CopyColorFields(from, to);
        break;
    case TPreviewsPage::Png:
        static_cast<TIOPngFields&>(to) = from;
        CopyColorFields(from, to);
        break;
    case TPreviewsPage::Jpeg2000:
        static_cast<TIOJ2000Fields&>(to) = from;
        break;
    }
}

void ApplyPageTies(const TPreviewsPageInfo& page, TPreviewsPageValues& values,
                   TPreviewsFieldId changed) {
    if (page.Page != TPreviewsPage::Tiff) return;
    constexpr int kTwoColors = 0;
    constexpr int kSixteenColors = 1;
    constexpr int kTrueColor = 3;
    constexpr uint8_t kBlackIsZero = 1;
    constexpr uint8_t kYCbCr = 6;
    const TPreviewsField& compression = *page.Field(pfCompression);
    const int code = CodeOfRow(compression, values[pfCompression]);
    const int uncompressed = CompressionRow(compression, 0);
    if (changed == pfCompression) {
        if (IsCcitt(static_cast<uint8_t>(code))) {
            values[pfColors] = kTwoColors;
            values.TiffPhotometric = kBlackIsZero;
        } else if (code == kTiffJpeg) {
            values[pfColors] = kTrueColor;
            values.TiffPhotometric = kYCbCr;
        }
    } else if (changed == pfColors) {
        const int colors = values[pfColors];
        if (colors != kTwoColors && (code == 0 || IsCcitt(static_cast<uint8_t>(code))))
            values[pfCompression] = uncompressed;
        if ((colors == kTwoColors || colors == kSixteenColors) && code == kTiffJpeg)
            values[pfCompression] = uncompressed;
    }
}

int PreviewColorCount(const TPreviewsPageInfo& page, const TPreviewsPageValues& values) {
    const int row = values[pfColors];
    switch (page.Page) {
    case TPreviewsPage::Tiff:
        return RowAt(kTiffColors, row).Colors;
    case TPreviewsPage::Gif:
        return 1 << (std::clamp(row, 0, kGifRows - 1) + 1);
    case TPreviewsPage::Bmp:
        return RowAt(kBmpColors, row).Colors;
    case TPreviewsPage::Pcx:
        return RowAt(kPcxColors, row).Colors;
    case TPreviewsPage::Png:
        return RowAt(kPngColors, row).Colors;
    case TPreviewsPage::Jpeg:
    case TPreviewsPage::Jpeg2000:
        break;
    }
    return 0;
}

} // namespace vellinor
