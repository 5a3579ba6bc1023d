#pragma once
// The colour picker of the text colour: a list of named colours with swatches.

#include "platform/Color.h"

#include <QComboBox>

namespace vellinor {

class TColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit TColorBox(QWidget* parent = nullptr);
    TColor Selected() const;
    // Selects the entry of that colour; false when the list has none.
    bool SetSelected(TColor color);
};

} // namespace vellinor
