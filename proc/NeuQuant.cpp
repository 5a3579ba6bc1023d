#include "proc/NeuQuant.h"

#include "image/TIEBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vellinor {

namespace {

// Fixed-point scales of the published algorithm.
constexpr int kColorShift = 4;           // colours held x 16
constexpr int32_t kFrequencyOne = 65536; // frequencies and biases in 16-bit fixed point
constexpr int kBetaShift = 10;           // beta = 1/1024
constexpr int kGammaShift = 10;          // gamma = 1024
constexpr int32_t kBeta = kFrequencyOne >> kBetaShift;
constexpr int32_t kBetaGamma = kFrequencyOne << (kGammaShift - kBetaShift);
constexpr int kBiasToColorShift = 16 - kColorShift;
constexpr int32_t kInitialAlpha = 1024;
constexpr int kRadiusShift = 6; // radius x 64
constexpr int kRadiusDecrement = 30;
constexpr int kRadiusPowerShift = 8;
constexpr int32_t kNeighbourDivisor = 1 << (10 + kRadiusPowerShift);
constexpr int kCycles = 100;
constexpr int kPrimes[4] = {499, 491, 487, 503};

} // namespace

int TIENeuQuant::SamplingFactor(int width, int height, int quality) {
    if (quality >= 0 && quality <= 100) {
        return static_cast<int>(std::trunc((100 - quality) / 100.0 * 29)) + 1;
    }
    const double pixels = static_cast<double>(width) * height;
    if (pixels < 2000) return 1;
    const double factor = std::nearbyint(13 * (pixels - 2000) / 148000.0 + 2);
    return static_cast<int>(std::clamp(factor, 1.0, 30.0));
}

TIENeuQuant::TIENeuQuant(TIEBitmap& picture, int neurons, int samplingFactor) {
    const int n = std::max(neurons, 1);
    fNetwork.resize(static_cast<size_t>(n));
    fFrequency.assign(static_cast<size_t>(n), kFrequencyOne / n);
    fBias.assign(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        const auto start = static_cast<int32_t>((static_cast<int64_t>(i) << (kColorShift + 8)) / n);
        fNetwork[static_cast<size_t>(i)] = {start, start, start, i};
    }
    if (!picture.IsVoid() && picture.PixelFormat() == ie24RGB) {
        Learn(picture, std::clamp(samplingFactor, 1, 30));
    }
    Unbias();
    BuildGreenIndex();
}

void TIENeuQuant::FillRadiusPower(int rad, int32_t alpha) {
    fRadiusPower.assign(static_cast<size_t>(std::max(rad, 0)), 0);
    const int64_t radSquared = static_cast<int64_t>(rad) * rad;
    for (int k = 0; k < rad; ++k) {
        const int64_t share =
            ((radSquared - static_cast<int64_t>(k) * k) << kRadiusPowerShift) / radSquared;
        fRadiusPower[static_cast<size_t>(k)] = static_cast<int32_t>(alpha * share);
    }
}

void TIENeuQuant::Learn(TIEBitmap& picture, int samplingFactor) {
    const int width = picture.Width();
    const int64_t pixels = static_cast<int64_t>(width) * picture.Height();
    const int64_t lengthCount = 3 * pixels;
    const int64_t samples = lengthCount / (3 * samplingFactor);
    const int64_t delta = std::max<int64_t>(samples / kCycles, 1);
    int32_t alpha = kInitialAlpha;
    const int32_t alphaDecrement = 30 + (samplingFactor - 1) / 3;
    int32_t radius = (NeuronCount() / 8) << kRadiusShift;
    auto radOf = [](int32_t r) {
        const int rad = r >> kRadiusShift;
        return rad <= 1 ? 0 : rad;
    };
    int rad = radOf(radius);
    FillRadiusPower(rad, alpha);

    int64_t step = kPrimes[3];
    for (int i = 0; i < 3; ++i) {
        if (lengthCount % kPrimes[i] != 0) {
            step = kPrimes[i];
            break;
        }
    }

    int64_t position = 0;
    for (int64_t i = 0; i < samples;) {
        const TRGB* pixel =
            reinterpret_cast<const TRGB*>(picture.Row(static_cast<int>(position / width))) +
            position % width;
        const int32_t b = pixel->b << kColorShift;
        const int32_t g = pixel->g << kColorShift;
        const int32_t r = pixel->r << kColorShift;
        const int winner = Contest(b, g, r);
        MoveWinner(alpha, winner, b, g, r);
        if (rad > 0) MoveNeighbours(rad, winner, b, g, r);

        position += step;
        if (position >= pixels) position -= pixels;
        // Pictures smaller than the step wrap more than once.
        if (position >= pixels) position %= pixels;

        ++i;
        if (i % delta == 0) {
            alpha -= alpha / alphaDecrement;
            radius -= radius / kRadiusDecrement;
            rad = radOf(radius);
            FillRadiusPower(rad, alpha);
        }
    }
}

// Finds the neuron closest to the colour (its frequency and bias grow) and
// returns the one with the best biased distance, which learns.
int TIENeuQuant::Contest(int32_t b, int32_t g, int32_t r) {
    int32_t bestDistance = std::numeric_limits<int32_t>::max();
    int32_t bestBiasedDistance = bestDistance;
    int closest = 0;
    int chosen = 0;
    const int n = NeuronCount();
    for (int i = 0; i < n; ++i) {
        const Neuron& neuron = fNetwork[static_cast<size_t>(i)];
        const int32_t distance =
            std::abs(neuron[0] - b) + std::abs(neuron[1] - g) + std::abs(neuron[2] - r);
        if (distance < bestDistance) {
            bestDistance = distance;
            closest = i;
        }
        // Arithmetic shift: a negative bias raises the biased distance.
        const int32_t biased = distance - (fBias[static_cast<size_t>(i)] >> kBiasToColorShift);
        if (biased < bestBiasedDistance) {
            bestBiasedDistance = biased;
            chosen = i;
        }
        const int32_t betaFrequency = fFrequency[static_cast<size_t>(i)] >> kBetaShift;
        fFrequency[static_cast<size_t>(i)] -= betaFrequency;
        fBias[static_cast<size_t>(i)] += betaFrequency << kGammaShift;
    }
    fFrequency[static_cast<size_t>(closest)] += kBeta;
    fBias[static_cast<size_t>(closest)] -= kBetaGamma;
    return chosen;
}

