#include "view/ViewBackground.h"

#include "image/TIEBitmap.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace vellinor {

namespace {

void FillRow(uint8_t* row, int width, TRGB color) {
    for (int x = 0; x < width; ++x)
        std::copy_n(&color.b, 3, row + 3 * x);
}

} // namespace

bool BrushPatternCovers(TBrushStyle style, int x, int y) {
    const int px = x & 7, py = y & 7;
    switch (style) {
    case bsSolid:
        return true;
    case bsHorizontal:
        return py == 0;
    case bsVertical:
        return px == 0;
    case bsFDiagonal:
        return px == py;
    case bsBDiagonal:
        return px + py == 7;
    case bsCross:
        return px == 0 || py == 0;
    case bsDiagCross:
        return px == py || px + py == 7;
    default:
        return false;
    }
}

void PaintViewBackground(TIEBitmap& buffer, TIEBackgroundStyle style, TColor background,
                         int squareSize, TBrushStyle brushStyle) {
    if (buffer.PixelFormat() != ie24RGB || buffer.IsVoid()) return;
    const int width = buffer.Width(), height = buffer.Height();
    if (style != iebsChessboard) {
        const TRGB color = TColor2TRGB(background);
        for (int y = 0; y < height; ++y)
            FillRow(buffer.Row(y), width, color);
        return;
    }
    const int square = std::max(squareSize, 1);
    const TRGB light = TColor2TRGB(kChessboardLight);
    const TRGB dark = TColor2TRGB(kChessboardDark);
    // Rows repeat with the pattern period: build each distinct row once.
    const int period =
        brushStyle == bsSolid || brushStyle == bsClear ? 2 * square : std::lcm(2 * square, 8);
    std::vector<std::vector<uint8_t>> patterns;
    for (int y = 0; y < std::min(period, height); ++y) {
        std::vector<uint8_t> row(3 * static_cast<size_t>(width));
        const bool oddRow = (y / square) % 2 != 0;
        for (int x = 0; x < width; ++x) {
            const bool darkSquare = ((x / square) % 2 != 0) != oddRow;
            const TRGB c = darkSquare && BrushPatternCovers(brushStyle, x, y) ? dark : light;
            std::copy_n(&c.b, 3, row.data() + 3 * x);
        }
        patterns.push_back(std::move(row));
    }
    for (int y = 0; y < height; ++y)
        std::copy(patterns[static_cast<size_t>(y % period)].begin(),
                  patterns[static_cast<size_t>(y % period)].end(), buffer.Row(y));
}

} // namespace vellinor
