// The soft shadow: Gaussian (16.16 fixed point, separable, rows then columns)
// or 3 x 3 box blur of the coverage inside the object's region, the offset
// move, and the composition of shadow colour under the object.
//
// The blur works only where it can change something: a row or column whose
// inputs within the kernel's reach are all 0 stays 0, because a sum of zeros
// plus the rounding half shifts to 0. That keeps the cost to the glyphs and
// their surroundings while the results are those of the full region.

#include "vect/SoftShadow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace vellinor {

namespace {

constexpr int kKernelHalf = 100;

struct TKernel {
    std::array<int32_t, 2 * kKernelHalf + 1> Weights{}; // index d + 100
    int Reach = 1;
};

TKernel GaussianKernel(double radius) {
    TKernel k;
    std::array<double, 2 * kKernelHalf + 1> w{};
    double sum = 0;
    for (int d = -kKernelHalf; d <= kKernelHalf; ++d) {
        const double t = d / radius;
        w[static_cast<size_t>(d + kKernelHalf)] = std::exp(-(t * t) / 2);
        sum += w[static_cast<size_t>(d + kKernelHalf)];
    }
    for (size_t i = 0; i < w.size(); ++i)
        k.Weights[i] = static_cast<int32_t>(std::nearbyint(w[i] / sum * 65536));
    k.Reach = 1;
    for (int d = kKernelHalf; d >= 1; --d) {
        if (k.Weights[static_cast<size_t>(kKernelHalf + d)] != 0 ||
            k.Weights[static_cast<size_t>(kKernelHalf - d)] != 0) {
            k.Reach = d;
            break;
        }
    }
    return k;
}

uint8_t FixedToByte(int64_t sum) {
    return static_cast<uint8_t>(std::min<int64_t>((sum + 32768) >> 16, 255));
}

// Truncation of a value that is a whole number in exact arithmetic but may
// come out a hair below it in floating point (the inputs are multiples of
// 1/255 or 1/300, so no other value is this close to a whole number).
int TruncOf(double v) {
    return static_cast<int>(std::floor(v + 1e-7));
}

// An inclusive rectangle in the coordinates of the whole bitmap.
struct TBox {
    int x0, y0, x1, y1;
    bool Empty() const { return x1 < x0 || y1 < y0; }
    int Width() const { return x1 - x0 + 1; }
    int Height() const { return y1 - y0 + 1; }
};

// The bitmap part and the coordinates of the whole bitmap it belongs to.
class TPart {
public:
    TPart(TIEBitmap& bitmap, TIEBitmap& plane, int originX, int originY, int width, int height)
        : fBitmap(bitmap), fPlane(plane), fOriginX(originX), fOriginY(originY), fWidth(width),
          fHeight(height) {}

    // Clamps a region to the whole bitmap (each coordinate to 0 ... size - 1),
    // then keeps the part that is held.
    TBox Clamp(int64_t x0, int64_t y0, int64_t x1, int64_t y1) const {
        TBox b{ClampX(x0), ClampY(y0), ClampX(x1), ClampY(y1)};
        return Held(b);
    }
    TBox Held(TBox b) const {
        b.x0 = std::max(b.x0, fOriginX);
        b.y0 = std::max(b.y0, fOriginY);
        b.x1 = std::min(b.x1, fOriginX + fPlane.Width() - 1);
        b.y1 = std::min(b.y1, fOriginY + fPlane.Height() - 1);
        return b;
    }
    int ClampX(int64_t x) const { return static_cast<int>(std::clamp<int64_t>(x, 0, fWidth - 1)); }
    int ClampY(int64_t y) const { return static_cast<int>(std::clamp<int64_t>(y, 0, fHeight - 1)); }
    // Alpha row y; index it with Col(x).
    uint8_t* Alpha(int y) { return fPlane.Row(y - fOriginY); }
    uint8_t* Pixels(int y) { return fBitmap.Row(y - fOriginY); }
    int Col(int x) const { return x - fOriginX; }
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }

private:
    TIEBitmap& fBitmap;
    TIEBitmap& fPlane;
    int fOriginX, fOriginY, fWidth, fHeight;
};

