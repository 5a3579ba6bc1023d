#include "shell/TShellTreeView.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMouseEvent>

namespace vellinor {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kReadRole = Qt::UserRole + 1;

QFileIconProvider& Icons() {
    static QFileIconProvider provider;
    return provider;
}

QString Cleaned(const QString& path) {
    return QDir::cleanPath(QDir(path).absolutePath());
}

// True when child is path itself or lies below it.
bool IsWithin(const QString& child, const QString& path) {
    if (child == path) return true;
    const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    return child.startsWith(prefix);
}

} // namespace

TShellTreeView::TShellTreeView(QWidget* parent, QStringList roots) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { ReadChildren(item); });
    connect(this, &QTreeWidget::currentItemChanged, this, [this] { emit Change(); });
    if (roots.isEmpty()) roots = {QDir::homePath(), QDir::rootPath()};
    for (const QString& root : roots) {
        const QString path = Cleaned(root);
        const QString name = QFileInfo(path).fileName();
        AddFolder(nullptr, path, name.isEmpty() ? path : name);
    }
    if (topLevelItemCount() > 0) topLevelItem(0)->setExpanded(true);
}

QTreeWidgetItem* TShellTreeView::AddFolder(QTreeWidgetItem* parent, const QString& path,
                                           const QString& name) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, name);
    item->setData(0, kPathRole, path);
    item->setIcon(0, Icons().icon(QFileInfo(path)));
    // Whether it has subfolders is known only once it is read.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void TShellTreeView::ReadChildren(QTreeWidgetItem* item) {
    if (item->data(0, kReadRole).toBool()) return;
    item->setData(0, kReadRole, true);
    const QString path = PathOf(item);
    // An unreadable folder simply has no children.
    const QFileInfoList folders =
        QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& folder : folders)
        AddFolder(item, Cleaned(folder.absoluteFilePath()), folder.fileName());
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QString TShellTreeView::PathOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kPathRole).toString() : QString();
}

QString TShellTreeView::SelectedPath() const {
    return PathOf(currentItem());
}

bool TShellTreeView::SelectPath(const QString& path) {
    const QString wanted = Cleaned(path);
    // The deepest top folder that holds the path (home before "/").
    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = topLevelItem(i);
        if (IsWithin(wanted, PathOf(top)) && (!item || PathOf(top).size() > PathOf(item).size()))
            item = top;
    }
    while (item && PathOf(item) != wanted) {
        item->setExpanded(true); // reads its children
        QTreeWidgetItem* next = nullptr;
        for (int c = 0; c < item->childCount() && !next; ++c)
            if (IsWithin(wanted, PathOf(item->child(c)))) next = item->child(c);
        item = next;
    }
    if (!item) return false;
    setCurrentItem(item);
    scrollToItem(item);
    return true;
}

void TShellTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (QTreeWidgetItem* item = itemAt(event->position().toPoint())) setCurrentItem(item);
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

} // namespace vellinor
