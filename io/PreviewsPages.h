#pragma once
// The short pages of the save options dialog: their captions, their controls
// with the value lists, and the mapping between what a page shows (a row of a
// list, a number) and the fields of the parameters record. No toolkit here:
// the dialog's model and its Qt form both read this table.

#include "io/IOFormats.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vellinor {

class TIOParamsVals;

// In the order of their page bits.
enum class TPreviewsPage : uint8_t { Jpeg, Tiff, Gif, Bmp, Pcx, Png, Jpeg2000 };
inline constexpr int kPreviewsPageCount = 7;

enum TPreviewsFieldId : uint8_t { pfQuality, pfCompression, pfColors, pfRate };
inline constexpr int kPreviewsFieldCount = 4;

// One control of a page: a list (Items not empty, the value is the row) or a
// number edit with a track bar (Min .. Max).
struct TPreviewsField {
    TPreviewsFieldId Id = pfQuality;
    std::string Caption;
    std::vector<std::string> Items;
    // For a compression list: the code each row stores.
    std::vector<int> Codes;
    int Min = 0;
    int Max = 0;
    // A number typed that does not convert counts as this.
    int DefaultNumber = 0;

    bool IsList() const { return !Items.empty(); }
};

// How a page's preview is made.
enum class TPreviewKind : uint8_t {
    EncodeAndDecode, // the result is the decoded encoding
    ReduceColors,    // the result is the source reduced to the page's colours
};

struct TPreviewsPageInfo {
    TPreviewsPage Page = TPreviewsPage::Jpeg;
    std::string Caption;
    TIOPreviewsPages Bit = 0;
    TIOFormatId FileFormat = iofUnknown;   // what "OK" stores in FileFormat
    TIOFormatId EncodeFormat = iofUnknown; // the writer the preview runs
    TPreviewKind Kind = TPreviewKind::ReduceColors;
    std::vector<TPreviewsField> Fields;

    const TPreviewsField* Field(TPreviewsFieldId id) const;
};

// What a page shows: one value per field id (rows for lists), plus the TIFF
// photometric value that the compression list decides.
struct TPreviewsPageValues {
    std::array<int, kPreviewsFieldCount> Value{};
    uint8_t TiffPhotometric = 2;

    int& operator[](TPreviewsFieldId id) { return Value[id]; }
    int operator[](TPreviewsFieldId id) const { return Value[id]; }
    friend bool operator==(const TPreviewsPageValues&, const TPreviewsPageValues&) = default;
};

// The seven pages; the TIFF compression list holds "LZW" only when a TIFF
// LZW compressor is installed.
std::vector<TPreviewsPageInfo> BuildPreviewsPages(bool tiffLzwInstalled);

// The values a page shows for a record.
TPreviewsPageValues PageValuesFromRecord(const TPreviewsPageInfo& page,
                                         const TIOParamsVals& record);

// Writes the fields that a page's values stand for into a record.
void WritePageValues(const TPreviewsPageInfo& page, const TPreviewsPageValues& values,
                     TIOParamsVals& record);

// Copies every field of the page's format (its group, and the colour fields
// of the common group when the page has a colour list) from one record to
// another.
void CopyPageFormatFields(const TPreviewsPageInfo& page, const TIOParamsVals& from,
                          TIOParamsVals& to);

// The ties between a page's lists after the user changed one field (TIFF:
// a CCITT compression selects 2 colours and BLACKISZERO, JPEG true colour and
// YCBCR; more than 2 colours undo no or CCITT compression, 2 or 16 colours
// undo JPEG). Other pages have none.
void ApplyPageTies(const TPreviewsPageInfo& page, TPreviewsPageValues& values,
                   TPreviewsFieldId changed);

// The colours the preview reduces to: 2 (black and white), up to 256 (a
// palette), or 0 (true colour, no reduction).
int PreviewColorCount(const TPreviewsPageInfo& page, const TPreviewsPageValues& values);

} // namespace vellinor
