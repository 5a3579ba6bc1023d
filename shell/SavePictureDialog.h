#pragma once
// SavePictureDialog1: where "SaveAs..." asks for the file name and the filter
// row. The main window talks to it through this interface, so tests can stand
// in for the modal dialog; the program uses the Qt file dialog.

#include "io/IOFormats.h"

#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

namespace vellinor {

inline constexpr const char* kSavePictureFilter =
    "GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|Bitmaps (*.bmp)|*.bmp|PCX|*.pcx|"
    "PNG|*.png|TIF|*.tif|JP2|*.jp2";
inline constexpr const char* kSavePictureDefaultExt = ".gif";

class TSavePictureDialog {
public:
    virtual ~TSavePictureDialog() = default;
    // Shows the dialog with an empty name field; false when cancelled.
    virtual bool Execute(QWidget* parent) = 0;
    // The chosen file (a default extension added when the name had none).
    virtual QString FileName() const = 0;
    // The selected filter row, counted from 1.
    virtual int FilterIndex() const = 0;
};

// The Qt file dialog with kSavePictureFilter and kSavePictureDefaultExt. It
// remembers its folder from one use to the next.
std::unique_ptr<TSavePictureDialog> CreateSavePictureDialog();

// "Name|pattern|Name|pattern..." as Qt name filters ("Name (pattern)"), one
// per row, in order.
QStringList QtNameFilters(const QString& filter);

// The options page of a filter row (1 GIF ... 7 JP2); 0 for any other row.
TIOPreviewsPages OptionsPageOfFilterRow(int row);

} // namespace vellinor
