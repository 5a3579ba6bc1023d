#pragma once
// What ties libpng to our streams and our error handling.
//
// libpng reports errors by longjmp back to the setjmp of the calling routine.
// A longjmp must never cross a frame that holds a C++ object with a
// destructor, so:
// - the routines that call libpng keep their C++ state (buffers, bitmaps) in
//   the frames of their callers, and run the libpng calls in a function whose
//   locals are plain values;
// - the stream callbacks below catch every C++ exception of the stream before
//   they call png_error, so no exception ever travels through libpng's C frames.
// The read and write records are owned by TPngReadRecord / TPngWriteRecord,
// whose destructors run in the caller's frame, after any longjmp has landed.

#include <png.h>

namespace vellinor {

class TStream;
struct TIOProgressRec;

// Handed to libpng as its error pointer.
struct TPngErrorContext {
    const TIOProgressRec* Progress = nullptr;
    // The stream ended inside a request (reading).
    bool StreamEnded = false;
    // The first message libpng gave with its error.
    char Message[128] = {};
};

// Error routine: raises the abort flag (reading; the writer's caller turns the
// failure into EInvalidGraphic) and longjmps to the caller's setjmp.
[[noreturn]] void PngErrorRoutine(png_structp png, png_const_charp message);
// Warnings change nothing.
void PngWarningRoutine(png_structp png, png_const_charp message);

// Reads from the TStream in png_get_io_ptr. When the stream ends inside a
// request, the bytes it had are passed on with zeros after them, and the
// next request is an error (the silent abort): rows the data completes are
// still decoded.
void PngReadFromStream(png_structp png, png_bytep data, size_t length);
// Writes to the TStream in png_get_io_ptr; a stream that takes fewer bytes
// raises the abort flag of the TPngErrorContext and the writing goes on.
void PngWriteToStream(png_structp png, png_bytep data, size_t length);
void PngFlushStream(png_structp png);

// The read record with its info record; empty when libpng could not create them.
class TPngReadRecord {
public:
    TPngReadRecord(TStream& stream, TPngErrorContext& errors);
    ~TPngReadRecord();
    TPngReadRecord(const TPngReadRecord&) = delete;
    TPngReadRecord& operator=(const TPngReadRecord&) = delete;
    bool Valid() const { return Png != nullptr && Info != nullptr; }

    png_structp Png = nullptr;
    png_infop Info = nullptr;
};

class TPngWriteRecord {
public:
    TPngWriteRecord(TStream& stream, TPngErrorContext& errors);
    ~TPngWriteRecord();
    TPngWriteRecord(const TPngWriteRecord&) = delete;
    TPngWriteRecord& operator=(const TPngWriteRecord&) = delete;
    bool Valid() const { return Png != nullptr && Info != nullptr; }

    png_structp Png = nullptr;
    png_infop Info = nullptr;
};

} // namespace vellinor
