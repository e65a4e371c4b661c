// SPDX-License-Identifier: MIT
#include "PickerLists.h"

#include <QAbstractListModel>
#include <QDirIterator>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPromise>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>
#include <chrono>
#include <future>
#include <optional>
#include <system_error>
#include <thread>

namespace brivel {

namespace {

constexpr int PathRole = Qt::UserRole;
// Names handed to the window's thread at a time.
constexpr qsizetype Batch = 2000;
// How long a change waits for the file system to say whether a folder can
// be read: a local disk answers at once, a hung network mount never.
constexpr std::chrono::milliseconds AnswerLimit(250);

// The lists' order: by name whatever the letter case.
bool inListOrder(const QString &a, const QString &b)
{
    const int byName = a.compare(b, Qt::CaseInsensitive);
    return byName != 0 ? byName < 0 : a < b;
}

// Asks on a thread of its own and waits at most AnswerLimit; nothing when
// no answer came in time. A question that hangs is left to end alone.
template <typename Question> auto answered(Question question) -> std::optional<decltype(question())>
{
    using Answer = decltype(question());
    std::packaged_task<Answer()> task(std::move(question));
    std::future<Answer> answer = task.get_future();
    try {
        std::thread(std::move(task)).detach();
    } catch (const std::system_error &) {
        return std::nullopt;
    }
    if (answer.wait_for(AnswerLimit) != std::future_status::ready)
        return std::nullopt;
    return answer.get();
}

// Works on a thread of its own; the watcher, owned by owner, reports the
// result on owner's thread, or no result when the thread could not start.
template <typename T, typename Work> QFutureWatcher<T> *inBackground(QObject *owner, Work work)
{
    auto *watcher = new QFutureWatcher<T>(owner);
    QPromise<T> promise;
    watcher->setFuture(promise.future());
    try {
        std::thread([promise = std::move(promise), work = std::move(work)]() mutable {
            promise.start();
            T result = work(promise);
            if (!promise.isCanceled())
                promise.addResult(std::move(result));
            promise.finish();
        }).detach();
    } catch (const std::system_error &) {
        // The promise ended unkept: the watcher finishes without a result.
    }
    return watcher;
}

template <typename T> T resultOf(const QFutureWatcher<T> *watcher)
{
    return watcher->future().resultCount() > 0 ? watcher->future().resultAt(0) : T();
}

QString cleanFolder(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isReadableFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
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

// Whether path is a folder that can be read, and the root of its volume;
// neither when the file system did not answer in time.
struct Place {
    bool readable = false;
    QString root;
};
Place placeOf(const QString &path)
{
    return answered([path] {
               return Place{isReadableFolder(path), volumeOf(path)};
           })
        .value_or(Place{});
}

// Root of the readable volume that holds path, empty as volumeOf.
QString readableVolumeOf(const QString &path)
{
    return answered([path] {
               const QString root = volumeOf(path);
               return isReadableFolder(root) ? root : QString();
           })
        .value_or(QString());
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

// ---------------------------------------------------------------------------

FolderReader::FolderReader(QDir::Filters filters, QObject *parent)
    : QObject(parent), m_filters(filters)
{
    m_handing.setInterval(0);
    connect(&m_handing, &QTimer::timeout, this, &FolderReader::handOn);
}

FolderReader::~FolderReader()
{
    stop();
}

void FolderReader::stop()
{
    if (m_reading) {
        m_reading->disconnect(this);
        m_reading->cancel();
        m_reading->deleteLater();
        m_reading = nullptr;
    }
    m_handing.stop();
    m_read.clear();
    m_handed = 0;
}

void FolderReader::read(const QString &path)
{
    stop();
    m_reading = inBackground<QStringList>(
        this, [path, filters = m_filters](const QPromise<QStringList> &promise) {
            QStringList names;
            QDirIterator it(path, filters);
            while (it.hasNext() && !promise.isCanceled())
                names.append(it.nextFileInfo().fileName());
            std::sort(names.begin(), names.end(), inListOrder);
            return names;
        });
    connect(m_reading, &QFutureWatcherBase::finished, this, [this] {
        m_read = resultOf(m_reading);
        m_reading->deleteLater();
        m_reading = nullptr;
        m_handing.start();
    });
}

void FolderReader::handOn()
{
    const QStringList batch = m_read.mid(m_handed, Batch);
    m_handed += batch.size();
    if (m_handed >= m_read.size())
        stop();
    if (!batch.isEmpty())
        emit names(batch);
    if (!busy())
        emit finished();
}

// ---------------------------------------------------------------------------

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, &DriveList::userPicked);
    refresh();
}

void DriveList::refresh()
{
    // One question at a time: a hung mount answers late or never.
    if (m_asking)
        return;
    m_asking = inBackground<QStringList>(this, [](const QPromise<QStringList> &) {
        QStringList roots;
        for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
            if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
                roots.append(volume.rootPath());
        }
        return roots;
    });
    connect(m_asking, &QFutureWatcherBase::finished, this, [this] {
        const QStringList roots = resultOf(m_asking);
        m_asking->deleteLater();
        m_asking = nullptr;
        showVolumes(roots);
    });
}

QStringList DriveList::shownVolumes() const
{
    QStringList roots;
    for (int i = 0; i < count(); ++i)
        roots.append(itemText(i));
    return roots;
}

void DriveList::showVolumes(QStringList roots)
{
    // The current drive stays listed, whatever the last reading found.
    if (!m_drive.isEmpty() && !roots.contains(m_drive))
        roots.append(m_drive);
    roots.sort();
    const QSignalBlocker block(this);
    if (roots != shownVolumes()) {
        clear();
        addItems(roots);
    }
    setCurrentIndex(findText(m_drive));
}

bool DriveList::setDrive(const QString &path)
{
    const QString root = readableVolumeOf(path);
    if (root.isEmpty())
        return false;
    const bool moved = root != m_drive;
    m_drive = root;
    showVolumes(shownVolumes());
    if (moved)
        emit Change();
    return true;
}

void DriveList::userPicked(int index)
{
    const QString root = itemText(index);
    if (readableVolumeOf(root) != root) {
        // Gone or unreadable since the list was read: stay where we were.
        showVolumes(shownVolumes());
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

DirectoryList::DirectoryList(QWidget *parent)
    : QTreeWidget(parent), m_reader(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, this)
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
    connect(&m_reader, &FolderReader::names, this, &DirectoryList::addFolders);
}

bool DirectoryList::setPath(const QString &path)
{
    const Place place = placeOf(path);
    if (!place.readable)
        return false;
    const QString clean = cleanFolder(path);
    const bool moved = clean != m_path;
    m_path = clean;
    m_root = place.root;
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
    const Place place = placeOf(path);
    if (!place.readable) {
        rebuild();
        emit Refused();
        return;
    }
    m_path = path;
    m_root = place.root;
    rebuild();
    emit Change();
}

void DirectoryList::rebuild()
{
    clear();
    m_here = nullptr;
    if (m_path.isEmpty())
        return;

    // The chain from the volume root down to the current folder. A path
    // reached through a link may not lie below its volume's root: then the
    // chain starts at the file system root.
    QStringList chain;
    for (QString p = m_path;;) {
        chain.prepend(p);
        if (p == m_root)
            break;
        const QString up = QFileInfo(p).absolutePath();
        if (up == p)
            break;
        p = up;
    }

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (const QString &p : std::as_const(chain)) {
        auto *item = m_here ? new QTreeWidgetItem(m_here) : new QTreeWidgetItem(this);
        item->setText(0, m_here ? shownName(QFileInfo(p).fileName()) : p);
        item->setData(0, PathRole, p);
        item->setIcon(0, openIcon);
        m_here = item;
    }
    expandAll();
    setCurrentItem(m_here);
    scrollToItem(m_here);
    // The subfolders follow as they are read.
    m_reader.read(m_path);
}

void DirectoryList::addFolders(const QStringList &names)
{
    if (!m_here)
        return;
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QDir dir(m_path);
    QList<QTreeWidgetItem *> items;
    for (const QString &name : names) {
        auto *item = new QTreeWidgetItem;
        item->setText(0, shownName(name));
        item->setData(0, PathRole, dir.filePath(name));
        item->setIcon(0, closedIcon);
        items.append(item);
    }
    m_here->addChildren(items); // owned by the tree from here on
}

// ---------------------------------------------------------------------------

// The file names of a folder in the lists' order; shown on one line each,
// with the real name under PathRole.
class FileModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    const QStringList &names() const { return m_names; }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_names.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_names.size())
            return {};
        if (role == Qt::DisplayRole)
            return shownName(m_names.at(index.row()));
        if (role == PathRole)
            return m_names.at(index.row());
        return {};
    }
    void append(const QStringList &names)
    {
        beginInsertRows({}, rowCount(), rowCount() + int(names.size()) - 1);
        m_names.append(names);
        endInsertRows();
    }
    void reset(const QStringList &names = {})
    {
        beginResetModel();
        m_names = names;
        endResetModel();
    }
    // The row of a name; -1 when it is not listed.
    int rowOf(const QString &name) const
    {
        const auto at = std::lower_bound(m_names.begin(), m_names.end(), name, inListOrder);
        return at != m_names.end() && *at == name ? int(at - m_names.begin()) : -1;
    }

