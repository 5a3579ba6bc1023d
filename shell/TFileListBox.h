#pragma once
// FileListBox1: the files of one folder that match a ";"-separated mask
// (compared without regard to case: photo.JPG matches "*.jpg"), sorted by
// name, with the platform's file-type icons. Hidden files are not listed.

#include <QListWidget>

namespace vellinor {

inline constexpr const char* kFileListMask =
    "*.tif;*.gif;*.jpg;*.jpeg;*.pcx;*.bmp;*.ico;*.cur;*.png;*.dcm;*.wmf;*.emf;*.jp2";

class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    QString Mask() const { return fMask; }
    // Lists the matching files of a folder (none when it cannot be read).
    // Filling the list selects nothing and raises no Change.
    void SetDirectory(const QString& folder);
    QString Directory() const { return fDirectory; }
    // Empties the list (the folder is forgotten).
    void Clear();
    // The full path of the selected entry; empty when none.
    QString FileName() const;
    // Selects the entry of that name (without folder); false when absent.
    bool SelectFile(const QString& name);

signals:
    // The user selected an entry.
    void Change();

private:
    const QString fMask = QString::fromLatin1(kFileListMask);
    QString fDirectory;
    bool fFilling = false;
};

} // namespace vellinor
