// SPDX-License-Identifier: MIT
#include "PickerLists.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

namespace brivel {

namespace {

constexpr int PathRole = Qt::UserRole;

QString cleanFolder(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Root path of the readable volume that holds path; empty when there is none.
QString volumeOf(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QStorageInfo volume(path);
    if (!volume.isValid() || !volume.isReady())
        return {};
    return volume.rootPath();
}

// Names may hold line breaks and other control characters: show them as
// one line; the real name stays with the item.
QString shownName(const QString &name)
{
    QString shown = name;
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    }
    return shown;
}

} // namespace

bool isReadableFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

// ---------------------------------------------------------------------------

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    refresh();
    connect(this, &QComboBox::activated, this, &DriveList::userPicked);
}

void DriveList::refresh()
{
    const QSignalBlocker block(this);
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    roots.sort();
    clear();
    addItems(roots);
    showCurrent();
}

void DriveList::showCurrent()
{
    const QSignalBlocker block(this);
    setCurrentIndex(findText(m_drive));
}

bool DriveList::setDrive(const QString &path)
{
    const QString root = volumeOf(path);
    if (root.isEmpty() || !isReadableFolder(root))
        return false;
    if (findText(root) < 0)
        refresh();
    if (findText(root) < 0)
        return false;
    const bool moved = root != m_drive;
    m_drive = root;
    showCurrent();
    if (moved)
        emit Change();
    return true;
}

void DriveList::userPicked(int index)
{
    const QString root = itemText(index);
    if (volumeOf(root) != root || !isReadableFolder(root)) {
        // Gone or unreadable since the list was read: stay where we were.
        refresh();
        emit Refused();
        return;
    }
    // Picking the current drive again also counts: it brings the folder
    // list back to the volume root.
    m_drive = root;
    emit Change();
}

void DriveList::showPopup()
{
    refresh();
    QComboBox::showPopup();
}

// ---------------------------------------------------------------------------

DirectoryList::DirectoryList(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setIndentation(10);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item, int) { open(item); });
}

bool DirectoryList::setPath(const QString &path)
{
    if (!isReadableFolder(path))
        return false;
    const QString clean = cleanFolder(path);
    const bool moved = clean != m_path;
    m_path = clean;
    rebuild();
    if (moved)
        emit Change();
    return true;
}

void DirectoryList::open(QTreeWidgetItem *item)
{
    const QString path = item->data(0, PathRole).toString();
    if (path == m_path)
        return;
    if (!isReadableFolder(path)) {
        rebuild();
        emit Refused();
        return;
    }
    m_path = path;
    rebuild();
    emit Change();
}

void DirectoryList::rebuild()
{
    clear();
    if (m_path.isEmpty())
        return;

    // The chain from the volume root down to the current folder. A path
    // reached through a link may not lie below its volume's root: then the
    // chain starts at the file system root.
    const QString root = volumeOf(m_path);
    QStringList chain;
    for (QString p = m_path;;) {
        chain.prepend(p);
        if (p == root)
            break;
        const QString up = QFileInfo(p).absolutePath();
        if (up == p)
            break;
        p = up;
    }

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QTreeWidgetItem *current = nullptr;
    for (const QString &p : std::as_const(chain)) {
        auto *item = current ? new QTreeWidgetItem(current) : new QTreeWidgetItem(this);
        item->setText(0, current ? shownName(QFileInfo(p).fileName()) : p);
        item->setData(0, PathRole, p);
        item->setIcon(0, openIcon);
        current = item;
    }
    const QDir dir(m_path);
    for (const QString &name :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                      QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QTreeWidgetItem(current);
        item->setText(0, shownName(name));
        item->setData(0, PathRole, dir.filePath(name));
        item->setIcon(0, closedIcon);
    }
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

// ---------------------------------------------------------------------------

FileList::FileList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit Click();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit DblClick();
    });
}

bool FileList::setPath(const QString &path)
{
    if (!isReadableFolder(path))
        return false;
    m_path = cleanFolder(path);
    clear();
    const QDir dir(m_path);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(shownName(name), this);
        item->setData(PathRole, name);
    }
    return true;
}

QString FileList::FileName() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(PathRole).toString();
}

void FileList::keyPressEvent(QKeyEvent *event)
{
    const QString before = FileName();
    QListWidget::keyPressEvent(event);
    if (!FileName().isEmpty() && FileName() != before)
        emit Click();
}

} // namespace brivel
