#pragma once
// EIEJpegException: libjpeg stopped with an error; the text is the library's
// message with its placeholders written as "?". Leaves a JPEG save; the
// reader catches it.

#include <stdexcept>

namespace vellinor {

class EIEJpegException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vellinor
