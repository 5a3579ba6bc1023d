#include "platform/RasterTarget.h"

#include "platform/PlatformBitmap.h"

#include <algorithm>
#include <cstring>

namespace vellinor {

TRasterTarget::TRasterTarget(TPlatformBitmap& bitmap)
    : fBitmap(bitmap), fWidth(bitmap.Width()), fHeight(bitmap.Height()), fBits(bitmap.BitCount()),
      fGrayRamp(bitmap.HasGrayRampTable()) {
    switch (fBits) {
    case 1:
        fValueMask = 1;
        break;
    case 4:
        fValueMask = 15;
        break;
    case 8:
        fValueMask = 255;
        break;
    case 15:
    case 16:
        fValueMask = 0xFFFF;
        break;
    case 24:
        fValueMask = 0xFFFFFF;
        break;
    default:
        fValueMask = 0xFFFFFFFF;
        break;
    }
}

uint8_t* TRasterTarget::Row(int y) const {
    return fBitmap.ScanLine(y);
}

uint32_t TRasterTarget::DeviceValue(TColor color) {
    return DeviceValue(TColor2TRGB(color));
}

uint32_t TRasterTarget::DeviceValue(TRGB c) {
    switch (fBits) {
    case 1:
    case 4:
    case 8: {
        if (fGrayRamp) return (c.r + c.g + c.b + 1) / 3; // nearest entry of i, i, i
        const uint32_t key = TRGB2TColor(c);
        auto it = fNearest.find(key);
        if (it != fNearest.end()) return it->second;
        const auto index = static_cast<uint32_t>(fBitmap.NearestColorIndex(c));
        if (fNearest.size() < 4096) fNearest.emplace(key, index);
        return index;
    }
    case 15:
        return ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3);
    case 16:
        return ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3);
    default:
        return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
    }
}

TRGB TRasterTarget::ColorOfValue(uint32_t v) const {
    switch (fBits) {
    case 1:
    case 4:
    case 8: {
        const auto& table = fBitmap.ColorTable();
        return v < table.size() ? table[v] : TRGB{};
    }
    case 15:
        return MakeRGB(static_cast<uint8_t>(((v >> 10) & 31) << 3),
                       static_cast<uint8_t>(((v >> 5) & 31) << 3),
                       static_cast<uint8_t>((v & 31) << 3));
    case 16:
        return MakeRGB(static_cast<uint8_t>(((v >> 11) & 31) << 3),
                       static_cast<uint8_t>(((v >> 5) & 63) << 2),
                       static_cast<uint8_t>((v & 31) << 3));
    default:
        return TRGB{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                    static_cast<uint8_t>(v >> 16)};
    }
}

uint32_t TRasterTarget::Get(int x, int y) const {
    const uint8_t* row = Row(y);
    switch (fBits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 8:
        return row[x];
    case 15:
    case 16:
        return row[2 * x] | (uint32_t{row[2 * x + 1]} << 8);
    case 24:
        return row[3 * x] | (uint32_t{row[3 * x + 1]} << 8) | (uint32_t{row[3 * x + 2]} << 16);
    default: {
        uint32_t v;
        std::memcpy(&v, row + 4 * static_cast<size_t>(x), 4);
        return v;
    }
    }
}

void TRasterTarget::Put(int x, int y, uint32_t v) {
    uint8_t* row = Row(y);
    switch (fBits) {
    case 1: {
        const auto bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = (v & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (v & 15))
                    : static_cast<uint8_t>((b & 0x0F) | ((v & 15) << 4));
        break;
    }
    case 8:
        row[x] = static_cast<uint8_t>(v);
        break;
    case 15:
    case 16:
        row[2 * x] = static_cast<uint8_t>(v);
        row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        break;
    case 24:
        row[3 * x] = static_cast<uint8_t>(v);
        row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
        break;
    default:
        std::memcpy(row + 4 * static_cast<size_t>(x), &v, 4);
        break;
    }
}

