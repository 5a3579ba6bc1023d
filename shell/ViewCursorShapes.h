#pragma once
// A Qt cursor for every screen cursor index of the view, chosen by its role:
// Qt's standard shapes where they fit, our own magnifiers for zooming.

#include <QCursor>

namespace vellinor {

QCursor CursorForIndex(int index);

} // namespace vellinor