private:
    QStringList m_names;
};

FileList::FileList(QWidget *parent)
    : QListView(parent), m_model(new FileModel(this)), m_reader(QDir::Files, this)
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit Click();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit DblClick();
    });
    connect(&m_reader, &FolderReader::names, this, [this](const QStringList &names) {
        if (m_rereading)
            m_fresh.append(names);
        else
            m_model->append(names);
    });
    connect(&m_reader, &FolderReader::finished, this, [this] {
        if (m_rereading)
            showAgain(m_fresh);
        m_rereading = false;
        m_fresh.clear();
    });
}

bool FileList::setPath(const QString &path)
{
    if (!placeOf(path).readable)
        return false;
    m_path = cleanFolder(path);
    m_rereading = false;
    m_fresh.clear();
    m_model->reset();
    m_reader.read(m_path);
    return true;
}

void FileList::reread()
{
    // A reading under way shows the folder as it is already.
    if (m_path.isEmpty() || m_reader.busy())
        return;
    m_rereading = true;
    m_reader.read(m_path);
}

void FileList::showAgain(const QStringList &names)
{
    if (names == m_model->names())
        return;
    const QString selected = FileName();
    const QString top = indexAt({}).data(PathRole).toString();
    m_model->reset(names);
    if (const int row = m_model->rowOf(top); row >= 0)
        scrollTo(m_model->index(row), QAbstractItemView::PositionAtTop);
    if (const int row = m_model->rowOf(selected); row >= 0)
        selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::ClearAndSelect);
}

QString FileList::FileName() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : selected.first().data(PathRole).toString();
}

int FileList::count() const
{
    return m_model->rowCount();
}

void FileList::keyPressEvent(QKeyEvent *event)
{
    const QString before = FileName();
    QListView::keyPressEvent(event);
    if (!FileName().isEmpty() && FileName() != before)
        emit Click();
}

} // namespace brivel
