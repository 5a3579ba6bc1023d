#pragma once
// EInvalidGraphic: a writer could not produce its file ("Error on creating
// PNG"). One of the few exceptions that leave a save on purpose.

#include <stdexcept>

namespace vellinor {

class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vellinor
