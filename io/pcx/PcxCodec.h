#pragma once
// PaintBrush files (PCX): a 128-byte header, then run-length encoded or raw
// scan lines split into colour planes, and for 8-bit pictures a 256-colour
// palette at the end. Read: 1 bit (ie1g), 4 bits, 1 bit in 4 planes, 8 bits
// through the palette, 8 bits in 3 planes; written: 1, 4, 8 and 24 bits.

#include <cstdint>

namespace vellinor {

class TIEBitmap;
class TIOParamsVals;
class TStream;
struct TIOProgressRec;

// Reads a PCX image at the stream's position. dataSize: bytes of the PCX
// data from the header on (the trailing palette is its last 768 bytes).
// Preview: the parameters only.
void ReadPcxStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool preview,
                   TIOProgressRec& progress, int64_t dataSize);

// Writes bitmap at the stream's position with the depth BitsPerSample x
// SamplesPerPixel (1, 4, 8 or 24 bits) and PcxCompression. Only writes
// forward, so any stream that counts or stores bytes will do.
void WritePcxStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                    TIOProgressRec& progress);

// Registers the PCX codec with the front end (see io/BuiltInCodecs.cpp).
void RegisterPcxCodec();

} // namespace vellinor
