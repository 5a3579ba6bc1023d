#pragma once
// Dekker's NeuQuant neural-net colour quantizer (1994) with its standard
// fixed-point arithmetic, for a network of any number of neurons: learns a
// palette from a sample of an ie24RGB picture and finds the nearest neuron
// of a colour through a table sorted by green.

#include "platform/Color.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vellinor {

class TIEBitmap;

class TIENeuQuant {
public:
    // Learns `neurons` colours (at least 1) from an ie24RGB picture, visiting
    // about one pixel in samplingFactor (1 ... 30).
    TIENeuQuant(TIEBitmap& picture, int neurons, int samplingFactor);

    // The sampling factor for a picture: from quality 0 ... 100 when given,
    // else (quality -1 or out of range) from the number of pixels.
    static int SamplingFactor(int width, int height, int quality);

    int NeuronCount() const { return static_cast<int>(fNetwork.size()); }
    // Neuron i's colour into palette[i], for the entries the palette has.
    void WritePalette(std::span<TRGB> palette) const;
    // The index (before sorting) of the neuron nearest to the colour by the
    // sum of absolute channel differences.
    int Lookup(TRGB color) const;

private:
    // b, g, r and, after learning, the neuron's index before sorting.
    using Neuron = std::array<int32_t, 4>;

    void Learn(TIEBitmap& picture, int samplingFactor);
    int Contest(int32_t b, int32_t g, int32_t r);
    void MoveWinner(int32_t alpha, int i, int32_t b, int32_t g, int32_t r);
    void MoveNeighbours(int rad, int i, int32_t b, int32_t g, int32_t r);
    void FillRadiusPower(int rad, int32_t alpha);
    void Unbias();
    void BuildGreenIndex();

    std::vector<Neuron> fNetwork;
    std::vector<int32_t> fFrequency;
    std::vector<int32_t> fBias;
    std::vector<int32_t> fRadiusPower;
    std::vector<TRGB> fColors; // by index before sorting, after unbias
    std::array<int, 256> fGreenIndex{};
};

} // namespace vellinor
