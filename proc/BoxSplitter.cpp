#include "proc/BoxSplitter.h"

#include "image/TIEBitmap.h"

#include <algorithm>
#include <cmath>

namespace vellinor {

namespace {

constexpr int kBins = 32;
// The result of a channel that cannot be split: above any real spread.
constexpr double kNoSplit = 17523.6;

int BinIndex(int r, int g, int b) {
    return r << 10 | g << 5 | b;
}

} // namespace

TIEBoxSplitter::TIEBoxSplitter(TIEBitmap& picture, int colors)
    : fCounts(kBins * kBins * kBins, 0), fBoxOfBin(kBins * kBins * kBins, 0) {
    if (!picture.IsVoid() && picture.PixelFormat() == ie24RGB) {
        const int width = picture.Width();
        for (int y = 0; y < picture.Height(); ++y) {
            const auto* row = reinterpret_cast<const TRGB*>(picture.Row(y));
            for (int x = 0; x < width; ++x)
                ++fCounts[static_cast<size_t>(BinOf(row[x]))];
        }
        fTotal = static_cast<uint64_t>(width) * static_cast<uint64_t>(picture.Height());
    }
    if (fTotal == 0) return;
    Box all;
    for (int r = 0; r < kBins; ++r)
        for (int g = 0; g < kBins; ++g)
            for (int b = 0; b < kBins; ++b) {
                const uint64_t v = fCounts[static_cast<size_t>(BinIndex(r, g, b))];
                all.histogram[0][static_cast<size_t>(r)] += v;
                all.histogram[1][static_cast<size_t>(g)] += v;
                all.histogram[2][static_cast<size_t>(b)] += v;
            }
    all.count = fTotal;
    Measure(all);
    fBoxes.push_back(all);
    SplitUntil(std::max(colors, 1));
    MarkBins();
}

void TIEBoxSplitter::Measure(Box& box) const {
    const double n = static_cast<double>(box.count);
    double spread = 0;
    for (size_t c = 0; c < 3; ++c) {
        double sum = 0, squares = 0;
        for (int bin = box.lo[c]; bin <= box.hi[c]; ++bin) {
            const double v = static_cast<double>(box.histogram[c][static_cast<size_t>(bin)]);
            sum += bin * v;
            squares += static_cast<double>(bin) * bin * v;
        }
        const double mean = n > 0 ? sum / n : 0;
        box.mean[c] = mean;
        spread += squares - mean * mean * n;
    }
    box.weight = spread / static_cast<double>(fTotal);
}

bool TIEBoxSplitter::Split(const Box& box, int channel, Box& first, Box& second) const {
    const auto ch = static_cast<size_t>(channel);
    if (box.lo[ch] == box.hi[ch]) return false;
    const auto& counts = box.histogram[ch];
    const uint64_t n = box.count;
    const double m = box.mean[ch];
    const int lo = static_cast<int>(std::nearbyint((box.lo[ch] + m) / 2));
    const int hi = static_cast<int>(std::nearbyint((box.hi[ch] + 1 + m) / 2));
    uint64_t c = 0;
    for (int e = box.lo[ch]; e < lo; ++e)
        c += counts[static_cast<size_t>(e)];
    double t = 0;
    double bestScore = -1;
    int cut = lo;
    uint64_t bestCount = n;
    for (int e = lo; e <= hi && e < kBins; ++e) {
        c += counts[static_cast<size_t>(e)];
        if (c == n) break;
        t += static_cast<double>(counts[static_cast<size_t>(e)]) * e / static_cast<double>(n);
        const double d = m - t;
        const double score = static_cast<double>(c) / static_cast<double>(n - c) * d * d;
        if (score > bestScore) {
            bestScore = score;
            cut = e;
            bestCount = c;
        }
    }
    if (bestCount == 0 || bestCount >= n) return false;

    first = Box{};
    second = Box{};
    first.lo = second.lo = box.lo;
    first.hi = second.hi = box.hi;
    first.hi[ch] = cut;
    second.lo[ch] = cut + 1;
    for (Box* part : {&first, &second}) {
        for (int r = part->lo[0]; r <= part->hi[0]; ++r)
            for (int g = part->lo[1]; g <= part->hi[1]; ++g)
                for (int b = part->lo[2]; b <= part->hi[2]; ++b) {
                    const uint64_t v = fCounts[static_cast<size_t>(BinIndex(r, g, b))];
                    part->histogram[0][static_cast<size_t>(r)] += v;
                    part->histogram[1][static_cast<size_t>(g)] += v;
                    part->histogram[2][static_cast<size_t>(b)] += v;
                    part->count += v;
                }
        if (part->count == 0) return false;
        for (size_t k = 0; k < 3; ++k) {
            const auto& h = part->histogram[k];
            while (h[static_cast<size_t>(part->lo[k])] == 0)
                ++part->lo[k];
            while (h[static_cast<size_t>(part->hi[k])] == 0)
                --part->hi[k];
        }
        Measure(*part);
    }
    return true;
}

void TIEBoxSplitter::SplitUntil(int colors) {
    while (static_cast<int>(fBoxes.size()) < colors) {
        int heaviest = -1;
        for (size_t i = 0; i < fBoxes.size(); ++i) {
            if (fBoxes[i].weight > 0 &&
                (heaviest < 0 || fBoxes[i].weight > fBoxes[static_cast<size_t>(heaviest)].weight)) {
                heaviest = static_cast<int>(i);
            }
        }
        if (heaviest < 0) return;
        Box& box = fBoxes[static_cast<size_t>(heaviest)];

        double bestResult = kNoSplit;
        Box bestFirst, bestSecond;
        bool found = false;
        for (int channel = 0; channel < 3; ++channel) {
            Box first, second;
            const double result =
                Split(box, channel, first, second) ? first.weight + second.weight : kNoSplit;
            if (result < bestResult) {
                bestResult = result;
                bestFirst = first;
                bestSecond = second;
                found = true;
            }
        }
        if (!found) {
            box.weight = 0;
            continue;
        }
        box = bestFirst;
        fBoxes.push_back(bestSecond);
    }
}

void TIEBoxSplitter::MarkBins() {
    for (size_t i = 0; i < fBoxes.size(); ++i) {
        const Box& box = fBoxes[i];
        for (int r = box.lo[0]; r <= box.hi[0]; ++r)
            for (int g = box.lo[1]; g <= box.hi[1]; ++g)
                for (int b = box.lo[2]; b <= box.hi[2]; ++b)
                    fBoxOfBin[static_cast<size_t>(BinIndex(r, g, b))] = static_cast<uint16_t>(i);
    }
}

void TIEBoxSplitter::WritePalette(std::span<TRGB> palette) const {
    const size_t count = std::min(palette.size(), fBoxes.size());
    for (size_t i = 0; i < count; ++i) {
        const Box& box = fBoxes[i];
        auto channel = [&](size_t c) {
            return static_cast<uint8_t>(static_cast<int>(std::nearbyint(box.mean[c])) * 8);
        };
        palette[i] = MakeRGB(channel(0), channel(1), channel(2));
    }
}

} // namespace vellinor