uint32_t TRasterTarget::ApplyRop2(int rop2, uint32_t p, uint32_t d) {
    const unsigned table = static_cast<unsigned>(rop2 - 1) & 15;
    uint32_t r = 0;
    if (table & 1) r |= ~p & ~d;
    if (table & 2) r |= ~p & d;
    if (table & 4) r |= p & ~d;
    if (table & 8) r |= p & d;
    return r;
}

void TRasterTarget::PaintSpan(int y, int x0, int x1, const TPaint& paint) {
    if (x0 >= x1) return;
    if (paint.Hatched) {
        const uint8_t bits = paint.Pattern[y & 7];
        for (int x = x0; x < x1; ++x) {
            const bool on = (bits >> (7 - (x & 7))) & 1;
            if (!on && !paint.BackOpaque) continue;
            const uint32_t src = on ? paint.Fore : paint.Back;
            Put(x, y, ApplyRop2(paint.Rop2, src, Get(x, y)) & fValueMask);
        }
        return;
    }
    if (paint.Rop2 == 11) return; // no operation
    if (paint.Rop2 == 13) {
        uint8_t* row = Row(y);
        const uint32_t v = paint.Fore & fValueMask;
        switch (fBits) {
        case 8:
            std::memset(row + x0, static_cast<int>(v), static_cast<size_t>(x1 - x0));
            return;
        case 24: {
            uint8_t* p = row + 3 * static_cast<size_t>(x0);
            for (int x = x0; x < x1; ++x, p += 3) {
                p[0] = static_cast<uint8_t>(v);
                p[1] = static_cast<uint8_t>(v >> 8);
                p[2] = static_cast<uint8_t>(v >> 16);
            }
            return;
        }
        case 32: {
            uint8_t* p = row + 4 * static_cast<size_t>(x0);
            for (int x = x0; x < x1; ++x, p += 4)
                std::memcpy(p, &v, 4);
            return;
        }
        default:
            for (int x = x0; x < x1; ++x)
                Put(x, y, v);
            return;
        }
    }
    for (int x = x0; x < x1; ++x)
        Put(x, y, ApplyRop2(paint.Rop2, paint.Fore, Get(x, y)) & fValueMask);
}

void TRasterTarget::BlendCoverage(int y, int x, const uint8_t* coverage, int n, TRGB color,
                                  uint32_t value) {
    uint8_t* row = Row(y);
    if (fBits == 24 || fBits == 32) {
        const int step = fBits / 8;
        uint8_t* p = row + static_cast<size_t>(x) * step;
        for (int i = 0; i < n; ++i, p += step) {
            const uint32_t a = coverage[i];
            if (a == 0) continue;
            if (a == 255) {
                p[0] = color.b;
                p[1] = color.g;
                p[2] = color.r;
                continue;
            }
            const uint32_t na = 255 - a;
            p[0] = static_cast<uint8_t>(Div255(p[0] * na + color.b * a));
            p[1] = static_cast<uint8_t>(Div255(p[1] * na + color.g * a));
            p[2] = static_cast<uint8_t>(Div255(p[2] * na + color.r * a));
        }
        return;
    }
    if (fBits == 8 && fGrayRamp) {
        uint8_t* p = row + x;
        for (int i = 0; i < n; ++i) {
            const uint32_t a = coverage[i];
            if (a != 0) p[i] = static_cast<uint8_t>(Div255(p[i] * (255 - a) + value * a));
        }
        return;
    }
    if (fBits == 1) {
        for (int i = 0; i < n; ++i) {
            if (coverage[i] >= 128) Put(x + i, y, value);
        }
        return;
    }
    for (int i = 0; i < n; ++i) {
        const uint32_t a = coverage[i];
        if (a == 0) continue;
        if (a == 255) {
            Put(x + i, y, value);
            continue;
        }
        const TRGB d = ColorOfValue(Get(x + i, y));
        const TRGB mixed{static_cast<uint8_t>(Div255(d.b * (255 - a) + color.b * a)),
                         static_cast<uint8_t>(Div255(d.g * (255 - a) + color.g * a)),
                         static_cast<uint8_t>(Div255(d.r * (255 - a) + color.r * a))};
        Put(x + i, y, DeviceValue(mixed));
    }
}

} // namespace vellinor