// Rows then columns, each output (sum of weight x value + 32768) >> 16, with
// positions outside the region taking the nearest end's value.
void GaussianBlur(TPart& part, const TBox& r, const TKernel& k) {
    const int reach = k.Reach;
    const int32_t* w = &k.Weights[static_cast<size_t>(kKernelHalf - reach)];
    const int taps = 2 * reach + 1;
    const int width = r.Width(), height = r.Height();

    // Rows. ux/uy: the columns and rows that can be non-zero afterwards.
    std::vector<uint8_t> padded(static_cast<size_t>(width + 2 * reach));
    int ux0 = r.x1 + 1, ux1 = r.x0 - 1, uy0 = r.y1 + 1, uy1 = r.y0 - 1;
    for (int y = r.y0; y <= r.y1; ++y) {
        uint8_t* row = part.Alpha(y) + part.Col(r.x0);
        int first = -1, last = -1;
        for (int i = 0; i < width; ++i) {
            if (row[i] == 0) continue;
            if (first < 0) first = i;
            last = i;
        }
        if (first < 0) continue;
        std::memcpy(padded.data() + reach, row, static_cast<size_t>(width));
        std::fill(padded.begin(), padded.begin() + reach, row[0]);
        std::fill(padded.end() - reach, padded.end(), row[width - 1]);
        const int lo = std::max(0, first - reach), hi = std::min(width - 1, last + reach);
        for (int i = lo; i <= hi; ++i) {
            const uint8_t* in = padded.data() + i; // in[reach] is position i
            int32_t sum = 0;
            for (int t = 0; t < taps; ++t)
                sum += w[t] * in[t];
            row[i] = FixedToByte(sum);
        }
        ux0 = std::min(ux0, r.x0 + lo);
        ux1 = std::max(ux1, r.x0 + hi);
        uy0 = std::min(uy0, y);
        uy1 = std::max(uy1, y);
    }
    if (ux0 > ux1) return;

    // Columns, a whole row of the touched columns at a time.
    const int cols = ux1 - ux0 + 1;
    const int paddedRows = height + 2 * reach;
    std::vector<uint8_t> columnInput(static_cast<size_t>(cols) * paddedRows);
    auto inputRow = [&](int i) { return columnInput.data() + static_cast<size_t>(i) * cols; };
    for (int i = 0; i < paddedRows; ++i) {
        const int y = std::clamp(r.y0 + i - reach, r.y0, r.y1);
        std::memcpy(inputRow(i), part.Alpha(y) + part.Col(ux0), static_cast<size_t>(cols));
    }
    std::vector<int32_t> sum(static_cast<size_t>(cols));
    const int lo = std::max(r.y0, uy0 - reach), hi = std::min(r.y1, uy1 + reach);
    for (int y = lo; y <= hi; ++y) {
        std::fill(sum.begin(), sum.end(), 0);
        const int base = y - r.y0; // padded row base + reach is position y
        for (int t = 0; t < taps; ++t) {
            const int32_t weight = w[t];
            if (weight == 0) continue;
            const uint8_t* in = inputRow(base + t);
            for (int x = 0; x < cols; ++x)
                sum[static_cast<size_t>(x)] += weight * in[x];
        }
        uint8_t* out = part.Alpha(y) + part.Col(ux0);
        for (int x = 0; x < cols; ++x)
            out[x] = FixedToByte(sum[static_cast<size_t>(x)]);
    }
}

// 3 x 3, all weights 1, divided by 9; neighbours outside the bitmap are the
// nearest edge pixel.
void BoxBlur(TPart& part, const TBox& r) {
    // The input: the region and one pixel around it, as far as the bitmap
    // reaches (further out, edge pixels are repeated).
    const TBox in =
        part.Clamp(int64_t{r.x0} - 1, int64_t{r.y0} - 1, int64_t{r.x1} + 1, int64_t{r.y1} + 1);
    const int iw = in.Width();
    std::vector<uint8_t> copy(static_cast<size_t>(iw) * in.Height());
    bool any = false;
    for (int y = in.y0; y <= in.y1; ++y) {
        const uint8_t* row = part.Alpha(y) + part.Col(in.x0);
        std::memcpy(copy.data() + static_cast<size_t>(y - in.y0) * iw, row,
                    static_cast<size_t>(iw));
        any = any || std::any_of(row, row + iw, [](uint8_t v) { return v != 0; });
    }
    if (!any) return;
    auto at = [&](int x, int y) {
        x = std::clamp(x, in.x0, in.x1);
        y = std::clamp(y, in.y0, in.y1);
        return copy[static_cast<size_t>(y - in.y0) * iw + static_cast<size_t>(x - in.x0)];
    };
    for (int y = r.y0; y <= r.y1; ++y) {
        uint8_t* out = part.Alpha(y);
        for (int x = r.x0; x <= r.x1; ++x) {
            int sum = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    sum += at(x + dx, y + dy);
            out[part.Col(x)] = static_cast<uint8_t>(sum / 9);
        }
    }
}

