#pragma once
// Makes bitmaps held in each storage kind, so that one suite of container
// operations runs against all of them.

#include "image/TIEBitmap.h"
#include "platform/SystemInfo.h"

#include <memory>
#include <string>

namespace vellinor::test {

enum class StorageKind { Memory, Fragments, TempFileMapped, TempFileRowBuffers, PlatformBitmap };

inline std::string StorageKindName(StorageKind kind) {
    switch (kind) {
    case StorageKind::Memory:
        return "Memory";
    case StorageKind::Fragments:
        return "Fragments";
    case StorageKind::TempFileMapped:
        return "TempFileMapped";
    case StorageKind::TempFileRowBuffers:
        return "TempFileRowBuffers";
    case StorageKind::PlatformBitmap:
        return "PlatformBitmap";
    }
    return "?";
}

// Sets the process-wide switches a storage kind needs for as long as it lives.
class StorageKindScope {
public:
    explicit StorageKindScope(StorageKind kind) : fKind(kind) {
        // Small pictures of the tests need one block of a few KiB; fragments of
        // a quarter of the rows still fit under this limit.
        if (kind == StorageKind::Fragments) SetLargestBlockOverride(1500);
        TIEFileBuffer::SetMappingAllowed(kind != StorageKind::TempFileRowBuffers);
    }
    ~StorageKindScope() {
        SetLargestBlockOverride(std::nullopt);
        TIEFileBuffer::SetMappingAllowed(true);
    }
    StorageKindScope(const StorageKindScope&) = delete;
    StorageKindScope& operator=(const StorageKindScope&) = delete;

    // An empty bitmap that will be held in this kind of storage.
    std::unique_ptr<TIEBitmap> NewBitmap() const {
        auto bitmap = std::make_unique<TIEBitmap>();
        switch (fKind) {
        case StorageKind::Memory:
        case StorageKind::Fragments:
            bitmap->Relocate(ieMemory);
            break;
        case StorageKind::TempFileMapped:
        case StorageKind::TempFileRowBuffers:
            bitmap->MinFileSize = 0;
            break;
        case StorageKind::PlatformBitmap:
            bitmap->Relocate(ieTBitmap);
            break;
        }
        return bitmap;
    }

    std::unique_ptr<TIEBitmap> Make(int width, int height, TIEPixelFormat format) const {
        auto bitmap = NewBitmap();
        bitmap->Setup(width, height, format);
        return bitmap;
    }

    StorageKind Kind() const { return fKind; }

private:
    StorageKind fKind;
};

} // namespace vellinor::test
