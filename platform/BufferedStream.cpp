#include "platform/BufferedStream.h"

#include <algorithm>
#include <cstring>

namespace vellinor {

namespace {

// The position a seek asks for; -1 before the start or on overflow.
int64_t SeekTarget(int64_t position, int64_t size, int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent) base = position;
    if (origin == TSeekOrigin::soEnd) base = size;
    if (offset > 0 && base > INT64_MAX - offset) return -1;
    const int64_t target = base + offset;
    return target < 0 ? -1 : target;
}

} // namespace

TBufferedReadStream::TBufferedReadStream(TStream& source, int64_t bufferSize)
    : fSource(source), fBuffer(static_cast<size_t>(std::max<int64_t>(bufferSize, 16))) {
    fPosition = fSource.Position();
    fBufferStart = fPosition;
    fSize = fSource.Size();
}

TBufferedReadStream::~TBufferedReadStream() {
    fSource.Seek(fPosition, TSeekOrigin::soBeginning);
}

int64_t TBufferedReadStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const int64_t offset = fPosition - fBufferStart;
        if (offset >= 0 && offset < fBufferFill) {
            const int64_t n = std::min(count - done, fBufferFill - offset);
            std::memcpy(out + done, fBuffer.data() + offset, static_cast<size_t>(n));
            done += n;
            fPosition += n;
            continue;
        }
        // The buffer holds nothing of the position: refill or bypass it.
        if (fSource.Seek(fPosition, TSeekOrigin::soBeginning) != fPosition) break;
        const int64_t want = count - done;
        if (want >= static_cast<int64_t>(fBuffer.size())) {
            const int64_t got = fSource.Read(out + done, want);
            if (got <= 0) break;
            done += got;
            fPosition += got;
            fBufferFill = 0;
            continue;
        }
        fBufferStart = fPosition;
        fBufferFill = std::max<int64_t>(
            fSource.Read(fBuffer.data(), static_cast<int64_t>(fBuffer.size())), 0);
        if (fBufferFill == 0) break;
    }
    return done;
}

int64_t TBufferedReadStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t target = SeekTarget(fPosition, fSize, offset, origin);
    if (target >= 0) fPosition = target;
    return target;
}

int64_t TCountingStream::Write(const void*, int64_t count) {
    if (count <= 0) return 0;
    fPosition += count;
    fSize = std::max(fSize, fPosition);
    return count;
}

int64_t TCountingStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t target = SeekTarget(fPosition, fSize, offset, origin);
    if (target >= 0) fPosition = target;
    return target;
}

bool TCountingStream::SetSize(int64_t size) {
    if (size < 0) return false;
    fSize = size;
    fPosition = std::min(fPosition, size);
    return true;
}

} // namespace vellinor
