#pragma once
// The routine types of the GIF and TIFF LZW coders and the four process-wide
// default slots. Every new parameters record copies the slots (SetDefaults);
// the GIF and TIFF codecs fill them when they register (RegisterBuiltInCodecs).

#include <cstdint>
#include <span>

namespace vellinor {

class TStream;

// Reads the minimum code size byte and the data sub-blocks at the stream's
// position into out (width x height indexes, rows top to bottom). On a
// decoding error the stream is put back where it was.
using TGifLzwDecompressor = void (*)(TStream& stream, int height, int width, std::span<uint8_t> out,
                                     bool interlaced);
// Writes the minimum code size byte, the data sub-blocks and the terminator.
using TGifLzwCompressor = void (*)(TStream& stream, int height, int width, int bitsPerPixel,
                                   std::span<const uint8_t> indexes, bool interlaced);

// Per-strip coder states, defined by the TIFF codec.
struct TTiffLzwDecoderState;
struct TTiffLzwEncoderState;

// First call (state null) creates the state for data (the whole strip); each
// call returns the next rowLength decoded bytes, or null after an error. A
// call with empty data frees the state and returns null.
using TTiffLzwDecompressor = const uint8_t* (*)(std::span<const uint8_t> data, int rowLength,
                                                TTiffLzwDecoderState*& state, int fillOrder);
// First call (state null) creates the state and writes the clear code; each
// call encodes data; a call with empty data ends the strip and frees the state.
using TTiffLzwCompressor = void (*)(std::span<const uint8_t> data, TStream& stream,
                                    TTiffLzwEncoderState*& state);

extern TGifLzwDecompressor DefaultGifLzwDecompressor;
extern TGifLzwCompressor DefaultGifLzwCompressor;
extern TTiffLzwDecompressor DefaultTiffLzwDecompressor;
extern TTiffLzwCompressor DefaultTiffLzwCompressor;

} // namespace vellinor
