#pragma once
// Byte streams: the abstraction every codec reads from and writes to, with the
// memory and file kinds. File open and create failures raise the platform's errors.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace vellinor {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// "Cannot open file "%s". %s"
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
// "Cannot create file "%s". %s"
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes up to count bytes; returns how many were written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position; returns the new position, or -1 when it cannot.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    virtual int64_t Size();
    // Changes the size; false when the stream cannot.
    virtual bool SetSize(int64_t size);
    // A hint that about this many more bytes will be written.
    virtual void Reserve(int64_t bytes) {}

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

    // True when exactly count bytes were transferred.
    bool ReadExact(void* buffer, int64_t count) { return Read(buffer, count) == count; }
    bool WriteExact(const void* buffer, int64_t count) { return Write(buffer, count) == count; }

    template <typename T>
    bool ReadValue(T& value) {
        return ReadExact(&value, sizeof(T));
    }
    template <typename T>
    bool WriteValue(const T& value) {
        return WriteExact(&value, sizeof(T));
    }

    // Copies count bytes (all the rest when count < 0) from source; returns the
    // number copied.
    int64_t CopyFrom(TStream& source, int64_t count = -1);
};

// A growable stream in memory that owns its bytes.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : fData(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(fData.size()); }
    bool SetSize(int64_t size) override;
    void Reserve(int64_t bytes) override;

    const std::vector<uint8_t>& Data() const { return fData; }
    std::vector<uint8_t>& Data() { return fData; }

private:
    std::vector<uint8_t> fData;
    int64_t fPosition = 0;
};

// A stream over memory owned by somebody else, of fixed size; read-only when
// made from const bytes.
class TSpanStream : public TStream {
public:
    explicit TSpanStream(std::span<uint8_t> bytes) : fData(bytes), fWritable(true) {}
    explicit TSpanStream(std::span<const uint8_t> bytes)
        : fData(const_cast<uint8_t*>(bytes.data()), bytes.size()), fWritable(false) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(fData.size()); }
    bool SetSize(int64_t) override { return false; }

private:
    std::span<uint8_t> fData;
    bool fWritable;
    int64_t fPosition = 0;
};

enum class TFileMode { fmOpenRead, fmOpenWrite, fmOpenReadWrite, fmCreate };

// A file on disk. Construction raises EFOpenError or EFCreateError.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    bool SetSize(int64_t size) override;

    const std::string& FileName() const { return fFileName; }
    int Handle() const { return fHandle; }

private:
    std::string fFileName;
    int fHandle = -1;
};

// The full path shown in file error messages.
std::string FullFileName(const std::string& fileName);

} // namespace vellinor
