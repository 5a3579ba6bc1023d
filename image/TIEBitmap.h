#pragma once
// TIEBitmap: the one in-memory raster of the system. Pixels in one of eleven
// formats, an optional palette and an optional ie8g alpha plane, held in
// process memory, in a temporary file or in a platform bitmap. Every algorithm
// reaches pixels through Row(y), y = 0 at the top, whatever the storage.

#include "image/PixelFormat.h"
#include "image/PixelMemory.h"
#include "image/TIEFileBuffer.h"
#include "platform/Color.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vellinor {

class TCanvas;
class TIEDibbitmap;
class TIEMask;
class TPlatformBitmap;
class TStream;
struct TIEPaintOptions;

// DitherMethod values for conversions to ie1g.
enum TIEDitherMethod : uint8_t { ieOrdered = 0, ieThreshold = 1 };

class TIEBitmap {
public:
    TIEBitmap();
    // Constructor followed by Setup.
    TIEBitmap(int width, int height, TIEPixelFormat format);
    ~TIEBitmap();
    TIEBitmap(const TIEBitmap&) = delete;
    TIEBitmap& operator=(const TIEBitmap&) = delete;

    // --- Queries (on ieTBitmap each first re-reads the platform bitmap) ---
    int Width() const;
    int Height() const;
    int BitsPerPixel() const;
    int Channels() const;
    TIEPixelFormat PixelFormat() const;
    int RowBytes() const;
    int RowAlignment() const { return fRowAlignment; }
    TIELocation Location() const { return fLocation; }
    bool IsVoid() const;
    bool HasAlphaPlane() const { return fAlpha != nullptr; }
    int PaletteSize() const;
    // Bytes of one row without alignment padding.
    int64_t PackedRowBytes() const;
    // Which storage serves an ieMemory/ieTempFile bitmap right now (for tests
    // and benchmarks): single block, fragments, or file.
    bool UsesFragments() const { return !fFragments.empty(); }
    bool UsesFile() const { return fFile.Active(); }
    const std::string& TempFileName() const { return fFile.FileName(); }

    // --- Construction and storage ---
    // Allocates storage; content zero-filled. False on failure (size 0 x 0).
    bool Setup(int width, int height, TIEPixelFormat format);
    void Discard(bool alsoAlpha = true);
    // Moves every piece of storage, palette and alpha plane to dest (dest is
    // discarded first); this object is left empty.
    void HandOver(TIEBitmap& dest);
    // Changes the storage kind, keeping pixels, palette and alpha plane.
    bool Relocate(TIELocation location);
    void SetRowAlignment(int bits);
    // Uses a platform bitmap as storage without copying; Location becomes
    // ieTBitmap. The bitmap stays the caller's.
    void WrapVclBitmap(TPlatformBitmap* bitmap, bool discardFirst);

    // --- Row access ---
    uint8_t* Row(int y);
    const uint8_t* Row(int y) const { return const_cast<TIEBitmap*>(this)->Row(y); }
    uint8_t* PinRow(int y);
    void UnpinRow(int y);

    // --- Copies and conversions ---
    void CopyFrom(TIEBitmap& source);
    void CopyFrom(TPlatformBitmap& source);
    void CopyPixelsFrom(TIEBitmap& source);
    void CopyPaletteTo(TIEBitmap& dest) const;
    void CopyFromVclBitmap(TPlatformBitmap& bitmap);
    void CopyFromDib(TIEDibbitmap& dib);
    void CopyFromMask(const TIEMask* mask);
    void CopyToMask(TIEMask& mask);
    // Converts the pixels in place to another format (nothing when it is the
    // current one). When memory for the new pixels cannot be had the bitmap
    // stays as it was. The alpha plane stays with the bitmap.
    void ConvertTo(TIEPixelFormat format);
    // Fills this bitmap (same size, format already set; not on ieTBitmap)
    // with the source's pixels converted. The source is left as it was; when it
    // has an alpha plane, this bitmap gets a copy of it.
    void ConvertPixelsFrom(TIEBitmap& source);
    void ChangeWidth(int width);
    void ChangeHeight(int height);
    // HorizAlign 0 left, 1 centre, 2 right; VertAlign 0 top, 1 centre, 2 bottom.
    void ResizeCanvas(int newWidth, int newHeight, double fillValue, int alphaFill, int horizAlign,
                      int vertAlign);
    void MoveBlock(int x1, int y1, int x2, int y2, int destX, int destY, double fill);
    void CopyArea(TIEBitmap& dest, int srcX, int srcY, int destX, int destY, int width, int height);
    void CopyAlphaArea(TIEBitmap& dest, int srcX, int srcY, int destX, int destY, int width,
                       int height);
    void FillAll(double value);
    void FillArea(int x1, int y1, int x2, int y2, double value);

    // --- Alpha plane ---
    // Created on first use (ie8g, 255, Opaque); nullptr on an alpha plane.
    TIEBitmap* AlphaPlane();
    void DropAlphaPlane(bool blend = false, TColor backgroundColour = clWhite);
    void AttachAlphaPlane(std::unique_ptr<TIEBitmap> plane);
    // Gives up the alpha plane without freeing it.
    std::unique_ptr<TIEBitmap> DetachAlphaPlane();
    uint8_t GetAlpha(int x, int y);
    void SetAlpha(int x, int y, uint8_t value);
    void RecheckOpaque();

