#pragma once
// Builds BMP files byte by byte, so that each test states exactly the header
// and pixel bytes it is about.

#include <cstdint>
#include <string>
#include <vector>

namespace vellinor::testing {

struct TBmpFixture {
    int HeaderSize = 40;
    int32_t Width = 2;
    int32_t Height = 2; // negative: top-down
    int BitCount = 24;
    uint32_t Compression = 0;
    uint32_t ColorsUsed = 0;
    int32_t PixelsPerMetre = 11811; // 300 dpi
    std::vector<uint8_t> Palette;   // raw entries (3 or 4 bytes each)
    std::vector<uint8_t> Masks;     // after the 40-byte header
    std::vector<uint8_t> Pixels;    // raw pixel data as stored

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> header(static_cast<size_t>(HeaderSize), 0);
        auto put16 = [&](std::vector<uint8_t>& b, size_t at, uint32_t v) {
            b[at] = static_cast<uint8_t>(v);
            b[at + 1] = static_cast<uint8_t>(v >> 8);
        };
        auto put32 = [&](std::vector<uint8_t>& b, size_t at, uint32_t v) {
            put16(b, at, v & 0xFFFF);
            put16(b, at + 2, v >> 16);
        };
        put32(header, 0, static_cast<uint32_t>(HeaderSize));
        if (HeaderSize == 12) {
            put16(header, 4, static_cast<uint32_t>(Width));
            put16(header, 6, static_cast<uint32_t>(Height));
            put16(header, 8, 1);
            put16(header, 10, static_cast<uint32_t>(BitCount));
        } else {
            put32(header, 4, static_cast<uint32_t>(Width));
            put32(header, 8, static_cast<uint32_t>(Height));
            put16(header, 12, 1);
            put16(header, 14, static_cast<uint32_t>(BitCount));
            put32(header, 16, Compression);
            put32(header, 20, static_cast<uint32_t>(Pixels.size()));
            put32(header, 24, static_cast<uint32_t>(PixelsPerMetre));
            put32(header, 28, static_cast<uint32_t>(PixelsPerMetre));
            put32(header, 32, ColorsUsed);
        }
        const size_t offset = 14 + header.size() + Masks.size() + Palette.size();
        std::vector<uint8_t> file(14, 0);
        file[0] = 'B';
        file[1] = 'M';
        put32(file, 2, static_cast<uint32_t>(offset + Pixels.size()));
        put32(file, 10, static_cast<uint32_t>(offset));
        file.insert(file.end(), header.begin(), header.end());
        file.insert(file.end(), Masks.begin(), Masks.end());
        file.insert(file.end(), Palette.begin(), Palette.end());
        file.insert(file.end(), Pixels.begin(), Pixels.end());
        return file;
    }
};

} // namespace vellinor::testing
