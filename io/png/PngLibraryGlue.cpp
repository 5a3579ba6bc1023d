#include "io/png/PngLibraryGlue.h"

#include "io/TIOProgressRec.h"
#include "platform/Stream.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vellinor {

namespace {

constexpr int64_t kLargestPaddedRead = 65536;
// Text and other chunks larger than this are refused before they are read.
constexpr png_alloc_size_t kChunkMemoryLimit = 8'000'000;
// libpng only warns about a chunk above that limit and then allocates (and
// clears) a buffer of the size the file claims; no block libpng needs for a
// real file (rows of a million pixels included) comes near this.
constexpr png_alloc_size_t kLargestAllocation = png_alloc_size_t{64} << 20;

png_voidp Allocate(png_structp, png_alloc_size_t size) {
    return size <= kLargestAllocation ? std::malloc(size) : nullptr;
}

void Release(png_structp, png_voidp block) {
    std::free(block);
}

TPngErrorContext* ErrorsOf(png_structp png) {
    return static_cast<TPngErrorContext*>(png_get_error_ptr(png));
}

// The stream's answer, with its exceptions turned into a failed transfer.
int64_t ReadSafely(TStream& stream, void* data, int64_t length) noexcept {
    try {
        return stream.Read(data, length);
    } catch (...) {
        return -1;
    }
}

int64_t WriteSafely(TStream& stream, const void* data, int64_t length) noexcept {
    try {
        return stream.Write(data, length);
    } catch (...) {
        return -1;
    }
}

} // namespace

void PngErrorRoutine(png_structp png, png_const_charp message) {
    if (TPngErrorContext* errors = ErrorsOf(png)) {
        if (errors->Message[0] == 0 && message != nullptr) {
            std::snprintf(errors->Message, sizeof errors->Message, "%s", message);
        }
        if (errors->Progress != nullptr) errors->Progress->Abort();
    }
    png_longjmp(png, 1);
}

void PngWarningRoutine(png_structp, png_const_charp) {}

void PngReadFromStream(png_structp png, png_bytep data, size_t length) {
    auto* stream = static_cast<TStream*>(png_get_io_ptr(png));
    const auto wanted = static_cast<int64_t>(length);
    const int64_t got = ReadSafely(*stream, data, wanted);
    if (got == wanted) return;
    // The part of a request that the stream still had is decoded (the rows
    // it completes are kept) before the next request fails.
    // Only row data comes in small requests; a large one is a chunk the
    // file claims but does not hold.
    TPngErrorContext* errors = ErrorsOf(png);
    if (got <= 0 || wanted > kLargestPaddedRead || errors == nullptr || errors->StreamEnded) {
        png_error(png, "Read Error");
    }
    errors->StreamEnded = true;
    std::memset(data + got, 0, static_cast<size_t>(wanted - got));
}

void PngWriteToStream(png_structp png, png_bytep data, size_t length) {
    auto* stream = static_cast<TStream*>(png_get_io_ptr(png));
    const auto offered = static_cast<int64_t>(length);
    if (WriteSafely(*stream, data, offered) != offered) {
        if (TPngErrorContext* errors = ErrorsOf(png); errors && errors->Progress) {
            errors->Progress->Abort();
        }
    }
}

void PngFlushStream(png_structp) {}

TPngReadRecord::TPngReadRecord(TStream& stream, TPngErrorContext& errors) {
    Png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &errors, PngErrorRoutine,
                                   PngWarningRoutine, nullptr, Allocate, Release);
    if (Png == nullptr) return;
    Info = png_create_info_struct(Png);
    png_set_read_fn(Png, &stream, PngReadFromStream);
    png_set_chunk_malloc_max(Png, kChunkMemoryLimit);
}

TPngReadRecord::~TPngReadRecord() {
    if (Png != nullptr) png_destroy_read_struct(&Png, Info != nullptr ? &Info : nullptr, nullptr);
}

TPngWriteRecord::TPngWriteRecord(TStream& stream, TPngErrorContext& errors) {
    Png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &errors, PngErrorRoutine, PngWarningRoutine);
    if (Png == nullptr) return;
    Info = png_create_info_struct(Png);
    png_set_write_fn(Png, &stream, PngWriteToStream, PngFlushStream);
}

TPngWriteRecord::~TPngWriteRecord() {
    if (Png != nullptr) png_destroy_write_struct(&Png, Info != nullptr ? &Info : nullptr);
}

} // namespace vellinor
