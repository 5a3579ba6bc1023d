// Storage of TIEBitmap: allocation with its fallback chain, row addressing,
// the platform-bitmap face and relocation between storage kinds.

#include "image/TIEBitmap.h"

#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"
#include "platform/SystemInfo.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vellinor {

namespace {

constexpr int64_t kFragmentMinimum = 0xA00000;
constexpr uint64_t kForceSync = std::numeric_limits<uint64_t>::max();

} // namespace

const char* PixelFormatName(TIEPixelFormat format) {
    static const char* const names[kPixelFormatCount] = {"ieNull",  "ie1g",     "ie8p",   "ie8g",
                                                         "ie16g",   "ie24RGB",  "ie32f",  "ieCMYK",
                                                         "ieRGB48", "ieCIELab", "ie32RGB"};
    return IsValidPixelFormat(format) ? names[format] : "invalid";
}

int64_t TIEBitmap::DefaultMinFileSize() {
    if (const auto forced = MinFileSizeOverride()) return *forced;
    const uint64_t total = TotalPhysicalMemory();
    if (total == 0) return 0x2000000;
    return static_cast<int64_t>(static_cast<double>(total) / 1.3);
}

int64_t TIEBitmap::ComputeRowBytes(int width, TIEPixelFormat format, int alignment) {
    if (!IsValidPixelFormat(format) || width < 0) return 0;
    const int64_t bits = static_cast<int64_t>(width) * kIEBitsPerPixel[format];
    if (alignment != 8 && alignment != 16) alignment = 32;
    return (bits + alignment - 1) / alignment * (alignment / 8);
}

TIEBitmap::TIEBitmap() : MinFileSize(DefaultMinFileSize()) {}

TIEBitmap::TIEBitmap(int width, int height, TIEPixelFormat format) : TIEBitmap() {
    Setup(width, height, format);
}

TIEBitmap::~TIEBitmap() = default;

// --- Queries -------------------------------------------------------------

int TIEBitmap::Width() const {
    Sync();
    return fWidth;
}
int TIEBitmap::Height() const {
    Sync();
    return fHeight;
}
int TIEBitmap::BitsPerPixel() const {
    Sync();
    return fBitsPerPixel;
}
int TIEBitmap::Channels() const {
    Sync();
    return fChannels;
}
TIEPixelFormat TIEBitmap::PixelFormat() const {
    Sync();
    return fFormat;
}
int TIEBitmap::RowBytes() const {
    Sync();
    return fRowBytes;
}
bool TIEBitmap::IsVoid() const {
    Sync();
    return fWidth == 0 || fHeight == 0 || fRowBytes == 0 || fBitsPerPixel == 0;
}
int TIEBitmap::PaletteSize() const {
    Sync();
    return static_cast<int>(fPalette.size());
}
int64_t TIEBitmap::PackedRowBytes() const {
    return ComputeRowBytes(Width(), fFormat, 8);
}

// --- Platform bitmap face --------------------------------------------------

void TIEBitmap::Sync() const {
    if (fLocation != ieTBitmap || fVcl == nullptr) return;
    if (fVcl->Generation() == fVclGeneration) return;

    // Depths we cannot address as rows of one of our formats become 24 bits,
    // so that every row holds what the format promises.
    const int bits = fVcl->BitCount();
    if (bits != 1 && bits != 8 && bits != 24 && bits != 32) fVcl->SetBitCount(24);

    TIEPixelFormat format = ie24RGB;
    switch (fVcl->BitCount()) {
    case 1:
        format = ie1g;
        break;
    case 8:
        format = (IsAlphaPlane || fVcl->HasGrayRampTable()) ? ie8g : ie8p;
        break;
    case 32:
        format = ie32RGB;
        break;
    default:
        format = ie24RGB;
        break;
    }
    const bool changed = fVcl->Width() != fWidth || fVcl->Height() != fHeight || format != fFormat;
    if (changed) {
        fWidth = fVcl->Width();
        fHeight = fVcl->Height();
        fFormat = format;
        fBitsPerPixel = kIEBitsPerPixel[format];
        fChannels = kIEChannels[format];
        fRowBytes = fVcl->RowBytes();
        if (fAlpha && (fAlpha->Width() != fWidth || fAlpha->Height() != fHeight)) {
            fAlpha->Setup(fWidth, fHeight, ie8g);
        }
    }
    if (changed || fRowTable.size() != static_cast<size_t>(fHeight) ||
        (fHeight > 0 && fRowTable[0] != fVcl->ScanLine(0))) {
        RebuildRowTable();
    }
    if (fFormat == ie8p) {
        fPalette = fVcl->ColorTable();
    } else if (fFormat == ie8g || fFormat == ie1g) {
        fPalette.clear();
    }
    fVclGeneration = fVcl->Generation();
}

