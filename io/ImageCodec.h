#pragma once
// How a built-in codec plugs into the I/O front end: one TIECodec per format
// id, registered by the codec's own Register...Codec() function, which
// RegisterBuiltInCodecs() (io/BuiltInCodecs.cpp) calls from its one explicit
// list. Adding a codec = one folder io/<codec>/ plus one line in that list.
//
// The front end's per-format skeletons (TIEImageIO) do the common work around
// a codec: the abort flag and progress record, ResetInfo, opening the file
// (read through an 8192-byte TBufferedReadStream), dropping the target's alpha
// plane before a read and turning a returned AlphaMask into the alpha plane
// after it, resolution defaults, FileName/FileFormat, the view's refresh, the
// conversion to ie24RGB for writers that take only ie24RGB or ie1g, the stream
// headers, and the temporary file of a save.
//
// Codec routines follow the calling convention of TIOProgressRec.h: start at
// the stream's current position, fail by progress.Abort() and return, never
// throw (the JPEG glue's EIEJpegException and the PNG writer's
// EInvalidGraphic excepted), and size every allocation with io/IOGuards.h.

#include "io/IOFormats.h"
#include "platform/Color.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vellinor {

class TIEBitmap;
class TIEMask;
class TIOParamsVals;
class TStream;
struct TIOProgressRec;

// What the front end tells a reader beyond the common arguments, and what a
// reader hands back.
struct TIEReadOptions {
    // Parameters only (ReadFileParams...): no pixels, bitmap untouched.
    bool Preview = false;
    // Bytes from the start position to the end of the stream.
    int64_t StreamSize = 0;
    // The file being read, when the front end opened one (empty for streams).
    std::string FileName;
    // The I/O object's background colour (metafile rendering).
    TColor Background = 0;
    // Out: an 8-bit mask (255 = opaque) that becomes the bitmap's alpha plane.
    std::unique_ptr<TIEMask> AlphaMask;
};

using TIEReadProc = std::function<void(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                                       TIOProgressRec& progress, TIEReadOptions& options)>;
using TIEWriteProc = std::function<void(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                                        TIOProgressRec& progress)>;
// A content test; the caller restores the stream position afterwards.
using TIEProbeProc = std::function<bool(TStream& stream)>;

struct TIECodec {
    TIOFormatId FormatId = iofUnknown;
    TIEReadProc Read;   // empty: the format cannot be read
    TIEWriteProc Write; // empty: the format cannot be written
    TIEProbeProc Probe; // content detection; empty answers false
    // Content that this test accepts is not this format although Probe
    // accepts it (TIFF: the camera-raw test).
    TIEProbeProc Reject;
    // The front end converts other pixel formats to ie24RGB before Write.
    bool WriterTakesOnly24Or1 = false;
    // After a load the attached view is told the resolution.
    bool UpdatesViewResolution = true;
    // Four magic bytes of the 12-byte stream header ("JFIF", "TIFF", "PCX2"),
    // written and checked around stream saves and loads with StreamHeaders.
    const char* StreamHeaderMagic = nullptr;
};

// Replaces any codec of the same format id.
void RegisterCodec(TIECodec codec);
// The codec of a format id, or null (a format whose codec is not built yet).
const TIECodec* FindCodec(TIOFormatId id);
// Every built-in codec, once per process (the registry calls it on first use).
void RegisterBuiltInCodecs();

} // namespace vellinor