    // --- Pixels and palette ---
    uint8_t GetByte(int x, int y);
    void SetByte(int x, int y, uint8_t value);
    uint16_t GetWord(int x, int y);
    void SetWord(int x, int y, uint16_t value);
    float GetFloat(int x, int y);
    void SetFloat(int x, int y, float value);
    uint32_t GetDword(int x, int y);
    void SetDword(int x, int y, uint32_t value);
    TRGB GetRGB(int x, int y);
    void SetRGB(int x, int y, TRGB value);
    TRGB* PixelRGB(int x, int y) { return reinterpret_cast<TRGB*>(Row(y)) + x; }
    TRGB48 GetRGB48(int x, int y);
    void SetRGB48(int x, int y, TRGB48 value);
    bool GetBit(int x, int y);
    void SetBit(int x, int y, bool white);
    TRGB ReadAsRGB(int x, int y);

    TRGB GetPaletteColor(int index) const;
    void SetPaletteColor(int index, TRGB color);
    const std::vector<TRGB>& Palette() const { return fPalette; }
    // Replaces the palette (at most 256 entries kept).
    void SetPalette(std::span<const TRGB> colors);
    bool LooksGray();
    bool IsAllZero();

    // --- Drawing ---
    // The platform bitmap; relocates to ieTBitmap first (nullptr when the
    // format cannot live there).
    TPlatformBitmap* AsVclBitmap();
    TCanvas* DrawingCanvas();
    // Renders this bitmap, scaled, into an ie24RGB or ie32RGB bitmap or a 24- or
    // 32-bit platform bitmap (other targets are left alone); see TIEBitmapPaint.h.
    void PaintTo(TIEBitmap& target, const TIEPaintOptions& options);
    void PaintTo(TPlatformBitmap& target, const TIEPaintOptions& options);

    // --- Raw dump ---
    bool WriteRaw(TStream& stream);
    bool WriteRaw(std::span<uint8_t> buffer, size_t& offset);
    bool ReadRaw(TStream& stream);
    bool ReadRaw(std::span<const uint8_t> buffer, size_t& offset);

    // --- Settings ---
    int32_t PaletteUsed = 256;
    int64_t MinFileSize;
    TIEAllocatorKind AllocatorKind = iealHybrid;
    uint8_t DitherMethod = ieThreshold;
    uint8_t DataAccess = iedaRead | iedaWrite;
    double BlackValue = 0;
    double WhiteValue = 0;
    int32_t Contrast = 0;
    int32_t ChannelOffset[4] = {0, 0, 0, 0};
    bool EnableChannelOffset = false;
    bool FullReallocate = true;
    bool Opaque = false;
    bool IsAlphaPlane = false;

    // The default threshold above which pixels go to a temporary file.
    static int64_t DefaultMinFileSize();
    static int64_t ComputeRowBytes(int width, TIEPixelFormat format, int alignment);

private:
    void Sync() const;
    void RebuildRowTable() const;
    void DeriveRowValues();
    bool Reallocate(int width, int height, TIEPixelFormat format, bool keepAlpha,
                    bool willOverwrite);
    bool AllocateStorage(int64_t size, bool willOverwrite);
    bool AllocateMemory(int64_t size, bool willOverwrite);
    bool AllocateFragments();
    bool AllocateFile(int64_t size);
    bool SetupPlatformBitmap(int64_t size);
    void ReleaseStorage();
    void FinishSetup(bool ok);
    void CopyRowsFrom(TIEBitmap& source);
    void CopyWholeFrom(TIEBitmap& source, bool withAlphaAndDither);
    void ResizeStorage(int width, int height);
    void PushPaletteToPlatform();
    // Changes DataAccess after writing back the rows mapped under the old one;
    // returns the old value.
    uint8_t SwitchAccess(uint8_t access);
    bool RowPointersStable() const { return !fFile.Active() || fFile.IsMapped(); }
    void FillRect(int x1, int y1, int x2, int y2, double value, bool fraction);
    // Conversions (TIEBitmapConvert.cpp): the pixels only, sizes already equal.
    void ConvertRowsFrom(TIEBitmap& source);
    void ConvertToIndexed(TIEBitmap& source);
    void ConvertToBlackAndWhite(TIEBitmap& source);
    void ConvertOnPlatform(TIEPixelFormat format);
    bool ConvertInPlace(TIEPixelFormat format);
    void DropStorageKeepAlpha();

    // Geometry; mutable because queries on ieTBitmap re-read the platform bitmap.
    mutable int fWidth = 0;
    mutable int fHeight = 0;
    mutable TIEPixelFormat fFormat = ieNull;
    mutable int fBitsPerPixel = 0;
    mutable int fChannels = 0;
    mutable int fRowBytes = 0;
    int fRowAlignment = 32;
    TIELocation fLocation = ieTempFile;

    // ieMemory: one block (rows bottom-up) or fragments (rows top-down inside).
    TIEMemoryBlock fBlock;
    uint8_t* fStart = nullptr;
    std::vector<TIEMemoryBlock> fFragments;
    int fRowsPerFragment = 0;
    // ieTempFile
    TIEFileBuffer fFile;
    // ieTBitmap
    std::unique_ptr<TPlatformBitmap> fOwnedVcl;
    TPlatformBitmap* fVcl = nullptr;
    bool fVclBorrowed = false;
    mutable std::vector<uint8_t*> fRowTable;
    mutable uint64_t fVclGeneration = 0;

    mutable std::vector<TRGB> fPalette;
    std::unique_ptr<TIEBitmap> fAlpha;
};

} // namespace vellinor