void TIEBitmap::RebuildRowTable() const {
    fRowTable.resize(static_cast<size_t>(fHeight));
    for (int y = 0; y < fHeight; ++y)
        fRowTable[static_cast<size_t>(y)] = fVcl->ScanLine(y);
}

void TIEBitmap::PushPaletteToPlatform() {
    if (fLocation != ieTBitmap || fVcl == nullptr || fVcl->BitCount() != 8) return;
    if (fFormat != ie8p) return;
    fVcl->SetColorTable(fPalette);
    fVclGeneration = fVcl->Generation();
}

// --- Setup and storage -------------------------------------------------------

void TIEBitmap::DeriveRowValues() {
    fBitsPerPixel = kIEBitsPerPixel[fFormat];
    fChannels = kIEChannels[fFormat];
    const int64_t rowBytes = ComputeRowBytes(fWidth, fFormat, fRowAlignment);
    fRowBytes = rowBytes > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int>(rowBytes);
}

bool TIEBitmap::Setup(int width, int height, TIEPixelFormat format) {
    return Reallocate(width, height, format, false, false);
}

bool TIEBitmap::Reallocate(int width, int height, TIEPixelFormat format, bool keepAlpha,
                           bool willOverwrite) {
    Sync();
    if (!FullReallocate && width == fWidth && height == fHeight && format == fFormat && !IsVoid()) {
        return true;
    }
    if (willOverwrite && fLocation == ieMemory && fBlock) {
        // The caller rewrites every byte: keep a block of the right size.
        const int64_t rowBytes = ComputeRowBytes(width, format, fRowAlignment);
        const int64_t size = rowBytes * std::max(height, 0);
        if (width > 0 && height > 0 && IsValidPixelFormat(format) && format != ieNull &&
            size + 128 == static_cast<int64_t>(fBlock.Size()) && size <= MinFileSize) {
            std::unique_ptr<TIEBitmap> alpha = keepAlpha ? std::move(fAlpha) : nullptr;
            fAlpha.reset();
            fPalette.clear();
            fWidth = width;
            fHeight = height;
            fFormat = format;
            DeriveRowValues();
            fAlpha = std::move(alpha);
            if (format == ie8p) fPalette.assign(256, TRGB{});
            FinishSetup(true);
            return true;
        }
    }
    if (fLocation == ieTBitmap && fVclBorrowed) {
        // A borrowed platform bitmap is reshaped, not freed.
        if (!keepAlpha) fAlpha.reset();
    } else if (keepAlpha) {
        DropStorageKeepAlpha();
    } else {
        Discard(true);
    }
    fPalette.clear();
    fWidth = width;
    fHeight = height;
    fFormat = IsValidPixelFormat(format) ? format : ieNull;
    if (width < 1 || height < 1 || fFormat == ieNull) {
        FinishSetup(false);
        return false;
    }
    if (fFormat == ie8p) fPalette.assign(256, TRGB{});
    if (fLocation == ieTBitmap) fRowAlignment = 32;
    DeriveRowValues();
    if (fRowBytes == 0) {
        FinishSetup(false);
        return false;
    }
    const int64_t size = static_cast<int64_t>(fRowBytes) * fHeight;
    const bool ok = AllocateStorage(size, willOverwrite);
    FinishSetup(ok);
    return ok;
}

