#include "platform/PlatformBitmap.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace vellinor {

namespace {

bool ValidBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 15 || bits == 16 || bits == 24 ||
           bits == 32;
}

int StorageBits(int bits) {
    return bits == 15 ? 16 : bits;
}

// The sixteen colours of the standard 4-bit palette.
constexpr TRGB kVga16[16] = {
    MakeRGB(0, 0, 0),       MakeRGB(128, 0, 0),   MakeRGB(0, 128, 0),   MakeRGB(128, 128, 0),
    MakeRGB(0, 0, 128),     MakeRGB(128, 0, 128), MakeRGB(0, 128, 128), MakeRGB(192, 192, 192),
    MakeRGB(128, 128, 128), MakeRGB(255, 0, 0),   MakeRGB(0, 255, 0),   MakeRGB(255, 255, 0),
    MakeRGB(0, 0, 255),     MakeRGB(255, 0, 255), MakeRGB(0, 255, 255), MakeRGB(255, 255, 255),
};

} // namespace

TPlatformBitmap::TPlatformBitmap() = default;

TPlatformBitmap::TPlatformBitmap(int width, int height, int bitCount) {
    SetBitCount(bitCount);
    SetSize(width, height);
}

TPlatformBitmap::~TPlatformBitmap() = default;

int TPlatformBitmap::RowBytesFor(int width, int bitCount) {
    const int64_t bits = static_cast<int64_t>(width) * StorageBits(bitCount);
    const int64_t bytes = (bits + 31) / 32 * 4;
    return bytes > std::numeric_limits<int32_t>::max() ? -1 : static_cast<int>(bytes);
}

std::vector<TRGB> TPlatformBitmap::DefaultColorTable(int bitCount) {
    switch (bitCount) {
    case 1:
        return {MakeRGB(0, 0, 0), MakeRGB(255, 255, 255)};
    case 4:
        return std::vector<TRGB>(std::begin(kVga16), std::end(kVga16));
    case 8:
        return std::vector<TRGB>(256);
    default:
        return {};
    }
}

bool TPlatformBitmap::Assign(const TPlatformBitmap& source) {
    if (&source == this) return true;
    try {
        fPixels = source.fPixels;
    } catch (const std::bad_alloc&) {
        return false;
    }
    fWidth = source.fWidth;
    fHeight = source.fHeight;
    fBitCount = source.fBitCount;
    fRowBytes = source.fRowBytes;
    fColorTable = source.fColorTable;
    ++fGeneration;
    Modified = true;
    return true;
}

bool TPlatformBitmap::SetSize(int width, int height) {
    if (width < 0 || height < 0) return false;
    if (width == fWidth && height == fHeight) return true;
    const int rowBytes = RowBytesFor(width, fBitCount);
    if (rowBytes < 0) return false;
    const uint64_t total = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height);
    if (total > std::numeric_limits<size_t>::max() / 2) return false;
    std::vector<uint8_t> pixels;
    try {
        pixels.assign(static_cast<size_t>(total), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int rows = std::min(height, fHeight);
    const int bytes = std::min(rowBytes, fRowBytes);
    for (int y = 0; y < rows; ++y) {
        std::memcpy(pixels.data() + static_cast<size_t>(height - 1 - y) * rowBytes, ScanLine(y),
                    static_cast<size_t>(bytes));
    }
    // Bits of the old row beyond the new width would show up as pixels when
    // the row was cut inside a byte: clear them.
    if (width < fWidth && width > 0) {
        const int64_t usedBits = static_cast<int64_t>(width) * StorageBits(fBitCount);
        const int lastByte = static_cast<int>((usedBits - 1) / 8);
        const int keepBits = static_cast<int>(usedBits - lastByte * 8);
        const auto mask = static_cast<uint8_t>(0xFF00 >> keepBits);
        for (int y = 0; y < rows; ++y) {
            uint8_t* row = pixels.data() + static_cast<size_t>(height - 1 - y) * rowBytes;
            row[lastByte] &= mask;
            std::memset(row + lastByte + 1, 0, static_cast<size_t>(rowBytes - lastByte - 1));
        }
    }
    fPixels = std::move(pixels);
    fWidth = width;
    fHeight = height;
    fRowBytes = rowBytes;
    ++fGeneration;
    Modified = true;
    return true;
}

bool TPlatformBitmap::SetBitCount(int bitCount) {
    if (!ValidBitCount(bitCount)) return false;
    if (bitCount == fBitCount) return true;
    if (Empty()) {
        fBitCount = bitCount;
        fRowBytes = RowBytesFor(fWidth, bitCount);
        fColorTable = DefaultColorTable(bitCount);
        fPixels.assign(static_cast<size_t>(fRowBytes) * fHeight, 0);
        ++fGeneration;
        return true;
    }
    TPlatformBitmap converted;
    converted.fBitCount = bitCount;
    converted.fColorTable = DefaultColorTable(bitCount);
    if (!converted.SetSize(fWidth, fHeight)) return false;
    for (int y = 0; y < fHeight; ++y) {
        for (int x = 0; x < fWidth; ++x)
            converted.SetPixelRGB(x, y, GetPixelRGB(x, y));
    }
    fPixels = std::move(converted.fPixels);
    fBitCount = bitCount;
    fRowBytes = converted.fRowBytes;
    fColorTable = std::move(converted.fColorTable);
    ++fGeneration;
    Modified = true;
    return true;
}

void TPlatformBitmap::SetColorTable(std::span<const TRGB> colors) {
    const size_t n = std::min(colors.size(), fColorTable.size());
    std::copy_n(colors.begin(), n, fColorTable.begin());
    ++fGeneration;
}

void TPlatformBitmap::SetColorTableEntry(int index, TRGB color) {
    if (index < 0 || index >= static_cast<int>(fColorTable.size())) return;
    fColorTable[static_cast<size_t>(index)] = color;
    ++fGeneration;
}

bool TPlatformBitmap::HasGrayRampTable() const {
    if (fBitCount != 8 || fColorTable.size() != 256) return false;
    for (int i = 0; i < 256; ++i) {
        const TRGB c = fColorTable[static_cast<size_t>(i)];
        if (c.r != i || c.g != i || c.b != i) return false;
    }
    return true;
}

bool TPlatformBitmap::IsMonochrome() const {
    return fBitCount == 1 && fColorTable.size() == 2 && fColorTable[0] == MakeRGB(0, 0, 0) &&
           fColorTable[1] == MakeRGB(255, 255, 255);
}

int TPlatformBitmap::NearestColorIndex(TRGB color) const {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (size_t i = 0; i < fColorTable.size(); ++i) {
        const TRGB c = fColorTable[i];
        const int dr = c.r - color.r, dg = c.g - color.g, db = c.b - color.b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
            if (distance == 0) break;
        }
    }
    return best;
}

