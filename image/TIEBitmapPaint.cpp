// PaintTo: scaled rendering of a bitmap into a 24- or 32-bit target, used by
// the view for its back buffer and by the vector layer for its object buffer.
// Source rows are first turned into blue-green-red rows (every format, with the
// display settings of the bitmap), then sampled or filtered into the target.

#include "image/TIEBitmapPaint.h"

#include "image/ColorConversions.h"
#include "image/TIEBitmap.h"
#include "platform/PlatformBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace vellinor {

namespace {

constexpr int kWeightOne = 4096; // filter weights of one target pixel add up to this

template <typename T>
T Load(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

uint8_t ClampByte(double v) {
    if (!(v > 0)) return 0; // also NaN
    if (v >= 255) return 255;
    return static_cast<uint8_t>(v);
}

uint8_t ClampByte(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

// ie32f grey as displayed: through BlackValue..WhiteValue when that range is
// set, else 0..1.
uint8_t FloatGray(float f, double black, double white) {
    if (!std::isfinite(f)) return 0;
    if (white > black) return ClampByte((f - black) / (white - black) * 255.0);
    return ClampByte(std::trunc(static_cast<double>(f) * 255.0));
}

// Columns [x0, x0 + count) of row y as blue, green, red.
void ReadRowAsRGB(TIEBitmap& bitmap, int y, int x0, int count, TRGB* out) {
    const uint8_t* row = bitmap.Row(y);
    if (row == nullptr) {
        std::fill(out, out + count, TRGB{});
        return;
    }
    switch (bitmap.PixelFormat()) {
    case ie1g:
        for (int i = 0; i < count; ++i) {
            const int x = x0 + i;
            const uint8_t v = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
            out[i] = TRGB{v, v, v};
        }
        break;
    case ie8p: {
        const std::vector<TRGB>& palette = bitmap.Palette();
        for (int i = 0; i < count; ++i) {
            const size_t index = row[x0 + i];
            out[i] = index < palette.size() ? palette[index] : TRGB{};
        }
        break;
    }
    case ie8g:
        for (int i = 0; i < count; ++i)
            out[i] = TRGB{row[x0 + i], row[x0 + i], row[x0 + i]};
        break;
    case ie16g:
        for (int i = 0; i < count; ++i) {
            const auto v = static_cast<uint8_t>(Load<uint16_t>(row + 2 * (x0 + i)) >> 8);
            out[i] = TRGB{v, v, v};
        }
        break;
    case ie24RGB:
        std::memcpy(out, row + 3 * static_cast<size_t>(x0), 3 * static_cast<size_t>(count));
        break;
    case ie32f:
        for (int i = 0; i < count; ++i) {
            const uint8_t v =
                FloatGray(Load<float>(row + 4 * (x0 + i)), bitmap.BlackValue, bitmap.WhiteValue);
            out[i] = TRGB{v, v, v};
        }
        break;
    case ieCMYK:
        for (int i = 0; i < count; ++i)
            out[i] = CMYK2RGB(Load<TCMYK>(row + 4 * (x0 + i)));
        break;
    case ieRGB48:
        for (int i = 0; i < count; ++i) {
            const TRGB48 p = Load<TRGB48>(row + 6 * (x0 + i));
            out[i] = MakeRGB(static_cast<uint8_t>(p.r >> 8), static_cast<uint8_t>(p.g >> 8),
                             static_cast<uint8_t>(p.b >> 8));
        }
        break;
    case ieCIELab:
        for (int i = 0; i < count; ++i)
            out[i] = CIELab2RGB(Load<TCIELab>(row + 3 * (x0 + i)));
        break;
    case ie32RGB:
        for (int i = 0; i < count; ++i) {
            const uint8_t* p = row + 4 * (x0 + i);
            out[i] = TRGB{p[0], p[1], p[2]};
        }
        break;
    default:
        std::fill(out, out + count, TRGB{});
        break;
    }
}

// Contrast and the per-channel offsets, which change only what is shown.
void ApplyDisplaySettings(const TIEBitmap& bitmap, TRGB* row, int count) {
    const bool offsets = bitmap.EnableChannelOffset;
    const int contrast = bitmap.Contrast;
    if (!offsets && contrast == 0) return;
    const int scale = std::max(0, 100 + contrast);
    for (int i = 0; i < count; ++i) {
        uint8_t* c = &row[i].b;
        for (int ch = 0; ch < 3; ++ch) {
            int v = c[ch];
            if (contrast != 0) v = 128 + (v - 128) * scale / 100;
            if (offsets) v += bitmap.ChannelOffset[ch];
            c[ch] = ClampByte(v);
        }
    }
}

// Reads source rows (colour, and alpha when wanted) into owned buffers, so
// that the one-valid-row rule of temporary-file storage never bites.
class SourceRows {
public:
    SourceRows(TIEBitmap& bitmap, int x0, int count, bool withAlpha)
        : fBitmap(bitmap), fX0(x0), fCount(count),
          fAlphaPlane(withAlpha && bitmap.HasAlphaPlane() ? bitmap.AlphaPlane() : nullptr),
          fColor(static_cast<size_t>(count)), fAlpha(static_cast<size_t>(count), 255) {}

    bool HasAlpha() const { return fAlphaPlane != nullptr; }

    void Read(int y) {
        ReadRowAsRGB(fBitmap, y, fX0, fCount, fColor.data());
        ApplyDisplaySettings(fBitmap, fColor.data(), fCount);
        if (fAlphaPlane != nullptr) {
            const uint8_t* a = fAlphaPlane->Row(y);
            if (a != nullptr) std::memcpy(fAlpha.data(), a + fX0, static_cast<size_t>(fCount));
        }
    }
    // Index relative to the first column read.
    const TRGB& Color(int i) const { return fColor[static_cast<size_t>(i)]; }
    uint8_t Alpha(int i) const { return fAlpha[static_cast<size_t>(i)]; }

private:
    TIEBitmap& fBitmap;
    int fX0;
    int fCount;
    TIEBitmap* fAlphaPlane;
    std::vector<TRGB> fColor;
    std::vector<uint8_t> fAlpha;
};

struct TargetRows {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;
    std::function<uint8_t*(int)> row;
};

inline void PutPixel(uint8_t* p, uint8_t b, uint8_t g, uint8_t r, int alpha) {
    if (alpha >= 255) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
    } else if (alpha > 0) {
        const int inverse = 255 - alpha;
        p[0] = static_cast<uint8_t>((b * alpha + p[0] * inverse + 127) / 255);
        p[1] = static_cast<uint8_t>((g * alpha + p[1] * inverse + 127) / 255);
        p[2] = static_cast<uint8_t>((r * alpha + p[2] * inverse + 127) / 255);
    }
}

inline int CombineAlpha(int alpha, int opacity) {
    return opacity >= 255 ? alpha : (alpha * opacity + 127) / 255;
}

// Nearest source index of target index t on one axis.
int NearestIndex(int t, double origin, double scale) {
    return static_cast<int>(std::clamp(std::floor((t - origin) / scale + 1e-9), -2e9, 2e9));
}

// The target indices [first, last) on one axis whose nearest source index lies
// in [s0, s1), further limited to [t0, t1).
bool AxisRange(double origin, double scale, int s0, int s1, int t0, int t1, int& first, int& last) {
    const double a = origin + s0 * scale;
    const double b = origin + s1 * scale;
    first = std::max(t0, static_cast<int>(std::max(std::floor(a) - 1, -2e9)));
    last = std::min(t1, static_cast<int>(std::min(std::ceil(b) + 1, 2e9)));
    while (first < last && NearestIndex(first, origin, scale) < s0)
        ++first;
    while (last > first && NearestIndex(last - 1, origin, scale) >= s1)
        --last;
    return first < last;
}

// Filter taps of one axis: for every target index, consecutive source indices
// with integer weights adding up to kWeightOne.
struct AxisTaps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset; // into weights
    std::vector<int32_t> weights;
    int sourceMin = 0;
    int sourceMax = 0;
    int maxCount = 1;
};

AxisTaps TriangleTaps(int t0, int t1, double origin, double scale, int s0, int s1) {
    AxisTaps taps;
    const double radius = scale < 1 ? 1 / scale : 1;
    taps.sourceMin = s1;
    taps.sourceMax = s0;
    std::vector<double> w;
    for (int t = t0; t < t1; ++t) {
        const double u = (t + 0.5 - origin) / scale;
        int lo = static_cast<int>(std::ceil(u - radius - 0.5));
        int hi = static_cast<int>(std::floor(u + radius - 0.5));
        lo = std::max(lo, s0);
        hi = std::min(hi, s1 - 1);
        w.clear();
        double sum = 0;
        for (int i = lo; i <= hi; ++i) {
            const double d = 1 - std::abs(i + 0.5 - u) / radius;
            w.push_back(std::max(d, 0.0));
            sum += w.back();
        }
        if (!(sum > 0)) {
            lo = hi = std::clamp(static_cast<int>(std::floor(u)), s0, s1 - 1);
            w.assign(1, 1.0);
            sum = 1;
        }
        taps.first.push_back(lo);
        taps.count.push_back(hi - lo + 1);
        taps.offset.push_back(static_cast<int>(taps.weights.size()));
        int total = 0;
        size_t largest = 0;
        for (size_t k = 0; k < w.size(); ++k) {
            const auto v = static_cast<int32_t>(std::lround(w[k] / sum * kWeightOne));
            taps.weights.push_back(v);
            total += v;
            if (w[k] > w[largest]) largest = k;
        }
        taps.weights[taps.offset.back() + largest] += kWeightOne - total;
        taps.sourceMin = std::min(taps.sourceMin, lo);
        taps.sourceMax = std::max(taps.sourceMax, hi);
        taps.maxCount = std::max(taps.maxCount, hi - lo + 1);
    }
    return taps;
}

struct Region {
    int s0x, s1x, s0y, s1y; // source rectangle, end exclusive
    int t0x, t1x, t0y, t1y; // target rectangle, end exclusive
};

void PaintNearest(TIEBitmap& source, TargetRows& target, const TIEPaintOptions& o,
                  const Region& r) {
    std::vector<int> column(static_cast<size_t>(r.t1x - r.t0x));
    int minX = r.s1x, maxX = r.s0x;
    for (int tx = r.t0x; tx < r.t1x; ++tx) {
        const int sx = std::clamp(NearestIndex(tx, o.OriginX, o.ScaleX), r.s0x, r.s1x - 1);
        column[static_cast<size_t>(tx - r.t0x)] = sx;
        minX = std::min(minX, sx);
        maxX = std::max(maxX, sx);
    }
    for (int& sx : column)
        sx -= minX;
    SourceRows rows(source, minX, maxX - minX + 1, o.UseAlpha);
    int loaded = -1;
    for (int ty = r.t0y; ty < r.t1y; ++ty) {
        const int sy = std::clamp(NearestIndex(ty, o.OriginY, o.ScaleY), r.s0y, r.s1y - 1);
        if (sy != loaded) {
            rows.Read(sy);
            loaded = sy;
        }
        uint8_t* out = target.row(ty);
        if (out == nullptr) continue;
        out += static_cast<size_t>(r.t0x) * target.bytesPerPixel;
        for (size_t i = 0; i < column.size(); ++i, out += target.bytesPerPixel) {
            const TRGB& c = rows.Color(column[i]);
            const int alpha = rows.HasAlpha() ? rows.Alpha(column[i]) : 255;
            PutPixel(out, c.b, c.g, c.r, CombineAlpha(alpha, o.Opacity));
        }
    }
}

void PaintTriangle(TIEBitmap& source, TargetRows& target, const TIEPaintOptions& o,
                   const Region& r) {
    const AxisTaps cols = TriangleTaps(r.t0x, r.t1x, o.OriginX, o.ScaleX, r.s0x, r.s1x);
    const AxisTaps rowsTaps = TriangleTaps(r.t0y, r.t1y, o.OriginY, o.ScaleY, r.s0y, r.s1y);
    const int width = r.t1x - r.t0x;
    SourceRows rows(source, cols.sourceMin, cols.sourceMax - cols.sourceMin + 1, o.UseAlpha);
    const int channels = rows.HasAlpha() ? 4 : 3;
    const size_t rowValues = static_cast<size_t>(width) * channels;

    // Horizontally filtered source rows, value x 256, kept while rows overlap.
    const int slots = rowsTaps.maxCount;
    std::vector<std::vector<uint16_t>> filtered(static_cast<size_t>(slots),
                                                std::vector<uint16_t>(rowValues));
    std::vector<int> slotRow(static_cast<size_t>(slots), -1);
    auto filteredRow = [&](int sy) -> const uint16_t* {
        const auto slot = static_cast<size_t>(sy % slots);
        std::vector<uint16_t>& out = filtered[slot];
        if (slotRow[slot] == sy) return out.data();
        rows.Read(sy);
        for (int c = 0; c < width; ++c) {
            const int first = cols.first[static_cast<size_t>(c)] - cols.sourceMin;
            const int count = cols.count[static_cast<size_t>(c)];
            const int32_t* w = &cols.weights[static_cast<size_t>(cols.offset[c])];
            int32_t b = 0, g = 0, red = 0, a = 0;
            for (int k = 0; k < count; ++k) {
                const TRGB& px = rows.Color(first + k);
                b += w[k] * px.b;
                g += w[k] * px.g;
                red += w[k] * px.r;
                if (channels == 4) a += w[k] * rows.Alpha(first + k);
            }
            uint16_t* p = &out[static_cast<size_t>(c) * channels];
            p[0] = static_cast<uint16_t>((b + 8) >> 4);
            p[1] = static_cast<uint16_t>((g + 8) >> 4);
            p[2] = static_cast<uint16_t>((red + 8) >> 4);
            if (channels == 4) p[3] = static_cast<uint16_t>((a + 8) >> 4);
        }
        slotRow[slot] = sy;
        return out.data();
    };

    std::vector<int32_t> sum(rowValues);
    for (int ty = r.t0y; ty < r.t1y; ++ty) {
        const auto j = static_cast<size_t>(ty - r.t0y);
        std::fill(sum.begin(), sum.end(), 0);
        const int32_t* w = &rowsTaps.weights[static_cast<size_t>(rowsTaps.offset[j])];
        for (int k = 0; k < rowsTaps.count[j]; ++k) {
            const uint16_t* src = filteredRow(rowsTaps.first[j] + k);
            for (size_t v = 0; v < rowValues; ++v)
                sum[v] += w[k] * src[v];
        }
        uint8_t* out = target.row(ty);
        if (out == nullptr) continue;
        out += static_cast<size_t>(r.t0x) * target.bytesPerPixel;
        constexpr int kRound = 1 << 19;
        for (int c = 0; c < width; ++c, out += target.bytesPerPixel) {
            const int32_t* s = &sum[static_cast<size_t>(c) * channels];
            const int alpha = channels == 4 ? (s[3] + kRound) >> 20 : 255;
            PutPixel(out, static_cast<uint8_t>((s[0] + kRound) >> 20),
                     static_cast<uint8_t>((s[1] + kRound) >> 20),
                     static_cast<uint8_t>((s[2] + kRound) >> 20), CombineAlpha(alpha, o.Opacity));
        }
    }
}

void PaintInto(TIEBitmap& source, TargetRows& target, const TIEPaintOptions& o) {
    if (source.IsVoid() || source.PixelFormat() == ieNull) return;
    if (!(o.ScaleX > 0) || !(o.ScaleY > 0) || !std::isfinite(o.OriginX) ||
        !std::isfinite(o.OriginY) || o.Opacity <= 0)
        return;
    Region r{};
    const int w = source.Width(), h = source.Height();
    const bool whole = o.Source.width < 0 || o.Source.height < 0;
    r.s0x = whole ? 0 : std::max(o.Source.x, 0);
    r.s0y = whole ? 0 : std::max(o.Source.y, 0);
    r.s1x = whole ? w : std::min(static_cast<int64_t>(o.Source.x) + o.Source.width, int64_t{w});
    r.s1y = whole ? h : std::min(static_cast<int64_t>(o.Source.y) + o.Source.height, int64_t{h});
    if (r.s0x >= r.s1x || r.s0y >= r.s1y) return;
    const int t0x = std::max(o.Target.x, 0);
    const int t0y = std::max(o.Target.y, 0);
    const int t1x = static_cast<int>(
        std::min(static_cast<int64_t>(o.Target.x) + o.Target.width, int64_t{target.width}));
    const int t1y = static_cast<int>(
        std::min(static_cast<int64_t>(o.Target.y) + o.Target.height, int64_t{target.height}));
    if (!AxisRange(o.OriginX, o.ScaleX, r.s0x, r.s1x, t0x, t1x, r.t0x, r.t1x)) return;
    if (!AxisRange(o.OriginY, o.ScaleY, r.s0y, r.s1y, t0y, t1y, r.t0y, r.t1y)) return;
    if (o.Filter == rfTriangle)
        PaintTriangle(source, target, o, r);
    else
        PaintNearest(source, target, o, r);
}

} // namespace

