#pragma once
// The PCX line coder. A plane line is bytes-per-line bytes; with RLE a byte
// of 192 or more gives a count (its low 6 bits) for the byte after it, any
// other byte stands for itself. Runs may continue into the next line.

#include <cstdint>
#include <span>
#include <vector>

namespace vellinor {

// Decodes plane lines one after the other from one data buffer, carrying an
// unfinished run from one line into the next.
class TPcxLineDecoder {
public:
    TPcxLineDecoder(std::span<const uint8_t> data, bool rle) : fData(data), fRle(rle) {}

    // Fills line. When the data ends first, the rest of the line is 0 and the
    // result is false.
    bool DecodePcxLine(std::span<uint8_t> line);

    bool Exhausted() const { return fPosition >= fData.size() && fPendingCount == 0; }

private:
    bool DecodeRle(std::span<uint8_t> line);
    bool CopyRaw(std::span<uint8_t> line);

    std::span<const uint8_t> fData;
    bool fRle;
    size_t fPosition = 0;
    int fPendingCount = 0;
    uint8_t fPendingValue = 0;
};

// Appends the RLE code of count samples (sample k at first + k x stride) to
// out: runs of up to 63 equal samples, and any value of 192 or more, as a
// count byte and the value; other single values as themselves. An odd count
// is followed by one 0 byte, which fills the even line length.
void EncodePcxLine(std::span<const uint8_t> samples, int count, int stride, int first,
                   std::vector<uint8_t>& out);

} // namespace vellinor
