#pragma once
// ShellTreeView1: the folder tree of the browser. Its top holds the user's
// home folder (expanded) and the file-system root; it shows folders only,
// without hidden ones, with the platform's folder icons. A folder's children
// are read once, when it is first expanded (no automatic refresh). A right
// click selects the folder under the pointer.

#include <QTreeWidget>

namespace vellinor {

class TShellTreeView : public QTreeWidget {
    Q_OBJECT
public:
    // roots: the top folders; by default the home folder and "/".
    explicit TShellTreeView(QWidget* parent = nullptr, QStringList roots = {});

    // The file-system path of the selected folder; empty when none.
    QString SelectedPath() const;
    // Expands the folders leading to path and selects it; false when the
    // tree does not reach it.
    bool SelectPath(const QString& path);

signals:
    // The selected folder changed.
    void Change();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const QString& path, const QString& name);
    void ReadChildren(QTreeWidgetItem* item);
    static QString PathOf(const QTreeWidgetItem* item);
};

} // namespace vellinor
