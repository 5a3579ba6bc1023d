// The DCX page table: checking, reading a page, and rebuilding the container
// with a new page.

#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/pcx/DcxCodec.h"
#include "io/pcx/PcxCodec.h"
#include "platform/Stream.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace vellinor {

namespace {

// The page offsets of the table at the stream's position (which is left
// after the table). False when the magic is missing, the table is cut off,
// or an offset lies outside the stream.
bool ReadDcxTable(TStream& stream, std::vector<uint32_t>& offsets) {
    offsets.clear();
    const int64_t size = BytesLeft(stream);
    const std::vector<uint8_t> table = ReadBlock(stream, 4 * (1 + int64_t{kDcxMaxPages}));
    if (table.size() < 4 || LoadLE32(table.data()) != kDcxMagic) return false;
    for (size_t at = 4; offsets.size() < kDcxMaxPages; at += 4) {
        if (at + 4 > table.size()) return false;
        const uint32_t offset = LoadLE32(table.data() + at);
        if (offset == 0) return true;
        if (offset >= size) return false;
        offsets.push_back(offset);
    }
    return true;
}

// Bytes from a page's offset to the nearest larger offset of another page,
// or to the end.
int64_t DcxPageSize(const std::vector<uint32_t>& offsets, size_t page, int64_t dataSize) {
    const uint32_t start = offsets[page];
    int64_t end = dataSize;
    for (const uint32_t offset : offsets)
        if (offset > start && offset < end) end = offset;
    return end - start;
}

bool WriteDword(TStream& stream, uint32_t value) {
    uint8_t bytes[4];
    StoreLE32(bytes, value);
    return stream.WriteExact(bytes, 4);
}

} // namespace

bool IsDcxStream(TStream& stream) {
    const int64_t start = stream.Position();
    if (start < 0) return false;
    std::vector<uint32_t> offsets;
    const bool ok = ReadDcxTable(stream, offsets);
    stream.Seek(start, TSeekOrigin::soBeginning);
    return ok;
}

void ReadDcxStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool preview,
                   TIOProgressRec& progress) {
    const int64_t start = stream.Position();
    const int64_t dataSize = BytesLeft(stream);
    std::vector<uint32_t> offsets;
    if (start < 0 || !ReadDcxTable(stream, offsets) || offsets.empty()) {
        progress.Abort();
        return;
    }
    const int count = static_cast<int>(offsets.size());
    const int page = std::clamp(params.FrameIndex(), 0, count - 1);
    params.SetFrameIndex(page);
    const int64_t at = start + offsets[static_cast<size_t>(page)];
    if (stream.Seek(at, TSeekOrigin::soBeginning) != at) {
        progress.Abort();
        return;
    }
    ReadPcxStream(stream, bitmap, params, preview, progress,
                  DcxPageSize(offsets, static_cast<size_t>(page), dataSize));
    params.SetFrameCount(count);
}

void WriteDcxStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                    TIOProgressRec& progress) {
    const int64_t oldSize = stream.Size();
    std::vector<uint32_t> offsets;
    std::vector<uint8_t> old;
    if (oldSize > 0) {
        if (stream.Seek(0, TSeekOrigin::soBeginning) != 0 || !ReadDcxTable(stream, offsets)) {
            progress.Abort();
            return;
        }
        stream.Seek(0, TSeekOrigin::soBeginning);
        old = ReadBlock(stream, oldSize);
        if (static_cast<int64_t>(old.size()) != oldSize) {
            progress.Abort();
            return;
        }
    }
    const size_t count = offsets.size();
    if (count >= kDcxMaxPages) {
        progress.Abort(); // no room in the table for another page
        return;
    }
    // An index past the pages appends, so the new page is never lost.
    const size_t insertAt = static_cast<size_t>(
        std::clamp<int64_t>(params.FrameIndex(), 0, static_cast<int64_t>(count)));

    TMemoryStream built;
    built.Reserve(oldSize + 4096);
    WriteDword(built, kDcxMagic);
    for (size_t i = 0; i < count + 2; ++i)
        WriteDword(built, 0);
    std::vector<uint32_t> newOffsets;
    for (size_t page = 0; page <= count; ++page) {
        if (page == insertAt) {
            newOffsets.push_back(static_cast<uint32_t>(built.Position()));
            WritePcxStream(built, bitmap, params, progress);
            if (progress.Aborted()) return;
        }
        if (page == count) break;
        newOffsets.push_back(static_cast<uint32_t>(built.Position()));
        const int64_t size = DcxPageSize(offsets, page, oldSize);
        built.WriteExact(old.data() + offsets[page], size);
        if (built.Size() > std::numeric_limits<uint32_t>::max()) break;
    }
    if (built.Size() > std::numeric_limits<uint32_t>::max()) {
        progress.Abort(); // offsets are 32-bit
        return;
    }
    built.Seek(4, TSeekOrigin::soBeginning);
    for (const uint32_t offset : newOffsets)
        WriteDword(built, offset);
    WriteDword(built, 0);

    stream.Seek(0, TSeekOrigin::soBeginning);
    if ((!stream.SetSize(0) && stream.Size() > 0) ||
        !stream.WriteExact(built.Data().data(), built.Size())) {
        progress.Abort();
    }
}

} // namespace vellinor
