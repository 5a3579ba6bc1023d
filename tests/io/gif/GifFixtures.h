#pragma once
// Builders of GIF bytes for the tests: whole files from a description, and
// LZW code streams written code by code.

#include "platform/Color.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellinor::testing {

struct TGifControl {
    int Delay = 0;
    bool Transparent = false;
    uint8_t TransparentIndex = 0;
    int Disposal = 0;
};

struct TGifImage {
    int Left = 0;
    int Top = 0;
    int Width = 1;
    int Height = 1;
    std::vector<TRGB> LocalTable; // empty: none
    std::vector<uint8_t> Indexes; // width x height, rows top to bottom
    bool Interlaced = false;
    int Bits = 8; // LZW minimum code size
    std::optional<TGifControl> Control;
};

struct TGifFile {
    int ScreenWidth = 1;
    int ScreenHeight = 1;
    std::vector<TRGB> GlobalTable; // empty: none; size a power of two, 2 ... 256
    uint8_t Background = 0;
    std::vector<TGifImage> Images;
    std::vector<std::string> CommentsBeforeImages;
    bool Trailer = true;
};

std::vector<uint8_t> BuildGif(const TGifFile& file);

// Codes packed as the decoder expects them: the code size follows the table
// exactly as the decoder grows it.
class TLzwCodeBuilder {
public:
    explicit TLzwCodeBuilder(int minCodeSize);
    int ClearCode() const { return 1 << fMinCodeSize; }
    int EndCode() const { return ClearCode() + 1; }
    int NextFree() const { return fNextFree; }
    void Clear();
    void Code(int code);
    void End() { Code(EndCode()); }
    // Minimum code size byte, sub-blocks, terminator.
    std::vector<uint8_t> Bytes() const;

private:
    void Put(int code);

    int fMinCodeSize;
    int fCodeBits;
    int fNextFree;
    bool fAfterClear = true;
    std::vector<uint8_t> fData;
    uint32_t fBits = 0;
    int fBitCount = 0;
};

// Wraps data bytes into sub-blocks of up to 255 bytes plus the terminator.
std::vector<uint8_t> SubBlocks(const std::vector<uint8_t>& data);

TRGB Rgb(uint8_t r, uint8_t g, uint8_t b);

} // namespace vellinor::testing