// The region's content moves by (dx, dy); what leaves the bitmap is cut off.
void MoveRegion(TPart& part, const TBox& r, int dx, int dy) {
    const int w = r.Width();
    std::vector<uint8_t> copy(static_cast<size_t>(w) * r.Height());
    for (int y = r.y0; y <= r.y1; ++y) {
        uint8_t* row = part.Alpha(y) + part.Col(r.x0);
        std::memcpy(copy.data() + static_cast<size_t>(y - r.y0) * w, row, static_cast<size_t>(w));
        std::memset(row, 0, static_cast<size_t>(w));
    }
    // Clamped so that a destination wholly outside comes out empty.
    const int64_t x0 = int64_t{r.x0} + dx, y0 = int64_t{r.y0} + dy;
    const int64_t x1 = int64_t{r.x1} + dx, y1 = int64_t{r.y1} + dy;
    const TBox dest =
        part.Held(TBox{static_cast<int>(std::clamp<int64_t>(x0, 0, part.Width())),
                       static_cast<int>(std::clamp<int64_t>(y0, 0, part.Height())),
                       static_cast<int>(std::clamp<int64_t>(x1, -1, part.Width() - 1)),
                       static_cast<int>(std::clamp<int64_t>(y1, -1, part.Height() - 1))});
    if (dest.Empty()) return;
    for (int y = dest.y0; y <= dest.y1; ++y) {
        const uint8_t* src = copy.data() + static_cast<size_t>(y - dy - r.y0) * w +
                             static_cast<size_t>(dest.x0 - dx - r.x0);
        std::memcpy(part.Alpha(y) + part.Col(dest.x0), src, static_cast<size_t>(dest.Width()));
    }
}

struct TCompose {
    TRGB Colour;
    double N = 1; // the pure shadow's alpha is divided by it
};

// One ie24RGB pixel under coverage c and shadow s; returns the new alpha.
uint8_t ComposePixel(uint8_t* p, int c, int s, const TCompose& k) {
    if (c == 0) {
        if (s == 0) return 0;
        p[0] = k.Colour.b;
        p[1] = k.Colour.g;
        p[2] = k.Colour.r;
        return static_cast<uint8_t>(k.N == 1 ? s : TruncOf(s / k.N));
    }
    if (c == 255) return 255;
    const double a = c / 255.0, sh = s / 255.0;
    const uint8_t colour[3] = {k.Colour.b, k.Colour.g, k.Colour.r};
    for (int ch = 0; ch < 3; ++ch) {
        const int shadowed = TruncOf(colour[ch] * sh + (1 - sh) * p[ch]);
        p[ch] = static_cast<uint8_t>(TruncOf(p[ch] * a + (1 - a) * shadowed));
    }
    return static_cast<uint8_t>(TruncOf(((1 - a) * sh + a) * 255));
}

} // namespace

int SoftShadowMargin(int offsetX, int offsetY, double radius) {
    if (!std::isfinite(radius)) radius = std::isnan(radius) ? 0 : 1e8;
    radius = std::min(std::abs(radius), 1e8);
    const double marginRadius = radius == 0 ? 2 : radius;
    const int64_t offset = std::max(std::llabs(offsetX), std::llabs(offsetY));
    const int64_t m = 2 * offset + static_cast<int64_t>(std::trunc(marginRadius * 5));
    return static_cast<int>(std::clamp<int64_t>(m, 1, 1 << 29));
}

