// Decoding GIF LZW data. Every table entry is a string that already stands in
// the output (the previous code's string plus one byte), so an entry is kept
// as the position and length of that earlier occurrence and a code is decoded
// by copying it, without walking prefix chains.

#include "io/gif/GifInterlace.h"
#include "io/gif/GifLzw.h"
#include "io/gif/GifSubBlocks.h"
#include "platform/Stream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace vellinor {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;
// Zero bytes after the data, so that a code is read with one 64-bit load.
constexpr size_t kReadSlack = 8;

// Codes read least significant bit first from the collected sub-block data.
class TCodeReader {
public:
    explicit TCodeReader(std::vector<uint8_t>& data)
        : fData(data.data()), fTotalBits(static_cast<uint64_t>(data.size() - kReadSlack) * 8) {}

    // False at the end of the data (a code cut short by it is not read).
    bool Next(int bits, int& code) {
        if (fBit + static_cast<uint64_t>(bits) > fTotalBits) return false;
        uint64_t word;
        std::memcpy(&word, fData + (fBit >> 3), sizeof word);
        code = static_cast<int>((word >> (fBit & 7)) & ((1u << bits) - 1));
        fBit += static_cast<uint64_t>(bits);
        return true;
    }
    // Whole bytes left after the byte holding the last code read.
    bool BytesRemain() const { return (fBit + 7) / 8 < fTotalBits / 8; }

private:
    const uint8_t* fData;
    uint64_t fTotalBits;
    uint64_t fBit = 0;
};

// The decoded pixels in storage order. Output beyond the buffer is dropped,
// but positions keep counting so that the table stays consistent.
class TLzwDecoder {
public:
    TLzwDecoder(int minCodeSize, std::span<uint8_t> out)
        : fMinCodeSize(minCodeSize), fClear(1 << minCodeSize), fOut(out) {}

    // False on a code the data may not hold at that point.
    bool Decode(TCodeReader& codes);
    // Pixels written.
    size_t Written() const { return std::min<uint64_t>(fPosition, fOut.size()); }

private:
    void Reset() {
        fCodeBits = fMinCodeSize + 1;
        fNextFree = fClear + 2;
        fAfterClear = true;
    }
    void PutByte(uint8_t value) {
        if (fPosition < fOut.size()) fOut[fPosition] = value;
        ++fPosition;
    }
    // Copies length bytes from an earlier place of the output to the end.
    void PutCopy(uint64_t from, uint64_t length) {
        if (fPosition < fOut.size()) {
            const uint64_t room = fOut.size() - fPosition;
            std::memcpy(fOut.data() + fPosition, fOut.data() + from,
                        static_cast<size_t>(std::min(length, room)));
        }
        fPosition += length;
    }

    int fMinCodeSize;
    int fClear;
    std::span<uint8_t> fOut;
    uint64_t fPosition = 0;
    int fCodeBits = 0;
    int fNextFree = 0;
    bool fAfterClear = true;
    uint64_t fStart[kTableSize] = {};
    uint32_t fLength[kTableSize] = {};
};

bool TLzwDecoder::Decode(TCodeReader& codes) {
    const int endCode = fClear + 1;
    // Data that does not begin with a clear code starts as if it did.
    Reset();
    uint64_t previousStart = 0, previousLength = 0;
    int code = 0;
    while (codes.Next(fCodeBits, code)) {
        if (code == fClear) {
            Reset();
            continue;
        }
        if (code == endCode) return !(fAfterClear && codes.BytesRemain());
        const uint64_t start = fPosition;
        if (fAfterClear) {
            // A literal; a code beyond the empty table counts as 0.
            PutByte(static_cast<uint8_t>(code < fClear ? code : 0));
            fAfterClear = false;
            previousStart = start;
            previousLength = 1;
            continue;
        }
        if (fNextFree >= kTableSize || code > fNextFree) return false;
        uint64_t length = 0;
        if (code < fClear) {
            PutByte(static_cast<uint8_t>(code));
            length = 1;
        } else if (code < fNextFree) {
            length = fLength[code];
            PutCopy(fStart[code], length);
        } else {
            // The entry being defined: the previous string and its first byte.
            PutCopy(previousStart, previousLength);
            PutCopy(previousStart, 1);
            length = previousLength + 1;
        }
        // The new entry: the previous string followed by this one's first
        // byte, which is where the previous string stands in the output.
        fStart[fNextFree] = previousStart;
        fLength[fNextFree] = static_cast<uint32_t>(previousLength + 1);
        ++fNextFree;
        if (fNextFree == (1 << fCodeBits) && fCodeBits < kMaxCodeBits) ++fCodeBits;
        previousStart = start;
        previousLength = length;
    }
    return true;
}

// Moves the rows of an interlaced image from storage order to image order,
// one cycle of the permutation at a time.
void Deinterlace(std::span<uint8_t> pixels, int width, int height) {
    if (width <= 0 || height <= 1) return;
    const std::vector<int> order = GifStoredRowOrder(height, true);
    // stored row s holds image row order[s]; image row y must receive it.
    std::vector<bool> done(static_cast<size_t>(height), false);
    std::vector<uint8_t> carried(static_cast<size_t>(width)), swap(static_cast<size_t>(width));
    auto row = [&](int r) { return pixels.data() + static_cast<size_t>(r) * width; };
    for (int s = 0; s < height; ++s) {
        if (done[static_cast<size_t>(s)] || order[static_cast<size_t>(s)] == s) continue;
        std::memcpy(carried.data(), row(s), carried.size());
        int from = s;
        while (!done[static_cast<size_t>(from)]) {
            done[static_cast<size_t>(from)] = true;
            const int target = order[static_cast<size_t>(from)];
            std::memcpy(swap.data(), row(target), swap.size());
            std::memcpy(row(target), carried.data(), carried.size());
            carried.swap(swap);
            from = target;
        }
    }
}

} // namespace

void GifLzwDecompress(TStream& stream, int height, int width, std::span<uint8_t> out,
                      bool interlaced) {
    const int64_t start = stream.Position();
    uint8_t minCodeSize = 0;
    if (!stream.ReadExact(&minCodeSize, 1) || minCodeSize < kGifMinCodeSizeMin ||
        minCodeSize > kGifMinCodeSizeMax) {
        stream.Seek(start, TSeekOrigin::soBeginning);
        return;
    }
    const uint64_t pixels =
        width > 0 && height > 0 ? static_cast<uint64_t>(width) * static_cast<uint64_t>(height) : 0;
    const std::span<uint8_t> image =
        out.first(static_cast<size_t>(std::min<uint64_t>(pixels, out.size())));
    std::vector<uint8_t> data;
    ReadGifSubBlocks(stream, data);
    if (data.empty()) {
        std::fill(image.begin(), image.end(), 0);
        return;
    }
    data.resize(data.size() + kReadSlack, 0);
    TCodeReader codes(data);
    auto decoder = std::make_unique<TLzwDecoder>(minCodeSize, image);
    if (!decoder->Decode(codes)) {
        stream.Seek(start, TSeekOrigin::soBeginning);
        return;
    }
    // Pixels the data did not reach.
    std::fill(image.begin() + static_cast<std::ptrdiff_t>(decoder->Written()), image.end(), 0);
    if (interlaced && image.size() == pixels) Deinterlace(image, width, height);
}

} // namespace vellinor