void TIEBitmap::FinishSetup(bool ok) {
    if (ok) {
        Opaque = false;
    } else {
        ReleaseStorage();
        fWidth = fHeight = 0;
        fRowBytes = 0;
        fPalette.clear();
    }
    FullReallocate = false;
}

bool TIEBitmap::AllocateStorage(int64_t size, bool willOverwrite) {
    if (fLocation == ieTBitmap) return SetupPlatformBitmap(size);
    if (fLocation == ieTempFile && size < MinFileSize) fLocation = ieMemory;
    if (fLocation == ieMemory && size > MinFileSize) fLocation = ieTempFile;
    if (fLocation == ieTempFile) {
        if (AllocateFile(size)) return true;
        fLocation = ieMemory;
    }
    if (AllocateMemory(size, willOverwrite)) return true;
    if (AllocateFragments()) return true;
    fLocation = ieTempFile;
    return AllocateFile(size);
}

bool TIEBitmap::AllocateMemory(int64_t size, bool) {
    if (size < 0 || static_cast<uint64_t>(size) > std::numeric_limits<size_t>::max() / 2) {
        return false;
    }
    fBlock = TIEMemoryBlock::Allocate(static_cast<size_t>(size) + 128, AllocatorKind);
    if (!fBlock) return false;
    const auto address = reinterpret_cast<uintptr_t>(fBlock.Data());
    fStart = fBlock.Data() + ((64 - (address & 63)) & 63);
    return true;
}

bool TIEBitmap::AllocateFragments() {
    for (int64_t n = 4;; n *= 2) {
        const int64_t rowsPerFragment = (fHeight + n - 1) / n;
        const int64_t fragmentBytes = rowsPerFragment * fRowBytes;
        if (n > 4 && (n >= fHeight || fragmentBytes < kFragmentMinimum)) return false;
        const int64_t count = (fHeight + rowsPerFragment - 1) / rowsPerFragment;
        std::vector<TIEMemoryBlock> fragments;
        bool ok = true;
        for (int64_t i = 0; i < count && ok; ++i) {
            fragments.push_back(
                TIEMemoryBlock::Allocate(static_cast<size_t>(fragmentBytes), iealGlobal));
            ok = static_cast<bool>(fragments.back());
        }
        if (ok) {
            fFragments = std::move(fragments);
            fRowsPerFragment = static_cast<int>(rowsPerFragment);
            return true;
        }
        if (n >= fHeight) return false;
    }
}

bool TIEBitmap::AllocateFile(int64_t size) {
    return fFile.Create(size, fRowBytes);
}

bool TIEBitmap::SetupPlatformBitmap(int64_t size) {
    if (TotalPhysicalMemory() < static_cast<uint64_t>(size)) return false;
    // ie32f, ieCMYK, ieRGB48 and ieCIELab have no platform depth.
    if (!PlatformCanHold(fFormat)) return false;
    if (fVcl == nullptr) {
        fOwnedVcl = std::make_unique<TPlatformBitmap>();
        fVcl = fOwnedVcl.get();
        fVclBorrowed = false;
    }
    // Through an empty bitmap, so that the new pixels start zeroed.
    if (!fVcl->SetSize(0, 0) || !fVcl->SetBitCount(PlatformBitCount(fFormat)) ||
        !fVcl->SetSize(fWidth, fHeight)) {
        return false;
    }
    if (fFormat == ie16g) fFormat = ie8g;
    DeriveRowValues();
    fRowBytes = fVcl->RowBytes();
    if (fFormat == ie8g) {
        std::vector<TRGB> ramp(256);
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(i);
            ramp[static_cast<size_t>(i)] = TRGB{v, v, v};
        }
        fVcl->SetColorTable(ramp);
    } else if (fFormat == ie8p) {
        fVcl->SetColorTable(fPalette);
    }
    RebuildRowTable();
    fVclGeneration = fVcl->Generation();
    return true;
}

