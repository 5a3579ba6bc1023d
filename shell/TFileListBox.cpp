#include "shell/TFileListBox.h"

#include <QDir>
#include <QFileIconProvider>

namespace vellinor {

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!fFilling && row >= 0) emit Change();
    });
}

void TFileListBox::Clear() {
    fFilling = true;
    clear();
    fFilling = false;
    fDirectory.clear();
}

void TFileListBox::SetDirectory(const QString& folder) {
    Clear();
    fDirectory = folder;
    if (folder.isEmpty()) return;
    // Without QDir::CaseSensitive the name filters ignore case.
    const QStringList patterns = fMask.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QFileInfoList files =
        QDir(folder).entryInfoList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase);
    static QFileIconProvider icons;
    fFilling = true;
    for (const QFileInfo& file : files) {
        auto* item = new QListWidgetItem(icons.icon(file), file.fileName(), this);
        item->setData(Qt::UserRole, file.absoluteFilePath());
    }
    setCurrentRow(-1);
    fFilling = false;
}

QString TFileListBox::FileName() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

bool TFileListBox::SelectFile(const QString& name) {
    for (int row = 0; row < count(); ++row) {
        if (item(row)->text() == name) {
            setCurrentRow(row);
            return true;
        }
    }
    return false;
}

} // namespace vellinor
