#pragma once
// libjpeg's error manager, extended by the abort flag and a jump target.
//
// libjpeg cannot return from an error: the exit routine raises the abort
// flag, keeps the message text and longjmps to the setjmp of the routine
// that called the library. A longjmp must cross no frame holding a C++ object
// with a destructor, so the reader and writer keep their C++ state in the
// frames of their callers and run the library calls in functions whose
// locals are plain values; the C++ side turns the failure into
// EIEJpegException where the caller wants one.

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t
#include <jpeglib.h>
#include <string>

namespace vellinor {

struct TIOProgressRec;

struct TJpegErrorManager {
    jpeg_error_mgr Base{}; // first: libjpeg sees only this part
    std::jmp_buf Jump{};
    const TIOProgressRec* Progress = nullptr;
    // The failure: message text and code ("Application transferred too few
    // scanlines" only raises the flag and asks for no exception).
    char Message[JMSG_LENGTH_MAX] = {};
    int MessageCode = 0;
    bool WantsException = false;
    // Warnings (messages of level -1) and the code of the last one.
    int Warnings = 0;
    int LastWarning = 0;
};

// Fills in the routines; returns the jpeg_error_mgr to put into cinfo.err.
jpeg_error_mgr* InitJpegErrorManager(TJpegErrorManager& manager, const TIOProgressRec* progress);

// The library's text for a message code, each printf placeholder as "?":
// code 0 gives "Bogus message code ?", a code past the tables "Corrupted".
std::string JpegMessageText(const jpeg_error_mgr& err, int code);

// Stops the library with a message of our own (a guard the library lacks).
[[noreturn]] void RaiseJpegError(j_common_ptr cinfo, const char* message);

} // namespace vellinor
