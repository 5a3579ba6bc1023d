#pragma once
// Portable Network Graphics through libpng: every colour type and bit depth
// in, RGB, RGB + alpha, palette (through the quantizer), grey and 1-bit grey out.

#include "io/png/InvalidGraphic.h"

namespace vellinor {

class TIEBitmap;
class TIEMask;
class TIOParamsVals;
class TStream;
struct TIOProgressRec;

// Reads a PNG at the stream's position into bitmap (ie24RGB, ie1g; with
// NativeFormat also ie8p, ie8g, ie16g) and the PNG and common fields of
// params; an alpha channel or tRNS chunk becomes the bitmap's alpha plane.
// Preview: the parameters only. Failure raises the abort flag; nothing is
// thrown.
void ReadPngStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool preview,
                   TIOProgressRec& progress);

// Writes bitmap at the stream's position with the PNG settings of params and
// its BitsPerSample / SamplesPerPixel. alphaMask (8 bits, 255 opaque) adds
// transparency when it is not entirely opaque. libpng's errors raise
// EInvalidGraphic ("Error on creating PNG"); a stream that takes fewer bytes
// raises the abort flag.
void WritePngStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                    const TIEMask* alphaMask, TIOProgressRec& progress);

// Reads 8 bytes: true when the first 4 are those of the PNG signature. The
// stream is moved back by 8 bytes.
bool IsPngStream(TStream& stream);

// Registers the PNG codec with the front end (see io/BuiltInCodecs.cpp).
void RegisterPngCodec();

} // namespace vellinor
