#include "io/jp2/J2kHeader.h"

#include "image/PixelFormat.h"
#include "io/IOGuards.h"
#include "io/jp2/J2kCodec.h"
#include "platform/Stream.h"

#include <algorithm>
#include <limits>

namespace vellinor {

namespace {

// --- Limits of a decode ----------------------------------------------------
// A well-formed code stream spends bytes on what OpenJPEG allocates and walks:
// every tile has a tile-part header (SOT and SOD, 14 bytes), every
// tile-component and every packet at least one byte. Samples have no such
// floor (an empty code block costs a bit), so they are held to a generous
// best ratio. Streams cut short still decode when the bytes present cover a
// quarter of what the header claims (kTruncationTolerance); below the free
// allowances no bound from the data applies.
constexpr uint64_t kMaxTiles = 65535; // the code stream's own limit
constexpr int64_t kTilePartHeaderBytes = 14;
constexpr uint64_t kFreeTiles = 64;
constexpr uint64_t kFreeTileComponents = 4096;
constexpr uint64_t kFreePackets = uint64_t{1} << 22;
constexpr uint64_t kFreeSamples = uint64_t{1} << 24;
constexpr uint64_t kMaxSamples = uint64_t{1} << 29; // 2 GiB of 32-bit samples
// Samples per byte at best: 1 / 1000 of a byte per 8-bit sample is what the
// writer's smallest rate gives.
constexpr double kBestSamplesPerByte = 1024;
constexpr uint32_t kMaxComponents = 16384;
// OpenJPEG allocates a tile-part's claimed length before reading it.
constexpr uint64_t kFreeTilePartClaim = uint64_t{1} << 20;

constexpr uint32_t Tag(const char (&name)[5]) {
    return (uint32_t(uint8_t(name[0])) << 24) | (uint32_t(uint8_t(name[1])) << 16) |
           (uint32_t(uint8_t(name[2])) << 8) | uint32_t(uint8_t(name[3]));
}

uint16_t BE16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
uint32_t BE32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint64_t BE64(const uint8_t* p) {
    return (uint64_t{BE32(p)} << 32) | BE32(p + 4);
}

uint64_t CeilDiv(uint64_t a, uint64_t b) {
    return (a + b - 1) / b;
}

// Saturating products keep the limit checks free of overflow.
uint64_t Times(uint64_t a, uint64_t b) {
    if (a != 0 && b > std::numeric_limits<uint64_t>::max() / a) {
        return std::numeric_limits<uint64_t>::max();
    }
    return a * b;
}

uint64_t Plus(uint64_t a, uint64_t b) {
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max()
                                                        : a + b;
}

uint64_t AtLeast(uint64_t allowance, int64_t bytes, double perByte) {
    const double fromData = static_cast<double>(std::max<int64_t>(bytes, 0)) * perByte *
                            static_cast<double>(kTruncationTolerance);
    return std::max<uint64_t>(allowance, fromData >= 1.8e19 ? std::numeric_limits<uint64_t>::max()
                                                            : static_cast<uint64_t>(fromData));
}

// --- Reading ---------------------------------------------------------------

bool ReadAt(TStream& stream, int64_t position, void* buffer, int64_t count) {
    return stream.Seek(position, TSeekOrigin::soBeginning) == position &&
           stream.ReadExact(buffer, count);
}

// One box: where its content starts and how long it is (clipped to `end`).
struct TBox {
    uint32_t Type = 0;
    int64_t Content = 0;
    int64_t Length = 0;
    int64_t End() const { return Content + Length; }
};

bool ReadBox(TStream& stream, int64_t position, int64_t end, TBox& box) {
    uint8_t head[16];
    if (end - position < 8 || !ReadAt(stream, position, head, 8)) return false;
    const uint64_t length = BE32(head);
    box.Type = BE32(head + 4);
    int64_t headerSize = 8;
    uint64_t total = length;
    if (length == 1) {
        if (end - position < 16 || !stream.ReadExact(head + 8, 8)) return false;
        headerSize = 16;
        total = BE64(head + 8);
    } else if (length == 0) {
        total = static_cast<uint64_t>(end - position);
    }
    if (total < static_cast<uint64_t>(headerSize)) return false;
    box.Content = position + headerSize;
    const uint64_t available = static_cast<uint64_t>(end - box.Content);
    box.Length = static_cast<int64_t>(std::min(total - headerSize, available));
    return true;
}

TJ2kColorFamily FamilyOfEnumerated(uint32_t colorSpace) {
    switch (colorSpace) {
    case 16: // sRGB
        return TJ2kColorFamily::Rgb;
    case 17: // greyscale
        return TJ2kColorFamily::Gray;
    case 18: // sYCC
        return TJ2kColorFamily::YCbCr;
    default:
        return TJ2kColorFamily::Unsupported;
    }
}

TJ2kColorFamily FamilyOfProfile(uint32_t profileColorSpace) {
    if (profileColorSpace == Tag("RGB ")) return TJ2kColorFamily::Rgb;
    if (profileColorSpace == Tag("GRAY")) return TJ2kColorFamily::Gray;
    if (profileColorSpace == Tag("YCbr")) return TJ2kColorFamily::YCbCr;
    return TJ2kColorFamily::Unsupported;
}

void ReadColorSpecification(TStream& stream, const TBox& box, TJ2kHeader& header) {
    uint8_t head[3 + 20];
    if (box.Length < 3 || !ReadAt(stream, box.Content, head, 3)) return;
    const uint8_t method = head[0];
    if (method == 1 && box.Length >= 7 && stream.ReadExact(head + 3, 4)) {
        header.HasColorSpecification = true;
        header.SpecifiedFamily = FamilyOfEnumerated(BE32(head + 3));
    } else if ((method == 2 || method == 3) && box.Length >= 3 + 20 &&
               stream.ReadExact(head + 3, 20)) {
        // The profile's colour space signature sits at its byte 16.
        header.HasColorSpecification = true;
        header.SpecifiedFamily = FamilyOfProfile(BE32(head + 3 + 16));
    }
    // Other methods say nothing we can use: the component count decides.
}

bool ReadJp2HeaderBox(TStream& stream, const TBox& jp2h, TJ2kHeader& header) {
    bool sawColor = false;
    for (int64_t position = jp2h.Content; position < jp2h.End();) {
        TBox box;
        if (!ReadBox(stream, position, jp2h.End(), box)) break;
        if (box.Type == Tag("colr") && !sawColor) {
            sawColor = true; // the first colour specification is the one that counts
            ReadColorSpecification(stream, box, header);
        } else if (box.Type == Tag("pclr")) {
            uint8_t head[3];
            if (box.Length < 3 || !ReadAt(stream, box.Content, head, 3)) return false;
            header.PaletteColumns = head[2];
        } else if (box.Type == Tag("cdef")) {
            header.HasChannelDefinitions = true;
        }
        position = box.End();
    }
    return true;
}

// The image and tile sizes and the components (SIZ), at the code stream's start.
bool ReadSize(TStream& stream, int64_t start, TJ2kHeader& header) {
    uint8_t fixed[4 + 38];
    if (!ReadAt(stream, start, fixed, sizeof(fixed))) return false;
    if (BE16(fixed) != 0xFF4F || BE16(fixed + 2) != 0xFF51) return false;
    const uint8_t* siz = fixed + 4;
    const uint32_t segmentLength = BE16(siz);
    header.X1 = BE32(siz + 4);
    header.Y1 = BE32(siz + 8);
    header.X0 = BE32(siz + 12);
    header.Y0 = BE32(siz + 16);
    header.TileWidth = BE32(siz + 20);
    header.TileHeight = BE32(siz + 24);
    header.TileX0 = BE32(siz + 28);
    header.TileY0 = BE32(siz + 32);
    const uint32_t components = BE16(siz + 36);
    if (components == 0 || components > kMaxComponents || segmentLength != 38 + 3 * components) {
        return false;
    }
    if (header.X1 <= header.X0 || header.Y1 <= header.Y0 || header.TileWidth == 0 ||
        header.TileHeight == 0 || header.TileX0 > header.X0 || header.TileY0 > header.Y0) {
        return false;
    }
    header.Tiles = Times(CeilDiv(uint64_t{header.X1} - header.TileX0, header.TileWidth),
                         CeilDiv(uint64_t{header.Y1} - header.TileY0, header.TileHeight));
    std::vector<uint8_t> entries(3 * components);
    if (!stream.ReadExact(entries.data(), static_cast<int64_t>(entries.size()))) return false;
    header.Components.resize(components);
    for (uint32_t i = 0; i < components; ++i) {
        TJ2kComponentInfo& c = header.Components[i];
        const uint8_t* entry = entries.data() + 3 * i;
        c.Precision = (entry[0] & 0x7F) + 1u;
        c.Signed = (entry[0] & 0x80) != 0;
        c.Dx = entry[1];
        c.Dy = entry[2];
        if (c.Dx == 0 || c.Dy == 0) return false;
        c.Width = static_cast<uint32_t>(CeilDiv(header.X1, c.Dx) - CeilDiv(header.X0, c.Dx));
        c.Height = static_cast<uint32_t>(CeilDiv(header.Y1, c.Dy) - CeilDiv(header.Y0, c.Dy));
    }
    return true;
}

// A coding style segment (COD, or COC for one component) at position: the
// layers (COD only), decomposition levels and precinct sizes it asks for.
void ReadCodingStyle(TStream& stream, int64_t position, int64_t end, bool perComponent,
                     TJ2kHeader& header) {
    uint8_t segment[4 + 2 + 9 + 33];
    const int64_t size = std::min<int64_t>(sizeof(segment), end - position);
    if (size < 4 || !ReadAt(stream, position, segment, size)) return;
    const int64_t length = std::min<int64_t>(2 + BE16(segment + 2), size);
    // COC: the component index (one byte, two from 257 components), style.
    const int styleAt = perComponent ? (header.Components.size() > 256 ? 6 : 5) : 4;
    const int levelsAt = perComponent ? styleAt + 1 : 9;
    if (length < levelsAt + 5) return;
    const bool precincts = (segment[styleAt] & 1) != 0;
    if (!perComponent) header.Layers = std::max<uint32_t>(header.Layers, BE16(segment + 6));
    const uint32_t levels = segment[levelsAt];
    header.Levels = std::max(header.Levels, levels);
    if (!precincts) return;
    for (uint32_t r = 0; r <= levels && r < header.PrecinctExponents.size(); ++r) {
        if (levelsAt + 5 + r >= length) break;
        const uint8_t sizes = segment[levelsAt + 5 + r]; // PPx low nibble, PPy high
        header.PrecinctExponents[r] =
            std::min<uint8_t>(header.PrecinctExponents[r], std::min(sizes & 0x0F, sizes >> 4));
    }
}

// Marker segments from position up to the marker `stop` (SOT after the
// main header, SOD in a tile-part header), noting the coding styles. Returns
// the position of `stop`, or -1 where anything but a marker segment stands
// in the way (OpenJPEG would search on, through bytes nobody vouched for).
int64_t WalkSegments(TStream& stream, int64_t position, int64_t end, uint16_t stop,
                     TJ2kHeader& header) {
    while (end - position >= 2) {
        uint8_t marker[4] = {};
        const int64_t size = std::min<int64_t>(4, end - position);
        if (!ReadAt(stream, position, marker, size)) return -1;
        const uint16_t code = BE16(marker);
        if (code == stop) return position;
        const uint16_t length = BE16(marker + 2);
        if (size < 4 || code < 0xFF30 || length < 2) return -1;
        if (code == 0xFF52 || code == 0xFF53) {
            ReadCodingStyle(stream, position, end, code == 0xFF53, header);
        }
        position += 2 + length;
    }
    return -1;
}

// The tile-parts one after the other from the first SOT, by their lengths
// (Psot). Notes by how far a tile-part cut short claims more than
// kTruncationTolerance times the bytes left, and marks the stream irregular
// where, before every tile was met, anything but a tile-part or the end of
// the code stream follows.
void WalkTileParts(TStream& stream, int64_t position, int64_t end, TJ2kHeader& header) {
    std::vector<bool> seen(static_cast<size_t>(std::min<uint64_t>(header.Tiles, kMaxTiles + 1)));
    uint64_t tilesSeen = 0;
    while (end - position >= 2) {
        uint8_t sot[12];
        if (!ReadAt(stream, position, sot, 2) || BE16(sot) == 0xFFD9) return; // EOC
        if (BE16(sot) != 0xFF90 || end - position < 12 || !stream.ReadExact(sot + 2, 10) ||
            BE16(sot + 2) != 10) {
            header.Irregular = tilesSeen < header.Tiles;
            return;
        }
        const uint16_t tile = BE16(sot + 4);
        if (tile < seen.size() && !seen[tile]) {
            seen[tile] = true;
            ++tilesSeen;
        }
        const uint64_t claim = BE32(sot + 6); // 0: to the end of the code stream
        const uint64_t left = static_cast<uint64_t>(end - position);
        if (claim != 0 && claim < 14) {
            header.Irregular = true;
            return;
        }
        const uint64_t allowed = Times(left, kTruncationTolerance);
        if (claim > allowed) header.TilePartOverclaim = claim - allowed;
        const int64_t partEnd = claim == 0 || claim > left ? end : position + int64_t(claim);
        if (WalkSegments(stream, position + 12, partEnd, 0xFF93, header) < 0) {
            header.Irregular = true;
            return;
        }
        position = partEnd;
    }
}

// The code stream in [start, end). OpenJPEG reads on to the stream's end,
// whatever the box around the code stream says: the markers are walked up
// to streamEnd.
bool ReadCodeStream(TStream& stream, int64_t start, int64_t end, int64_t streamEnd,
                    TJ2kHeader& header) {
    if (!ReadSize(stream, start, header)) return false;
    header.CodeStreamBytes = end - start;
    const int64_t afterSize = start + 4 + 38 + 3 * int64_t(header.Components.size());
    const int64_t firstTilePart = WalkSegments(stream, afterSize, streamEnd, 0xFF90, header);
    if (firstTilePart < 0) {
        header.Irregular = true;
    } else {
        WalkTileParts(stream, firstTilePart, streamEnd, header);
    }
    return true;
}

bool ReadJp2(TStream& stream, int64_t start, int64_t end, TJ2kHeader& header) {
    bool sawHeaderBox = false;
    for (int64_t position = start; position < end;) {
        TBox box;
        if (!ReadBox(stream, position, end, box)) return false;
        if (box.Type == Tag("jp2h") && !sawHeaderBox) {
            sawHeaderBox = true;
            if (!ReadJp2HeaderBox(stream, box, header)) return false;
        } else if (box.Type == Tag("jp2c")) {
            return sawHeaderBox && ReadCodeStream(stream, box.Content, box.End(), end, header);
        }
        position = box.End();
    }
    return false;
}

} // namespace

TJ2kColorFamily TJ2kHeader::Family() const {
    if (Container == TJ2kContainer::Jp2 && HasColorSpecification) return SpecifiedFamily;
    const size_t channels = PaletteColumns > 0 ? PaletteColumns : Components.size();
    return channels >= 3 ? TJ2kColorFamily::Rgb : TJ2kColorFamily::Gray;
}

uint64_t TJ2kHeader::DecodedSamples() const {
    uint64_t samples = 0, largest = 0;
    for (const TJ2kComponentInfo& c : Components) {
        const uint64_t n = Times(c.Width, c.Height);
        samples = Plus(samples, n);
        largest = std::max(largest, n);
    }
    return Plus(samples, Times(PaletteColumns, largest));
}

uint64_t TJ2kHeader::Packets() const {
    // Per tile and component: layers x the precincts of every resolution.
    const uint64_t tileWidth = std::min<uint64_t>(TileWidth, Width());
    const uint64_t tileHeight = std::min<uint64_t>(TileHeight, Height());
    uint64_t precincts = 0;
    for (const TJ2kComponentInfo& c : Components) {
        const uint64_t width = CeilDiv(tileWidth, c.Dx), height = CeilDiv(tileHeight, c.Dy);
        for (uint32_t r = 0; r <= Levels; ++r) {
            const uint32_t shift = std::min<uint32_t>(Levels - r, 63);
            const uint64_t w = (width + (uint64_t{1} << shift) - 1) >> shift;
            const uint64_t h = (height + (uint64_t{1} << shift) - 1) >> shift;
            const uint32_t exponent = r < PrecinctExponents.size() ? PrecinctExponents[r] : 15;
            precincts = Plus(precincts, Times((w >> exponent) + 1, (h >> exponent) + 1));
        }
    }
    return Times(Tiles, Times(std::max<uint32_t>(Layers, 1), precincts));
}

bool ReadJ2kHeader(TStream& stream, TJ2kHeader& header) {
    header = TJ2kHeader{};
    const int64_t start = stream.Position();
    if (start < 0) return false;
    const int64_t end = start + BytesLeft(stream);
    bool ok = false;
    if (IsJp2Stream(stream)) {
        header.Container = TJ2kContainer::Jp2;
        ok = ReadJp2(stream, start, end, header);
    } else if (IsJ2kStream(stream)) {
        header.Container = TJ2kContainer::CodeStream;
        ok = ReadCodeStream(stream, start, end, end, header);
    }
    stream.Seek(start, TSeekOrigin::soBeginning);
    return ok;
}

bool J2kDecodeAcceptable(const TJ2kHeader& header) {
    const int64_t bytes = header.CodeStreamBytes;
    if (header.Tiles > kMaxTiles) return false;
    if (header.Tiles > AtLeast(kFreeTiles, bytes, 1.0 / kTilePartHeaderBytes)) return false;
    const uint64_t tileComponents = Times(header.Tiles, header.Components.size());
    if (tileComponents > AtLeast(kFreeTileComponents, bytes, 1)) return false;
    if (header.Packets() > AtLeast(kFreePackets, bytes, 1)) return false;
    if (header.Irregular || header.TilePartOverclaim > kFreeTilePartClaim) return false;
    const uint64_t samples = header.DecodedSamples();
    if (samples > kMaxSamples || samples > AtLeast(kFreeSamples, bytes, kBestSamplesPerByte)) {
        return false;
    }
    return ImageSizeAcceptable(header.Width(), header.Height(), ie24RGB,
                               EncodablePixels(bytes, kBestSamplesPerByte));
}

} // namespace vellinor
