#include "io/png/PngLibraryGlue.h"

#include "io/TIOProgressRec.h"
#include "platform/Stream.h"

#include <cstdio>
#include <cstring>

namespace vellinor {

namespace {

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
    TPngErrorContext* errors = ErrorsOf(png);
    if (got <= 0 || errors == nullptr || errors->StreamEnded) png_error(png, "Read Error");
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
    Png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &errors, PngErrorRoutine, PngWarningRoutine);
    if (Png == nullptr) return;
    Info = png_create_info_struct(Png);
    png_set_read_fn(Png, &stream, PngReadFromStream);
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
