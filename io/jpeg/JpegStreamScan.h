#pragma once
// Finding a JPEG datastream in a stream, and its length.

#include <cstdint>

namespace vellinor {

class TStream;

// The absolute position of the first bytes 0xFF 0xD8 0xFF at one of the 150
// positions from the current one, or -1. The position is restored.
int64_t FindJpegStart(TStream& stream);

// Bytes from the current position to just after the end-of-image marker (or
// to the end of the stream), skipping segments by their length. The position
// is restored.
int64_t JpegStreamLength(TStream& stream);

} // namespace vellinor
