#pragma once
// The device-independent bitmap of the platform: what an ieTBitmap container
// wraps and what the drawing layer draws on. Rows are stored bottom-up with
// 32-bit alignment, like a DIB; ScanLine(0) is the top row.

#include "platform/Color.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vellinor {

class TCanvas;

class TPlatformBitmap {
public:
    TPlatformBitmap();
    // bitCount: 1, 4, 8, 15, 16 (5-6-5), 24 or 32.
    TPlatformBitmap(int width, int height, int bitCount);
    ~TPlatformBitmap();
    TPlatformBitmap(const TPlatformBitmap&) = delete;
    TPlatformBitmap& operator=(const TPlatformBitmap&) = delete;

    // Deep copy of size, depth, colour table and pixels.
    bool Assign(const TPlatformBitmap& source);

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    int BitCount() const { return fBitCount; }
    int RowBytes() const { return fRowBytes; }
    bool Empty() const { return fWidth == 0 || fHeight == 0; }

    // New size; the top-left part of the old content stays, new pixels are 0.
    // False (and nothing changed) when the size is invalid or memory is short.
    bool SetSize(int width, int height);
    // New bit depth; the pixels are converted through their colours (indexed
    // targets take the nearest entry of their colour table).
    bool SetBitCount(int bitCount);

    uint8_t* ScanLine(int y) { return fPixels.data() + RowOffset(y); }
    const uint8_t* ScanLine(int y) const { return fPixels.data() + RowOffset(y); }
    // The lowest address: the bottom row.
    uint8_t* Bits() { return fPixels.data(); }

    // 2, 16 or 256 entries for 1, 4 and 8 bits; empty for the other depths.
    const std::vector<TRGB>& ColorTable() const { return fColorTable; }
    void SetColorTable(std::span<const TRGB> colors);
    void SetColorTableEntry(int index, TRGB color);
    // True for an 8-bit table whose entry i is (i, i, i).
    bool HasGrayRampTable() const;
    // True for a 1-bit table of black then white.
    bool IsMonochrome() const;
    int NearestColorIndex(TRGB color) const;

    TRGB GetPixelRGB(int x, int y) const;
    void SetPixelRGB(int x, int y, TRGB color);

    // Changes whenever size, depth or colour table change, so that wrappers
    // know when to re-read them.
    uint64_t Generation() const { return fGeneration; }

    bool Modified = false;

    // The drawing surface on this bitmap, made on first use.
    TCanvas& Canvas();

    static int RowBytesFor(int width, int bitCount);

private:
    size_t RowOffset(int y) const {
        return static_cast<size_t>(fHeight - 1 - y) * static_cast<size_t>(fRowBytes);
    }
    static std::vector<TRGB> DefaultColorTable(int bitCount);

    int fWidth = 0;
    int fHeight = 0;
    int fBitCount = 24;
    int fRowBytes = 0;
    std::vector<uint8_t> fPixels;
    std::vector<TRGB> fColorTable;
    uint64_t fGeneration = 0;
    std::unique_ptr<TCanvas> fCanvas;
};

} // namespace vellinor
