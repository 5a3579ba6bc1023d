#pragma once
// The LZW coder of GIF image data: variable-length codes of up to 12 bits,
// least significant bit first, packed into data sub-blocks. The front end
// reaches both routines through the parameters record (GifLzwDecompressor,
// GifLzwCompressor), whose defaults are the process-wide slots of
// io/LzwRoutines.h.

#include <cstdint>
#include <span>

namespace vellinor {

class TStream;

// Smallest and largest LZW minimum code size accepted. Above 11 the clear
// code would not fit in 12 bits.
constexpr int kGifMinCodeSizeMin = 2;
constexpr int kGifMinCodeSizeMax = 11;

// Reads the minimum code size byte and every data sub-block at the stream's
// position and decodes them into out (width x height palette indexes, rows
// top to bottom; interlaced data is put back in row order). Pixels beyond out
// are dropped; pixels the data does not reach are 0. On a bad minimum code
// size or a decoding error the stream is put back where it was (the caller
// sees that nothing was read); otherwise it is left after the terminator.
void GifLzwDecompress(TStream& stream, int height, int width, std::span<uint8_t> out,
                      bool interlaced);

// Writes the minimum code size byte (bitsPerPixel, at least 2), the LZW data
// of width x height indexes in 254-byte sub-blocks, and the zero-length
// terminator. Indexes missing from the span count as 0.
void GifLzwCompress(TStream& stream, int height, int width, int bitsPerPixel,
                    std::span<const uint8_t> indexes, bool interlaced);

// Stores the two routines into the default slots (decompressor first).
void InstallGifLzwCoders();

} // namespace vellinor