TRGB TPlatformBitmap::GetPixelRGB(int x, int y) const {
    const uint8_t* row = ScanLine(y);
    auto entry = [&](unsigned index) {
        return index < fColorTable.size() ? fColorTable[index] : TRGB{};
    };
    switch (fBitCount) {
    case 1:
        return entry((row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4:
        return entry((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
    case 8:
        return entry(row[x]);
    case 15: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        return MakeRGB(static_cast<uint8_t>(((v >> 10) & 31) << 3),
                       static_cast<uint8_t>(((v >> 5) & 31) << 3),
                       static_cast<uint8_t>((v & 31) << 3));
    }
    case 16: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        return MakeRGB(static_cast<uint8_t>(((v >> 11) & 31) << 3),
                       static_cast<uint8_t>(((v >> 5) & 63) << 2),
                       static_cast<uint8_t>((v & 31) << 3));
    }
    case 24:
        return TRGB{row[3 * x], row[3 * x + 1], row[3 * x + 2]};
    case 32:
        return TRGB{row[4 * x], row[4 * x + 1], row[4 * x + 2]};
    default:
        return TRGB{};
    }
}

void TPlatformBitmap::SetPixelRGB(int x, int y, TRGB c) {
    uint8_t* row = ScanLine(y);
    switch (fBitCount) {
    case 1: {
        const auto bit = static_cast<uint8_t>(0x80 >> (x & 7));
        if (NearestColorIndex(c) != 0) {
            row[x >> 3] |= bit;
        } else {
            row[x >> 3] &= static_cast<uint8_t>(~bit);
        }
        break;
    }
    case 4: {
        const auto index = static_cast<uint8_t>(NearestColorIndex(c));
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | index)
                    : static_cast<uint8_t>((b & 0x0F) | (index << 4));
        break;
    }
    case 8:
        row[x] = static_cast<uint8_t>(NearestColorIndex(c));
        break;
    case 15: {
        const unsigned v = ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3);
        row[2 * x] = static_cast<uint8_t>(v);
        row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        break;
    }
    case 16: {
        const unsigned v = ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3);
        row[2 * x] = static_cast<uint8_t>(v);
        row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        break;
    }
    case 24:
        row[3 * x] = c.b;
        row[3 * x + 1] = c.g;
        row[3 * x + 2] = c.r;
        break;
    case 32:
        row[4 * x] = c.b;
        row[4 * x + 1] = c.g;
        row[4 * x + 2] = c.r;
        break;
    default:
        break;
    }
}

TCanvas& TPlatformBitmap::Canvas() {
    if (!fCanvas) fCanvas = std::make_unique<TCanvas>(*this);
    return *fCanvas;
}

} // namespace vellinor
