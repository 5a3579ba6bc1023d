#include "shell/TColorBox.h"

#include "shell/TURLLabel.h"

#include <QPainter>
#include <QPixmap>

namespace vellinor {

namespace {

struct NamedColor {
    TColor color;
    const char* name;
};

// The sixteen standard colours.
constexpr NamedColor kStandardColors[] = {
    {0x000000, "Black"},  {0x000080, "Maroon"},  {0x008000, "Green"}, {0x008080, "Olive"},
    {0x800000, "Navy"},   {0x800080, "Purple"},  {0x808000, "Teal"},  {0x808080, "Gray"},
    {0xC0C0C0, "Silver"}, {0x0000FF, "Red"},     {0x00FF00, "Lime"},  {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},   {0xFF00FF, "Fuchsia"}, {0xFFFF00, "Aqua"},  {0xFFFFFF, "White"},
};

constexpr TColor kYellow = 0x00FFFF;

QPixmap Swatch(TColor color) {
    QPixmap pixmap(14, 14);
    pixmap.fill(QColorOf(color));
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 13, 13);
    return pixmap;
}

} // namespace

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
    for (const NamedColor& c : kStandardColors)
        addItem(QIcon(Swatch(c.color)), QString::fromLatin1(c.name), QVariant::fromValue(c.color));
    SetSelected(kYellow);
}

TColor TColorBox::Selected() const {
    return currentData().value<TColor>();
}

bool TColorBox::SetSelected(TColor color) {
    const int index = findData(QVariant::fromValue(color));
    if (index < 0) return false;
    setCurrentIndex(index);
    return true;
}

} // namespace vellinor
