#include "GifFixtures.h"

#include "io/gif/GifLzw.h"
#include "platform/Stream.h"

#include <bit>

namespace vellinor::testing {

namespace {

void Le16(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

int SizeField(size_t entries) {
    return std::countr_zero(static_cast<unsigned>(entries)) - 1;
}

void Table(std::vector<uint8_t>& out, const std::vector<TRGB>& table) {
    for (const TRGB& c : table)
        out.insert(out.end(), {c.r, c.g, c.b});
}

} // namespace

TRGB Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return TRGB{b, g, r};
}

std::vector<uint8_t> SubBlocks(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    for (size_t at = 0; at < data.size(); at += 255) {
        const size_t n = std::min<size_t>(255, data.size() - at);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<long>(at),
                   data.begin() + static_cast<long>(at + n));
    }
    out.push_back(0);
    return out;
}

std::vector<uint8_t> BuildGif(const TGifFile& file) {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    Le16(out, file.ScreenWidth);
    Le16(out, file.ScreenHeight);
    const bool global = !file.GlobalTable.empty();
    out.push_back(
        static_cast<uint8_t>(global ? 0x80 | 0x70 | SizeField(file.GlobalTable.size()) : 0));
    out.push_back(file.Background);
    out.push_back(0);
    Table(out, file.GlobalTable);
    for (const std::string& comment : file.CommentsBeforeImages) {
        out.insert(out.end(), {0x21, 0xFE});
        const auto blocks = SubBlocks(std::vector<uint8_t>(comment.begin(), comment.end()));
        out.insert(out.end(), blocks.begin(), blocks.end());
    }
    for (const TGifImage& image : file.Images) {
        if (image.Control) {
            const TGifControl& c = *image.Control;
            out.insert(out.end(), {0x21, 0xF9, 4});
            out.push_back(static_cast<uint8_t>(c.Disposal * 4 + (c.Transparent ? 1 : 0)));
            Le16(out, c.Delay);
            out.push_back(c.TransparentIndex);
            out.push_back(0);
        }
        out.push_back(0x2C);
        Le16(out, image.Left);
        Le16(out, image.Top);
        Le16(out, image.Width);
        Le16(out, image.Height);
        uint8_t packed = image.Interlaced ? 0x40 : 0;
        if (!image.LocalTable.empty()) packed |= 0x80 | SizeField(image.LocalTable.size());
        out.push_back(packed);
        Table(out, image.LocalTable);
        TMemoryStream data;
        GifLzwCompress(data, image.Height, image.Width, image.Bits, image.Indexes,
                       image.Interlaced);
        out.insert(out.end(), data.Data().begin(), data.Data().end());
    }
    if (file.Trailer) out.push_back(0x3B);
    return out;
}

TLzwCodeBuilder::TLzwCodeBuilder(int minCodeSize)
    : fMinCodeSize(minCodeSize), fCodeBits(minCodeSize + 1), fNextFree((1 << minCodeSize) + 2) {}

void TLzwCodeBuilder::Put(int code) {
    fBits |= static_cast<uint32_t>(code) << fBitCount;
    fBitCount += fCodeBits;
    while (fBitCount >= 8) {
        fData.push_back(static_cast<uint8_t>(fBits));
        fBits >>= 8;
        fBitCount -= 8;
    }
}

void TLzwCodeBuilder::Clear() {
    Put(ClearCode());
    fCodeBits = fMinCodeSize + 1;
    fNextFree = ClearCode() + 2;
    fAfterClear = true;
}

void TLzwCodeBuilder::Code(int code) {
    Put(code);
    if (code == EndCode()) return;
    if (!fAfterClear && fNextFree < 4096) {
        ++fNextFree;
        if (fNextFree == (1 << fCodeBits) && fCodeBits < 12) ++fCodeBits;
    }
    fAfterClear = false;
}

std::vector<uint8_t> TLzwCodeBuilder::Bytes() const {
    std::vector<uint8_t> data = fData;
    if (fBitCount > 0) data.push_back(static_cast<uint8_t>(fBits));
    std::vector<uint8_t> out = {static_cast<uint8_t>(fMinCodeSize)};
    const auto blocks = SubBlocks(data);
    out.insert(out.end(), blocks.begin(), blocks.end());
    return out;
}

} // namespace vellinor::testing
