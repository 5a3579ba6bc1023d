// The raw dump of a bitmap: a tagged header, the palette, the rows top first
// and the optional alpha plane, little-endian.

#include "image/TIEBitmap.h"
#include "platform/Stream.h"

#include <cstring>
#include <vector>

namespace vellinor {

namespace {

constexpr char kTag[12] = {'T', 'I', 'E', 'B', 'I', 'T', 'M', 'A', 'P', 'R', 'A', 'W'};

// Rows of the alpha plane are always dumped with 32-bit alignment.
int64_t AlphaRowBytes(int width) {
    return TIEBitmap::ComputeRowBytes(width, ie8g, 32);
}

} // namespace

bool TIEBitmap::WriteRaw(TStream& s) {
    Sync();
    s.Reserve(static_cast<int64_t>(fHeight) * fRowBytes);
    const int32_t version = 0;
    const auto paletteLength = static_cast<int32_t>(fPalette.size());
    bool ok =
        s.WriteExact(kTag, sizeof kTag) && s.WriteValue(version) && s.WriteValue(paletteLength);
    for (const TRGB& c : fPalette)
        ok = ok && s.WriteValue(c);
    const auto format = static_cast<uint8_t>(fFormat);
    const auto opaque = static_cast<uint8_t>(Opaque);
    const auto channelOffset = static_cast<uint8_t>(EnableChannelOffset);
    const auto width = static_cast<int32_t>(fWidth);
    const auto height = static_cast<int32_t>(fHeight);
    ok = ok && s.WriteValue(width) && s.WriteValue(height) && s.WriteValue(format) &&
         s.WriteValue(opaque) && s.WriteValue(PaletteUsed) && s.WriteValue(BlackValue) &&
         s.WriteValue(WhiteValue) && s.WriteExact(ChannelOffset, sizeof ChannelOffset) &&
         s.WriteValue(channelOffset) && s.WriteValue(Contrast) && s.WriteValue(fRowAlignment);
    const bool hasRows = !IsVoid();
    const uint8_t access = SwitchAccess(iedaRead);
    for (int y = 0; hasRows && ok && y < fHeight; ++y)
        ok = s.WriteExact(Row(y), fRowBytes);
    SwitchAccess(access);

    const uint8_t hasAlpha = fAlpha ? 1 : 0;
    ok = ok && s.WriteValue(hasAlpha);
    if (ok && fAlpha) {
        const int64_t rowBytes = AlphaRowBytes(fWidth);
        std::vector<uint8_t> line(static_cast<size_t>(rowBytes), 0);
        const bool alphaRows =
            !fAlpha->IsVoid() && fAlpha->Width() == fWidth && fAlpha->Height() == fHeight;
        for (int y = 0; hasRows && ok && y < fHeight; ++y) {
            if (alphaRows) std::memcpy(line.data(), fAlpha->Row(y), static_cast<size_t>(fWidth));
            ok = s.WriteExact(line.data(), rowBytes);
        }
        const auto alphaOpaque = static_cast<uint8_t>(fAlpha->Opaque);
        ok = ok && s.WriteValue(alphaOpaque);
    }
    return ok;
}

bool TIEBitmap::ReadRaw(TStream& s) {
    char tag[sizeof kTag];
    int32_t version = 0;
    int32_t paletteLength = 0;
    if (!s.ReadExact(tag, sizeof tag) || std::memcmp(tag, kTag, sizeof kTag) != 0) return false;
    if (!s.ReadValue(version) || version < 0) return false;
    if (!s.ReadValue(paletteLength) || paletteLength < 0 || paletteLength > 256) return false;
    std::vector<TRGB> palette(static_cast<size_t>(paletteLength));
    for (TRGB& c : palette) {
        if (!s.ReadValue(c)) return false;
    }
    int32_t width = 0, height = 0, paletteUsed = 0, contrast = 0, alignment = 0;
    uint8_t format = 0, opaque = 0, enableOffset = 0;
    double black = 0, white = 0;
    int32_t channelOffset[4] = {};
    if (!s.ReadValue(width) || !s.ReadValue(height) || !s.ReadValue(format) ||
        !s.ReadValue(opaque) || !s.ReadValue(paletteUsed) || !s.ReadValue(black) ||
        !s.ReadValue(white) || !s.ReadExact(channelOffset, sizeof channelOffset) ||
        !s.ReadValue(enableOffset) || !s.ReadValue(contrast) || !s.ReadValue(alignment)) {
        return false;
    }
    if (!IsValidPixelFormat(format) || width < 0 || height < 0) return false;
    if (alignment != 8 && alignment != 16 && alignment != 32) return false;

    // Everything is read into a fresh bitmap, so that a bad dump leaves this
    // one as it was.
    TIEBitmap read;
    read.MinFileSize = MinFileSize;
    read.AllocatorKind = AllocatorKind;
    read.IsAlphaPlane = IsAlphaPlane;
    const auto pixelFormat = static_cast<TIEPixelFormat>(format);
    const bool platformFormat = pixelFormat == ie1g || pixelFormat == ie8p || pixelFormat == ie8g ||
                                pixelFormat == ie24RGB || pixelFormat == ie32RGB;
    read.fLocation = (fLocation == ieTBitmap && !platformFormat) ? ieMemory : fLocation;
    read.fRowAlignment = alignment;
    const bool hasRows = width > 0 && height > 0 && pixelFormat != ieNull;
    if (hasRows) {
        const int64_t rowBytes = ComputeRowBytes(width, pixelFormat, alignment);
        const int64_t left = s.Size() - s.Position();
        // Never allocate more than the dump can fill.
        if (rowBytes <= 0 || rowBytes * height > left) return false;
        if (!read.Setup(width, height, pixelFormat)) return false;
        // A platform bitmap keeps 32-bit rows whatever the dump said.
        std::vector<uint8_t> line(static_cast<size_t>(rowBytes));
        for (int y = 0; y < height; ++y) {
            if (!s.ReadExact(line.data(), rowBytes)) return false;
            std::memcpy(read.Row(y), line.data(),
                        static_cast<size_t>(std::min<int64_t>(rowBytes, read.RowBytes())));
        }
    }
    uint8_t hasAlpha = 0;
    if (!s.ReadValue(hasAlpha)) return false;
    if (hasAlpha != 0 && !IsAlphaPlane) {
        TIEBitmap* plane = read.AlphaPlane();
        const int64_t rowBytes = AlphaRowBytes(width);
        std::vector<uint8_t> line(static_cast<size_t>(rowBytes));
        for (int y = 0; hasRows && y < height; ++y) {
            if (!s.ReadExact(line.data(), rowBytes)) return false;
            std::memcpy(plane->Row(y), line.data(), static_cast<size_t>(width));
        }
        uint8_t alphaOpaque = 0;
        if (!s.ReadValue(alphaOpaque)) return false;
        plane->Opaque = alphaOpaque != 0;
    }

    read.HandOver(*this);
    fPalette = std::move(palette);
    PushPaletteToPlatform();
    fRowAlignment = fLocation == ieTBitmap ? 32 : alignment;
    Opaque = opaque != 0;
    PaletteUsed = paletteUsed;
    BlackValue = black;
    WhiteValue = white;
    std::memcpy(ChannelOffset, channelOffset, sizeof ChannelOffset);
    EnableChannelOffset = enableOffset != 0;
    Contrast = contrast;
    return true;
}

bool TIEBitmap::WriteRaw(std::span<uint8_t> buffer, size_t& offset) {
    if (offset > buffer.size()) return false;
    TSpanStream stream(buffer.subspan(offset));
    const bool ok = WriteRaw(stream);
    offset += static_cast<size_t>(stream.Position());
    return ok;
}

bool TIEBitmap::ReadRaw(std::span<const uint8_t> buffer, size_t& offset) {
    if (offset > buffer.size()) return false;
    TSpanStream stream(buffer.subspan(offset));
    const bool ok = ReadRaw(stream);
    if (ok) offset += static_cast<size_t>(stream.Position());
    return ok;
}

} // namespace vellinor
