#pragma once
// The program's icon, drawn by us: a framed photograph with a copyright sign.

#include <QIcon>
#include <QPixmap>

namespace vellinor {

QPixmap ProgramPixmap(int size);
QIcon ProgramIcon();

} // namespace vellinor
