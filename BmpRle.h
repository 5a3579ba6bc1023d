#pragma once
// The BMP run-length codes. Decoding writes through a callback per pixel run
// so that one decoder serves index rows and colour rows; every position is
// checked against the picture before it is written.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vellinor {

struct TIOProgressRec;

// Called with (file row, first column, indexes) for pixels inside the
// picture; the run never passes the right edge.
using TRleSink = std::function<void(int fileRow, int x, std::span<const uint8_t> indexes)>;

// Decodes RLE8 (nibbles = false) or RLE4 data of a width x height picture,
// file row 0 first. Stops at the end-of-bitmap escape, at the end of the
// data, below the last row, or when the abort flag is raised (polled at each
// end of line, where progress is reported).
void DecodeBmpRle(std::span<const uint8_t> data, int width, int height, bool nibbles,
                  const TRleSink& sink, TIOProgressRec& progress);

// One row of indexes (one per byte) encoded and ended by the end-of-line
// escape (0, 0), appended to out.
void EncodeRle8Row(std::span<const uint8_t> indexes, std::vector<uint8_t>& out);
void EncodeRle4Row(std::span<const uint8_t> indexes, std::vector<uint8_t>& out);

} // namespace vellinor
