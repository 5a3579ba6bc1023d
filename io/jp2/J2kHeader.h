#pragma once
// What a JPEG 2000 stream says about itself before OpenJPEG is let at it:
// the container, the code stream's image and tile sizes, its components, the
// layers and levels of the main header's coding style, and for JP2 files the
// colour specification, palette and channel definitions. The reader decides
// from it whether the decode may run at all (OpenJPEG allocates by the
// header's numbers, so a few hostile bytes could ask for gigabytes) and which
// colour family the picture has.

#include <array>
#include <cstdint>
#include <vector>

namespace vellinor {

class TStream;

enum class TJ2kContainer : uint8_t { Jp2, CodeStream };

// Grey, RGB and YCbCr are decoded; Unsupported (CMYK, CIELab, ...) is refused.
enum class TJ2kColorFamily : uint8_t { Gray, Rgb, YCbCr, Unsupported };

// Precinct sizes (log2) of a coding style without a precinct partition, by
// resolution.
constexpr std::array<uint8_t, 33> kWholeResolutionPrecincts = [] {
    std::array<uint8_t, 33> exponents{};
    exponents.fill(15);
    return exponents;
}();

struct TJ2kComponentInfo {
    uint32_t Width = 0; // samples, after subsampling
    uint32_t Height = 0;
    uint32_t Dx = 1; // subsampling steps on the reference grid
    uint32_t Dy = 1;
    uint32_t Precision = 0;
    bool Signed = false;
};

struct TJ2kHeader {

    TJ2kContainer Container = TJ2kContainer::CodeStream;
    // The image area on the reference grid, and the tile grid (SIZ).
    uint32_t X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    uint32_t TileX0 = 0, TileY0 = 0, TileWidth = 0, TileHeight = 0;
    uint64_t Tiles = 0;
    std::vector<TJ2kComponentInfo> Components;
    // The most demanding coding style of the main and tile-part headers
    // (COD, COC):
    // most layers, most decomposition levels, and by resolution the smallest
    // precincts (log2 of their side; 15 is the whole resolution).
    uint32_t Layers = 0;
    uint32_t Levels = 0;
    std::array<uint8_t, 33> PrecinctExponents = kWholeResolutionPrecincts;
    // Bytes of the code stream that are really there.
    int64_t CodeStreamBytes = 0;
    // How far a tile-part cut short claims more than kTruncationTolerance
    // times the bytes left from its start (0 when none does).
    uint64_t TilePartOverclaim = 0;
    // Something else than marker segments and tile-parts stands where
    // OpenJPEG would look for them before every tile was met: what it would
    // find there (it searches on) was not checked.
    bool Irregular = false;
    // JP2 only.
    bool HasColorSpecification = false;
    TJ2kColorFamily SpecifiedFamily = TJ2kColorFamily::Rgb;
    uint32_t PaletteColumns = 0; // 0 without a palette box
    bool HasChannelDefinitions = false;

    int64_t Width() const { return int64_t{X1} - X0; }
    int64_t Height() const { return int64_t{Y1} - Y0; }
    // The family the picture is decoded in: the JP2 colour specification,
    // else (raw code streams) RGB for three or more components, grey below.
    TJ2kColorFamily Family() const;
    // Samples OpenJPEG holds once decoded, all components (a palette's
    // columns included).
    uint64_t DecodedSamples() const;
    // Packets at most, by the most demanding coding style: tiles x components
    // x layers x the precincts of every resolution.
    uint64_t Packets() const;
};

// Reads the header of a JP2 file or code stream at the stream's position and
// restores the position. False when the stream is neither, or the header is
// malformed or cut short.
bool ReadJ2kHeader(TStream& stream, TJ2kHeader& header);

// True when decoding the stream costs memory and time in proportion to its
// bytes (see the limits in J2kHeader.cpp), and the picture fits a bitmap.
bool J2kDecodeAcceptable(const TJ2kHeader& header);

} // namespace vellinor
