#pragma once
// Multi-page PCX (DCX): the dword 0x3ADE68B1, a table of up to 1024 offsets
// of PCX images ended by a 0 dword, then the images. Offsets count from the
// start of the DCX data.

#include <cstdint>

namespace vellinor {

class TIEBitmap;
class TIOParamsVals;
class TStream;
struct TIOProgressRec;

constexpr uint32_t kDcxMagic = 0x3ADE68B1;
constexpr int kDcxMaxPages = 1024;

// The magic is there and every offset of the table lies inside the stream.
// The stream position is restored.
bool IsDcxStream(TStream& stream);

// Reads page FrameIndex (clamped to the pages there are and stored back);
// FrameCount becomes the number of pages.
void ReadDcxStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool preview,
                   TIOProgressRec& progress);

// Rebuilds the whole stream with bitmap as a new page in front of page
// FrameIndex, or after the last page when FrameIndex is the page count or
// more. An empty stream becomes a DCX of one page.
void WriteDcxStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                    TIOProgressRec& progress);

// Registers the DCX codec with the front end (see io/BuiltInCodecs.cpp).
void RegisterDcxCodec();

} // namespace vellinor
