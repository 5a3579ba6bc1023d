#pragma once
// Builds PCX files byte by byte, so that each test states exactly the header
// fields and data bytes it is about, and reads them back with the codec.

#include "image/TIEBitmap.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/pcx/PcxCodec.h"
#include "platform/Stream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace vellinor::testing {

struct TPcxFixture {
    uint8_t Manufacturer = 10;
    uint8_t Version = 5;
    uint8_t Encoding = 1;
    uint8_t BitsPerPixel = 8;
    uint8_t Planes = 1;
    uint16_t XMin = 0;
    // The window runs from XMin to Width - 1 and from 0 to Height - 1.
    uint16_t Width = 2;
    uint16_t Height = 1;
    uint16_t BytesPerLine = 2;
    uint16_t HorizontalDpi = 72;
    uint16_t VerticalDpi = 72;
    std::array<uint8_t, 48> ShortPalette{}; // red, green, blue
    std::vector<uint8_t> Data;              // the encoded lines, as stored
    std::vector<uint8_t> LongPalette;       // 768 bytes written after 12, when given

    void SetShortColor(int index, uint8_t r, uint8_t g, uint8_t b) {
        ShortPalette[static_cast<size_t>(3 * index)] = r;
        ShortPalette[static_cast<size_t>(3 * index + 1)] = g;
        ShortPalette[static_cast<size_t>(3 * index + 2)] = b;
    }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> b(128, 0);
        auto put16 = [&](size_t at, uint32_t v) {
            b[at] = static_cast<uint8_t>(v);
            b[at + 1] = static_cast<uint8_t>(v >> 8);
        };
        b[0] = Manufacturer;
        b[1] = Version;
        b[2] = Encoding;
        b[3] = BitsPerPixel;
        put16(4, XMin);
        put16(8, Width - 1u);
        put16(10, Height - 1u);
        put16(12, HorizontalDpi);
        put16(14, VerticalDpi);
        std::copy(ShortPalette.begin(), ShortPalette.end(), b.begin() + 16);
        b[65] = Planes;
        put16(66, BytesPerLine);
        put16(68, 1);
        b.insert(b.end(), Data.begin(), Data.end());
        if (!LongPalette.empty()) {
            b.push_back(12);
            b.insert(b.end(), LongPalette.begin(), LongPalette.end());
        }
        return b;
    }
};

// A progress record wired to its own abort flag.
struct TFlagged {
    bool Aborted = false;
    TIOProgressRec Progress;
    TFlagged() { Progress.AbortFlagRef = &Aborted; }
    TFlagged(const TFlagged&) = delete;
    TFlagged& operator=(const TFlagged&) = delete;
};

// The outcome of one ReadPcxStream call.
struct TPcxRead {
    TIEBitmap Bitmap;
    TIOParamsVals Params;
    TFlagged Run;
    bool Aborted() const { return Run.Aborted; }
};

inline std::unique_ptr<TPcxRead> ReadPcx(const std::vector<uint8_t>& bytes, bool preview = false) {
    auto read = std::make_unique<TPcxRead>();
    TMemoryStream stream(bytes);
    ReadPcxStream(stream, read->Bitmap, read->Params, preview, read->Run.Progress,
                  static_cast<int64_t>(bytes.size()));
    return read;
}

// Writes with the given parameters; aborted reports the flag.
inline std::vector<uint8_t> WritePcx(TIEBitmap& bitmap, TIOParamsVals& params,
                                     bool* aborted = nullptr) {
    TMemoryStream out;
    TFlagged run;
    WritePcxStream(out, bitmap, params, run.Progress);
    if (aborted != nullptr) *aborted = run.Aborted;
    return out.Data();
}

} // namespace vellinor::testing