TIEPaintOptions PaintRectToRect(const TIEPaintRect& target, const TIEPaintRect& source,
                                TResampleFilter filter) {
    TIEPaintOptions o;
    if (source.width <= 0 || source.height <= 0 || target.width <= 0 || target.height <= 0) {
        o.Target = TIEPaintRect{};
        return o;
    }
    o.ScaleX = static_cast<double>(target.width) / source.width;
    o.ScaleY = static_cast<double>(target.height) / source.height;
    o.OriginX = target.x - source.x * o.ScaleX;
    o.OriginY = target.y - source.y * o.ScaleY;
    o.Target = target;
    o.Source = source;
    o.Filter = filter;
    return o;
}

void TIEBitmap::PaintTo(TIEBitmap& target, const TIEPaintOptions& options) {
    if (&target == this) return;
    const TIEPixelFormat format = target.PixelFormat();
    if (format != ie24RGB && format != ie32RGB) return;
    TargetRows rows;
    rows.width = target.Width();
    rows.height = target.Height();
    rows.bytesPerPixel = format == ie24RGB ? 3 : 4;
    rows.row = [&target](int y) { return target.Row(y); };
    PaintInto(*this, rows, options);
}

void TIEBitmap::PaintTo(TPlatformBitmap& target, const TIEPaintOptions& options) {
    if (fLocation == ieTBitmap && fVcl == &target) return;
    if (target.BitCount() != 24 && target.BitCount() != 32) return;
    TargetRows rows;
    rows.width = target.Width();
    rows.height = target.Height();
    rows.bytesPerPixel = target.BitCount() / 8;
    rows.row = [&target](int y) { return target.ScanLine(y); };
    PaintInto(*this, rows, options);
}

} // namespace vellinor
