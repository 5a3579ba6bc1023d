#include "io/bmp/BmpRle.h"

#include "io/IOGuards.h"
#include "io/TIOProgressRec.h"

#include <algorithm>
#include <array>

namespace vellinor {

void DecodeBmpRle(std::span<const uint8_t> data, int width, int height, bool nibbles,
                  const TRleSink& sink, TIOProgressRec& progress) {
    TIEByteReader in(data);
    std::array<uint8_t, 256> run{};
    int64_t x = 0;
    int64_t row = 0;
    int lastPercent = 0;
    // Hands the part of the run inside the picture on; the position always
    // moves by the whole run.
    auto put = [&](size_t count) {
        if (row < height && x < width) {
            const auto inside = static_cast<size_t>(std::min<int64_t>(count, width - x));
            sink(static_cast<int>(row), static_cast<int>(x), std::span(run.data(), inside));
        }
        x += static_cast<int64_t>(count);
    };
    while (row < height) {
        uint8_t n = 0, v = 0;
        if (!in.Byte(n) || !in.Byte(v)) break;
        if (n > 0) {
            for (size_t i = 0; i < n; ++i)
                run[i] = nibbles ? static_cast<uint8_t>((i & 1) ? v & 15 : v >> 4) : v;
            put(n);
            continue;
        }
        switch (v) {
        case 0: // end of line
            ++row;
            x = 0;
            if (!progress.ReportUnitIfChanged(static_cast<int>(std::min<int64_t>(row, height)),
                                              lastPercent)) {
                return;
            }
            break;
        case 1: // end of bitmap
            return;
        case 2: { // delta
            uint8_t dx = 0, dy = 0;
            if (!in.Byte(dx) || !in.Byte(dy)) return;
            x += dx;
            row += dy;
            break;
        }
        default: { // absolute run of v pixels
            const size_t bytes = nibbles ? (v + 1u) / 2 : v;
            const std::span<const uint8_t> literal = in.Bytes(std::min(bytes, in.Left()));
            const size_t pixels =
                std::min<size_t>(v, nibbles ? literal.size() * 2 : literal.size());
            for (size_t i = 0; i < pixels; ++i) {
                run[i] = nibbles ? static_cast<uint8_t>((i & 1) ? literal[i / 2] & 15
                                                                : literal[i / 2] >> 4)
                                 : literal[i];
            }
            put(pixels);
            if (bytes & 1) in.Skip(1); // to a 16-bit boundary
            break;
        }
        }
    }
}

namespace {

void FlushLiterals(std::span<const uint8_t> literals, bool nibbles, std::vector<uint8_t>& out) {
    while (!literals.empty()) {
        const size_t n = std::min<size_t>(literals.size(), 255);
        const auto chunk = literals.first(n);
        literals = literals.subspan(n);
        if (n == 1) {
            out.push_back(1);
            out.push_back(nibbles ? static_cast<uint8_t>(chunk[0] << 4) : chunk[0]);
        } else if (n == 2 && !nibbles) {
            out.insert(out.end(), {1, chunk[0], 1, chunk[1]});
        } else if (n == 2) {
            out.push_back(2);
            out.push_back(static_cast<uint8_t>((chunk[0] << 4) | (chunk[1] & 15)));
        } else {
            out.push_back(0);
            out.push_back(static_cast<uint8_t>(n));
            size_t dataBytes = 0;
            if (nibbles) {
                for (size_t i = 0; i < n; i += 2) {
                    const uint8_t low = i + 1 < n ? (chunk[i + 1] & 15) : 0;
                    out.push_back(static_cast<uint8_t>((chunk[i] << 4) | low));
                    ++dataBytes;
                }
            } else {
                out.insert(out.end(), chunk.begin(), chunk.end());
                dataBytes = n;
            }
            if (dataBytes & 1) out.push_back(0);
        }
    }
}

void EncodeRow(std::span<const uint8_t> idx, bool nibbles, std::vector<uint8_t>& out) {
    const size_t count = idx.size();
    size_t p = 0, s = 0;
    while (p < count) {
        if (p - s > 255) {
            FlushLiterals(idx.subspan(s, p - s), nibbles, out);
            s = p;
        }
        if (p + 1 >= count || idx[p] != idx[p + 1]) {
            ++p;
            continue;
        }
        FlushLiterals(idx.subspan(s, p - s), nibbles, out);
        size_t end = p + 1;
        while (end < count && end - p < 255 && idx[end] == idx[p])
            ++end;
        out.push_back(static_cast<uint8_t>(end - p));
        out.push_back(nibbles ? static_cast<uint8_t>((idx[p] & 15) * 17) : idx[p]);
        s = p = end;
    }
    FlushLiterals(idx.subspan(s, count - s), nibbles, out);
    out.push_back(0);
    out.push_back(0);
}

} // namespace

void EncodeRle8Row(std::span<const uint8_t> indexes, std::vector<uint8_t>& out) {
    EncodeRow(indexes, false, out);
}

void EncodeRle4Row(std::span<const uint8_t> indexes, std::vector<uint8_t>& out) {
    EncodeRow(indexes, true, out);
}

} // namespace vellinor
