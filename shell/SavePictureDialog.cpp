#include "shell/SavePictureDialog.h"

#include <QFileDialog>

namespace vellinor {

namespace {

class TQtSavePictureDialog : public TSavePictureDialog {
public:
    bool Execute(QWidget* parent) override {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        const QStringList filters = QtNameFilters(QString::fromLatin1(kSavePictureFilter));
        dialog.setNameFilters(filters);
        dialog.setDefaultSuffix(QString::fromLatin1(kSavePictureDefaultExt).mid(1));
        if (!fFolder.isEmpty()) dialog.setDirectory(fFolder);
        dialog.selectNameFilter(filters.value(fFilterIndex - 1));
        dialog.selectFile(QString()); // the name field starts empty every time
        // No places bar.
        if (auto* places = dialog.findChild<QWidget*>(QStringLiteral("sidebar"))) places->hide();
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        fFileName = dialog.selectedFiles().first();
        fFilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
        fFolder = dialog.directory().absolutePath();
        return true;
    }
    QString FileName() const override { return fFileName; }
    int FilterIndex() const override { return fFilterIndex; }

private:
    QString fFileName;
    QString fFolder;
    int fFilterIndex = 1;
};

} // namespace

std::unique_ptr<TSavePictureDialog> CreateSavePictureDialog() {
    return std::make_unique<TQtSavePictureDialog>();
}

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        const QString& pattern = parts[i + 1];
        // A name that shows its pattern already keeps it.
        filters << (name.contains(QLatin1Char('(')) ? name : name + " (" + pattern + ")");
    }
    return filters;
}

TIOPreviewsPages OptionsPageOfFilterRow(int row) {
    static constexpr TIOPreviewsPages kPages[] = {ppgGif, ppgJpeg, ppgBmp,     ppgPcx,
                                                  ppgPng, ppgTiff, ppgJpeg2000};
    if (row < 1 || row > int(std::size(kPages))) return 0;
    return kPages[row - 1];
}

} // namespace vellinor