void TIENeuQuant::MoveWinner(int32_t alpha, int i, int32_t b, int32_t g, int32_t r) {
    Neuron& neuron = fNetwork[static_cast<size_t>(i)];
    neuron[0] -= (alpha * (neuron[0] - b)) / kInitialAlpha;
    neuron[1] -= (alpha * (neuron[1] - g)) / kInitialAlpha;
    neuron[2] -= (alpha * (neuron[2] - r)) / kInitialAlpha;
}

void TIENeuQuant::MoveNeighbours(int rad, int i, int32_t b, int32_t g, int32_t r) {
    const int lo = std::max(i - rad, -1);
    const int hi = std::min(i + rad, NeuronCount());
    auto move = [&](int index, int32_t a) {
        Neuron& neuron = fNetwork[static_cast<size_t>(index)];
        neuron[0] -= (a * (neuron[0] - b)) / kNeighbourDivisor;
        neuron[1] -= (a * (neuron[1] - g)) / kNeighbourDivisor;
        neuron[2] -= (a * (neuron[2] - r)) / kNeighbourDivisor;
    };
    for (int k = 1; i + k < hi || i - k > lo; ++k) {
        const int32_t a = fRadiusPower[static_cast<size_t>(k)];
        if (i + k < hi) move(i + k, a);
        if (i - k > lo) move(i - k, a);
    }
}

void TIENeuQuant::Unbias() {
    fColors.resize(fNetwork.size());
    for (size_t i = 0; i < fNetwork.size(); ++i) {
        Neuron& neuron = fNetwork[i];
        for (int c = 0; c < 3; ++c) {
            const int32_t v = neuron[static_cast<size_t>(c)];
            neuron[static_cast<size_t>(c)] =
                v >= 4088 ? 255 : std::max((v + (1 << (kColorShift - 1))) >> kColorShift, 0);
        }
        neuron[3] = static_cast<int32_t>(i);
        fColors[i] = TRGB{static_cast<uint8_t>(neuron[0]), static_cast<uint8_t>(neuron[1]),
                          static_cast<uint8_t>(neuron[2])};
    }
}

// Selection sort by green, and for each green value the position to start
// searching from.
void TIENeuQuant::BuildGreenIndex() {
    const int n = NeuronCount();
    const int last = n - 1;
    int previous = 0;
    int start = 0;
    for (int i = 0; i < n; ++i) {
        int smallest = i;
        int32_t smallestValue = fNetwork[static_cast<size_t>(i)][1];
        for (int j = i + 1; j < n; ++j) {
            if (fNetwork[static_cast<size_t>(j)][1] < smallestValue) {
                smallest = j;
                smallestValue = fNetwork[static_cast<size_t>(j)][1];
            }
        }
        if (smallest != i) {
            std::swap(fNetwork[static_cast<size_t>(i)], fNetwork[static_cast<size_t>(smallest)]);
        }
        if (smallestValue != previous) {
            fGreenIndex[static_cast<size_t>(previous)] = (start + i) >> 1;
            for (int j = previous + 1; j < smallestValue; ++j)
                fGreenIndex[static_cast<size_t>(j)] = i;
            previous = smallestValue;
            start = i;
        }
    }
    fGreenIndex[static_cast<size_t>(previous)] = (start + last) >> 1;
    for (int j = previous + 1; j < 256; ++j)
        fGreenIndex[static_cast<size_t>(j)] = last;
}

void TIENeuQuant::WritePalette(std::span<TRGB> palette) const {
    const size_t count = std::min(palette.size(), fColors.size());
    std::copy_n(fColors.begin(), count, palette.begin());
}

int TIENeuQuant::Lookup(TRGB color) const {
    const int b = color.b, g = color.g, r = color.r;
    const int n = NeuronCount();
    int bestDistance = 1000; // above the largest possible 3 x 255
    int best = -1;
    // Looks at one neuron whose green lies `ahead` beyond the colour's in the
    // direction of the walk; false once that alone is too far, which ends the
    // walk in that direction (neurons are sorted by green).
    auto visit = [&](const Neuron& p, int ahead) {
        if (ahead >= bestDistance) return false;
        const int distance = std::abs(ahead) + std::abs(p[0] - b);
        if (distance < bestDistance) {
            const int total = distance + std::abs(p[2] - r);
            if (total < bestDistance) {
                bestDistance = total;
                best = p[3];
            }
        }
        return true;
    };
    // Outward from the first neuron of this green, upward and downward in turn.
    int up = fGreenIndex[static_cast<size_t>(g)];
    int down = up - 1;
    while (up < n || down >= 0) {
        if (up < n) {
            const Neuron& p = fNetwork[static_cast<size_t>(up)];
            up = visit(p, p[1] - g) ? up + 1 : n;
        }
        if (down >= 0) {
            const Neuron& p = fNetwork[static_cast<size_t>(down)];
            down = visit(p, g - p[1]) ? down - 1 : -1;
        }
    }
    return best;
}

} // namespace vellinor