int ApplySoftShadowInPart(TIEBitmap& bitmap, int originX, int originY, int width, int height,
                          int offsetX, int offsetY, double radius, int intensity, TRGB colour,
                          int left, int top, int right, int bottom, TRect* alphaBounds) {
    const int margin = SoftShadowMargin(offsetX, offsetY, radius);
    const int half = margin / 2;
    if (alphaBounds != nullptr) *alphaBounds = TRect{};
    if (!std::isfinite(radius)) radius = std::isnan(radius) ? 0 : 1e8;
    radius = std::abs(radius);
    TIEBitmap* plane = bitmap.AlphaPlane();
    if (plane == nullptr || width <= 0 || height <= 0 || bitmap.IsVoid()) return margin;
    plane->Opaque = false;
    TPart part(bitmap, *plane, originX, originY, width, height);

    // The coverage before blurring, over the compose region.
    const TBox compose = part.Clamp(int64_t{left} - margin, int64_t{top} - margin,
                                    int64_t{right} + margin, int64_t{bottom} + margin);
    if (compose.Empty()) return margin;
    const int cw = compose.Width();
    std::vector<uint8_t> coverage(static_cast<size_t>(cw) * compose.Height());
    for (int y = compose.y0; y <= compose.y1; ++y)
        std::memcpy(coverage.data() + static_cast<size_t>(y - compose.y0) * cw,
                    part.Alpha(y) + part.Col(compose.x0), static_cast<size_t>(cw));

    const TBox blur = part.Clamp(int64_t{left} - half, int64_t{top} - half, int64_t{right} + half,
                                 int64_t{bottom} + half);
    if (!blur.Empty()) {
        if (radius == 0) {
            BoxBlur(part, blur);
        } else {
            GaussianBlur(part, blur, GaussianKernel(radius));
        }
        if (offsetX != 0 || offsetY != 0) MoveRegion(part, blur, offsetX, offsetY);
    }

    const TIEPixelFormat format = bitmap.PixelFormat();
    TCompose k;
    k.Colour = colour;
    k.N = 3 - 2 * std::clamp(intensity, 0, 100) / 100.0;
    int bx0 = std::numeric_limits<int>::max(), by0 = bx0, bx1 = -1, by1 = -1;
    for (int y = compose.y0; y <= compose.y1; ++y) {
        const uint8_t* c = coverage.data() + static_cast<size_t>(y - compose.y0) * cw;
        uint8_t* s = part.Alpha(y) + part.Col(compose.x0);
        uint8_t* pixels = format == ie24RGB || format == ie1g ? part.Pixels(y) : nullptr;
        int rowFirst = -1, rowLast = -1;
        for (int i = 0; i < cw; ++i) {
            if (c[i] == 0 && s[i] == 0) continue;
            const int x = compose.x0 + i;
            if (format == ie24RGB) {
                s[i] = ComposePixel(pixels + 3 * static_cast<size_t>(part.Col(x)), c[i], s[i], k);
            } else if (format == ie1g) {
                if (c[i] == 0) {
                    const int col = part.Col(x);
                    pixels[col >> 3] =
                        static_cast<uint8_t>(pixels[col >> 3] & ~(0x80 >> (col & 7)));
                } else {
                    s[i] = c[i];
                }
            }
            if (s[i] != 0) {
                if (rowFirst < 0) rowFirst = x;
                rowLast = x;
            }
        }
        if (rowFirst >= 0) {
            bx0 = std::min(bx0, rowFirst);
            bx1 = std::max(bx1, rowLast);
            by0 = std::min(by0, y);
            by1 = y;
        }
    }
    if (alphaBounds != nullptr && bx1 >= 0) *alphaBounds = TRect{bx0, by0, bx1 + 1, by1 + 1};
    return margin;
}

int ApplySoftShadow(TIEBitmap& bitmap, int offsetX, int offsetY, double radius, int intensity,
                    uint32_t colour, int left, int top, int right, int bottom) {
    const TRGB rgb = MakeRGB(static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                             static_cast<uint8_t>(colour));
    return ApplySoftShadowInPart(bitmap, 0, 0, bitmap.Width(), bitmap.Height(), offsetX, offsetY,
                                 radius, intensity, rgb, left, top, right, bottom, nullptr);
}

} // namespace vellinor