void TIEBitmap::ReleaseStorage() {
    fFile.Release();
    fBlock.Free();
    fStart = nullptr;
    fFragments.clear();
    fRowsPerFragment = 0;
    if (fVcl != nullptr && !fVclBorrowed) fOwnedVcl.reset();
    fVcl = nullptr;
    fVclBorrowed = false;
    fRowTable.clear();
    fVclGeneration = kForceSync;
}

void TIEBitmap::DropStorageKeepAlpha() {
    ReleaseStorage();
    fPalette.clear();
    fWidth = fHeight = 0;
    fRowBytes = 0;
    fFormat = ieNull;
    fBitsPerPixel = fChannels = 0;
}

void TIEBitmap::Discard(bool alsoAlpha) {
    DropStorageKeepAlpha();
    if (alsoAlpha) fAlpha.reset();
}

void TIEBitmap::HandOver(TIEBitmap& dest) {
    if (&dest == this) return;
    Sync();
    dest.Discard(true);
    dest.fWidth = fWidth;
    dest.fHeight = fHeight;
    dest.fFormat = fFormat;
    dest.fBitsPerPixel = fBitsPerPixel;
    dest.fChannels = fChannels;
    dest.fRowBytes = fRowBytes;
    dest.fRowAlignment = fRowAlignment;
    dest.fLocation = fLocation;
    dest.fBlock = std::move(fBlock);
    dest.fStart = fStart;
    dest.fFragments = std::move(fFragments);
    dest.fRowsPerFragment = fRowsPerFragment;
    dest.fFile.Swap(fFile);
    dest.fOwnedVcl = std::move(fOwnedVcl);
    dest.fVcl = fVcl;
    dest.fVclBorrowed = fVclBorrowed;
    dest.fRowTable = std::move(fRowTable);
    dest.fVclGeneration = fVclGeneration;
    dest.fPalette = std::move(fPalette);
    dest.PaletteUsed = PaletteUsed;
    dest.fAlpha = std::move(fAlpha);
    dest.Opaque = Opaque;

    fStart = nullptr;
    fFragments.clear();
    fVcl = nullptr;
    fVclBorrowed = false;
    fRowTable.clear();
    fPalette.clear();
    Discard(true);
}

bool TIEBitmap::Relocate(TIELocation location) {
    Sync();
    if (location == fLocation) return true;
    if (IsVoid()) {
        std::unique_ptr<TIEBitmap> alpha = std::move(fAlpha);
        Discard(true);
        fLocation = location;
        fAlpha = std::move(alpha);
        return true;
    }
    if (location == ieTBitmap && !PlatformCanHold(fFormat)) return false;

    TIEBitmap moved;
    moved.fLocation = location;
    moved.fRowAlignment = location == ieTBitmap ? 32 : fRowAlignment;
    moved.MinFileSize = MinFileSize;
    moved.AllocatorKind = AllocatorKind;
    moved.IsAlphaPlane = IsAlphaPlane;
    const bool narrowTo8 = location == ieTBitmap && fFormat == ie16g;
    if (!moved.Setup(fWidth, fHeight, narrowTo8 ? ie8g : fFormat)) return false;
    moved.fPalette = fPalette;
    moved.PushPaletteToPlatform();
    const uint8_t access = SwitchAccess(iedaRead);
    moved.DataAccess = iedaWrite;
    for (int y = 0; y < fHeight; ++y) {
        const uint8_t* src = Row(y);
        uint8_t* dst = moved.Row(y);
        if (narrowTo8) {
            const auto* words = reinterpret_cast<const uint16_t*>(src);
            for (int x = 0; x < fWidth; ++x)
                dst[x] = static_cast<uint8_t>(words[x] >> 8);
        } else {
            std::memcpy(dst, src, static_cast<size_t>(std::min(fRowBytes, moved.fRowBytes)));
        }
    }
    moved.SwitchAccess(access);
    SwitchAccess(access);
    moved.Opaque = Opaque;
    moved.PaletteUsed = PaletteUsed;
    moved.fAlpha = std::move(fAlpha);
    if (moved.fAlpha && location == ieTBitmap && moved.fAlpha->fLocation == ieTBitmap) {
        moved.fAlpha->Relocate(ieMemory);
    }
    moved.HandOver(*this);
    fRowAlignment = moved.fRowAlignment;
    return true;
}

