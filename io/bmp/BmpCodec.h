#pragma once
// Windows and OS/2 bitmaps (BMP, DIB, RLE): every header kind (12, 16, 40,
// 52, 56, 64, 108, 124 bytes and longer), 1/2/4/8/16/24/32 bits, bit fields,
// RLE4 and RLE8 both ways.

#include <cstdint>
#include <memory>

namespace vellinor {

class TIEBitmap;
class TIEMask;
class TIOParamsVals;
class TStream;
struct TIOProgressRec;

// Reads a BMP stream at its position. dataSize: the byte size of the BMP data
// when known, else 0 (then the file header's size is used). Preview: the
// parameters only. noFileHeader: the stream starts with the information
// header. alphaMask receives an 8-bit mask for 32-bit files with alpha
// (unless ignoreAlpha) or stays empty.
void ReadBmpStream(TStream& stream, TIEBitmap& bitmap, int64_t dataSize, TIOParamsVals& params,
                   TIOProgressRec& progress, bool preview, bool noFileHeader,
                   std::unique_ptr<TIEMask>& alphaMask, bool ignoreAlpha);

// Writes bitmap (ie1g, ie24RGB, ie8p; other formats through an ie24RGB copy)
// at the stream's position, with the bit count and header chosen by params.
void WriteBmpStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool keepAlpha,
                    TIOProgressRec& progress);

// Registers the BMP codec with the front end (see io/BuiltInCodecs.cpp).
void RegisterBmpCodec();

} // namespace vellinor
