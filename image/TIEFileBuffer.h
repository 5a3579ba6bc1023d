#pragma once
// The temporary disk file behind ieTempFile storage: one file of the full
// pixel size, rows reached through row buffers (or, when the system allows it,
// through a mapping of the whole file, which keeps every row valid).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vellinor {

// DataAccess bits of TIEBitmap.
constexpr uint8_t iedaRead = 1;
constexpr uint8_t iedaWrite = 2;

class TIEFileBuffer {
public:
    TIEFileBuffer() = default;
    ~TIEFileBuffer() { Release(); }
    TIEFileBuffer(const TIEFileBuffer&) = delete;
    TIEFileBuffer& operator=(const TIEFileBuffer&) = delete;

    // Creates IMG-XXXXXXXX.tmp in the temporary folder with size bytes; false
    // when free space is short (size + 128,000,000 needed) or the file fails.
    bool Create(int64_t size, int32_t rowBytes);
    // Unmaps everything, closes and deletes the file.
    void Release();

    bool Active() const { return fHandle >= 0; }
    bool IsMapped() const { return fMapping != nullptr; }
    const std::string& FileName() const { return fFileName; }
    int64_t Size() const { return fSize; }

    // The working row: unmaps the previous one and maps row y.
    uint8_t* Row(int64_t y, uint8_t access);
    // Maps row y into a buffer that stays valid until UnpinRow(y).
    uint8_t* PinRow(int64_t y, uint8_t access);
    void UnpinRow(int64_t y, uint8_t access);
    // Writes back and frees every row buffer.
    void UnmapAll(uint8_t access);

    // File-to-file copy in 1 MiB blocks (both buffers are unmapped first).
    bool CopyContentsFrom(TIEFileBuffer& source, uint8_t sourceAccess, uint8_t access);

    // Exchanges the whole state with other (used to move storage between bitmaps).
    void Swap(TIEFileBuffer& other) noexcept;

    // Test hook: whether new files may be mapped whole (default true).
    static void SetMappingAllowed(bool allowed);

private:
    void ReadRowInto(uint8_t* buffer, int64_t y);
    void WriteRowFrom(const uint8_t* buffer, int64_t y);

    int fHandle = -1;
    std::string fFileName;
    int64_t fSize = 0;
    int32_t fRowBytes = 0;
    uint8_t* fMapping = nullptr;

    std::vector<uint8_t> fWorking;
    int64_t fWorkingRow = -1;
    struct PinnedRow {
        std::unique_ptr<uint8_t[]> buffer;
        int64_t row;
    };
    std::vector<PinnedRow> fPinned;
};

} // namespace vellinor
