#pragma once
// Two stream wrappers: a read buffer in front of another stream (codecs that
// read a few bytes at a time would otherwise call the system for each), and a
// stream that only counts what is written to it (the size a writer would
// produce, without storing it).

#include "platform/Stream.h"

#include <vector>

namespace vellinor {

// Reads through a buffer of 8192 bytes. Reads of at least a buffer's size go
// straight to the source. Writes are refused. The source's position follows
// the buffer, not the reader; after the reader is gone it is left where the
// reader's position is (the destructor seeks it back).
class TBufferedReadStream : public TStream {
public:
    static constexpr int64_t kDefaultBufferSize = 8192;

    explicit TBufferedReadStream(TStream& source, int64_t bufferSize = kDefaultBufferSize);
    ~TBufferedReadStream() override;
    TBufferedReadStream(const TBufferedReadStream&) = delete;
    TBufferedReadStream& operator=(const TBufferedReadStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return fSize; }

private:
    TStream& fSource;
    std::vector<uint8_t> fBuffer;
    int64_t fBufferStart = 0; // source position of fBuffer[0]
    int64_t fBufferFill = 0;  // valid bytes in fBuffer
    int64_t fPosition = 0;    // the reader's position
    int64_t fSize = 0;
};

// Stores nothing: writes succeed and move the position, Size() is the end of
// what was written. Reads give nothing.
class TCountingStream : public TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return fSize; }
    bool SetSize(int64_t size) override;

private:
    int64_t fPosition = 0;
    int64_t fSize = 0;
};

} // namespace vellinor