void TIEBitmap::SetRowAlignment(int bits) {
    if (bits != 8 && bits != 16 && bits != 32) return;
    Sync();
    if (bits == fRowAlignment || fLocation == ieTBitmap) return;
    if (IsVoid()) {
        fRowAlignment = bits;
        return;
    }
    TIEBitmap relaid;
    relaid.fLocation = fLocation;
    relaid.fRowAlignment = bits;
    relaid.MinFileSize = MinFileSize;
    relaid.AllocatorKind = AllocatorKind;
    relaid.IsAlphaPlane = IsAlphaPlane;
    if (!relaid.Setup(fWidth, fHeight, fFormat)) return;
    const int64_t bytes = std::min(fRowBytes, relaid.fRowBytes);
    for (int y = 0; y < fHeight; ++y) {
        std::memcpy(relaid.Row(y), Row(y), static_cast<size_t>(bytes));
    }
    relaid.fPalette = fPalette;
    relaid.PaletteUsed = PaletteUsed;
    relaid.Opaque = Opaque;
    relaid.fAlpha = std::move(fAlpha);
    const TIELocation location = relaid.fLocation;
    relaid.HandOver(*this);
    fRowAlignment = bits;
    fLocation = location;
}

void TIEBitmap::WrapVclBitmap(TPlatformBitmap* bitmap, bool discardFirst) {
    if (discardFirst) {
        Discard(true);
    } else {
        std::unique_ptr<TIEBitmap> alpha = std::move(fAlpha);
        Discard(true);
        fAlpha = std::move(alpha);
    }
    fLocation = ieTBitmap;
    fRowAlignment = 32;
    if (bitmap == nullptr) return;
    fVcl = bitmap;
    fVclBorrowed = true;
    fVclGeneration = kForceSync;
    fWidth = -1; // forces the first synchronisation to take everything
    Sync();
}

// --- Rows --------------------------------------------------------------------

uint8_t* TIEBitmap::Row(int y) {
    switch (fLocation) {
    case ieTBitmap:
        Sync();
        return fRowTable[static_cast<size_t>(y)];
    case ieTempFile:
        if (fFile.Active()) return fFile.Row(y, DataAccess);
        break;
    case ieMemory:
        break;
    }
    if (fStart != nullptr) {
        return fStart + static_cast<int64_t>(fRowBytes) * (fHeight - 1 - y);
    }
    if (!fFragments.empty()) {
        return fFragments[static_cast<size_t>(y / fRowsPerFragment)].Data() +
               static_cast<int64_t>(y % fRowsPerFragment) * fRowBytes;
    }
    if (fFile.Active()) return fFile.Row(y, DataAccess);
    return nullptr;
}

uint8_t TIEBitmap::SwitchAccess(uint8_t access) {
    const uint8_t old = DataAccess;
    fFile.UnmapAll(old);
    DataAccess = access;
    return old;
}

uint8_t* TIEBitmap::PinRow(int y) {
    if (fFile.Active()) return fFile.PinRow(y, DataAccess);
    return Row(y);
}

void TIEBitmap::UnpinRow(int y) {
    if (fFile.Active()) fFile.UnpinRow(y, DataAccess);
}

// --- Drawing -------------------------------------------------------------------

TPlatformBitmap* TIEBitmap::AsVclBitmap() {
    if (fLocation != ieTBitmap && !Relocate(ieTBitmap)) return nullptr;
    if (fVcl == nullptr) {
        fOwnedVcl = std::make_unique<TPlatformBitmap>();
        fVcl = fOwnedVcl.get();
        fVclBorrowed = false;
        fVclGeneration = kForceSync;
        Sync();
    }
    return fVcl;
}

TCanvas* TIEBitmap::DrawingCanvas() {
    TPlatformBitmap* bitmap = AsVclBitmap();
    return bitmap != nullptr ? &bitmap->Canvas() : nullptr;
}

} // namespace vellinor
