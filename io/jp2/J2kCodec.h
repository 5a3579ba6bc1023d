#pragma once
// JPEG 2000 through OpenJPEG: JP2 files (".jp2") and raw code streams
// (".j2k", ".jpc", ".j2c"), read into ie24RGB (ie1g for 1-bit grey) and
// written from ie24RGB or ie1g.

#include <cstdint>

namespace vellinor {

class TIEBitmap;
class TIOParamsVals;
class TStream;
struct TIOProgressRec;

// Reads a JP2 file or a code stream (told apart by content) at the stream's
// position. Grey, RGB and YCbCr pictures; components of any precision are
// reduced to 8 bits, subsampled ones stretched to the full size; an opacity
// component becomes the alpha plane. Resolution is always DefaultResolution.
// Preview: the parameters only. On failure the abort flag is raised and the
// bitmap is left as it was.
void ReadJ2kStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool preview,
                   TIOProgressRec& progress);

enum TJ2kFormatIndex : int { j2kJp2File = 0, j2kCodeStream = 1 };

// Writes bitmap (ie24RGB or ie1g; other formats through an ie24RGB copy) at
// the stream's position: formatIndex 0 a JP2 file, 1 a bare code stream,
// with J2000Rate, J2000ColorSpace, J2000ProgressionOrder and BitsPerSample
// (8 to 16 bits per component; ie1g writes one component of 1 bit and sets
// BitsPerSample 1 and J2000ColorSpace 0 in params). Failures of the encoder
// or the stream raise the abort flag.
void WriteJ2kStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, int formatIndex,
                    TIOProgressRec& progress);

// The first 12 bytes are the JP2 signature box (12, "jP  ", 0x0D0A870A).
// The stream position is restored.
bool IsJp2Stream(TStream& stream);
// The stream starts with the SOC and SIZ markers (0xFF4F, 0xFF51). The
// stream position is restored.
bool IsJ2kStream(TStream& stream);

// Registers JP2 (iofJP2) and the code stream (iofJ2K) with the front end
// (see io/BuiltInCodecs.cpp).
void RegisterJ2kCodecs();

} // namespace vellinor
