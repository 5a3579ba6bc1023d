#include "io/jpeg/JpegErrorManager.h"

#include "io/TIOProgressRec.h"

#include <cctype>
#include <cstring>
#include <jerror.h>

namespace vellinor {

namespace {

TJpegErrorManager& ManagerOf(j_common_ptr cinfo) {
    // Base is the first member.
    return *reinterpret_cast<TJpegErrorManager*>(cinfo->err);
}

// Copies a printf format with every conversion replaced by "?".
std::string WithPlaceholders(const char* format) {
    std::string text;
    for (const char* p = format; *p != 0; ++p) {
        if (*p != '%') {
            text += *p;
            continue;
        }
        if (p[1] == '%') {
            text += '%';
            ++p;
            continue;
        }
        ++p;
        while (*p != 0 && !std::isalpha(static_cast<unsigned char>(*p)))
            ++p; // flags, width, precision
        while (*p == 'l' || *p == 'h' || *p == 'z')
            ++p; // length modifiers
        text += '?';
        if (*p == 0) break;
    }
    return text;
}

void Stop(j_common_ptr cinfo, const std::string& text, bool wantsException) {
    TJpegErrorManager& manager = ManagerOf(cinfo);
    std::snprintf(manager.Message, sizeof manager.Message, "%s", text.c_str());
    manager.WantsException = wantsException;
    if (manager.Progress != nullptr) manager.Progress->Abort();
}

[[noreturn]] void ExitRoutine(j_common_ptr cinfo) {
    TJpegErrorManager& manager = ManagerOf(cinfo);
    const int code = cinfo->err->msg_code;
    manager.MessageCode = code;
    // Built in a block of its own: the string is gone before the longjmp.
    {
        const std::string text = JpegMessageText(*cinfo->err, code);
        Stop(cinfo, text, code != JERR_TOO_LITTLE_DATA);
    }
    std::longjmp(manager.Jump, 1);
}

void EmitRoutine(j_common_ptr cinfo, int level) {
    if (level != -1) return;
    TJpegErrorManager& manager = ManagerOf(cinfo);
    ++manager.Warnings;
    manager.LastWarning = cinfo->err->msg_code;
    ++cinfo->err->num_warnings;
}

void OutputRoutine(j_common_ptr) {}

void FormatRoutine(j_common_ptr cinfo, char* buffer) {
    const std::string text = JpegMessageText(*cinfo->err, cinfo->err->msg_code);
    std::snprintf(buffer, JMSG_LENGTH_MAX, "%s", text.c_str());
}

void ResetRoutine(j_common_ptr cinfo) {
    TJpegErrorManager& manager = ManagerOf(cinfo);
    manager.Warnings = 0;
    manager.LastWarning = 0;
    cinfo->err->num_warnings = 0;
    cinfo->err->msg_code = 0;
}

} // namespace

std::string JpegMessageText(const jpeg_error_mgr& err, int code) {
    const char* format = nullptr;
    if (code > 0 && code <= err.last_jpeg_message) {
        format = err.jpeg_message_table[code];
    } else if (err.addon_message_table != nullptr && code >= err.first_addon_message &&
               code <= err.last_addon_message) {
        format = err.addon_message_table[code - err.first_addon_message];
    } else if (code == 0) {
        format = err.jpeg_message_table[0];
    }
    if (format == nullptr) return "Corrupted";
    return WithPlaceholders(format);
}

jpeg_error_mgr* InitJpegErrorManager(TJpegErrorManager& manager, const TIOProgressRec* progress) {
    jpeg_std_error(&manager.Base);
    manager.Base.error_exit = ExitRoutine;
    manager.Base.emit_message = EmitRoutine;
    manager.Base.output_message = OutputRoutine;
    manager.Base.format_message = FormatRoutine;
    manager.Base.reset_error_mgr = ResetRoutine;
    manager.Progress = progress;
    return &manager.Base;
}

void RaiseJpegError(j_common_ptr cinfo, const char* message) {
    TJpegErrorManager& manager = ManagerOf(cinfo);
    manager.MessageCode = 0;
    Stop(cinfo, message, true);
    std::longjmp(manager.Jump, 1);
}

} // namespace vellinor
