#pragma once
// The hourglass for the whole application while an object of this type
// lives; the default cursor comes back however the scope is left.

#include <QApplication>

namespace vellinor {

class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace vellinor
