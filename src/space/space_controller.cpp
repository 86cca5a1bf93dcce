#include "space_controller.h"
#include "byte_format.h"
#include "desktop_services.h"
#include "engine.h"
#include "icons.h"
#include "keep_list.h"
#include "localization_manager.h"
#include "paths.h"
#include "removal_texts.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

namespace orvane {

SpaceBackend SpaceBackend::system()
{
    return {
        [] { return orvane::diskInfo(); },
        [](ScanProgress* progress) { return orvane::topLevelEntries(progress); },
        [](const FilePath& folder, ScanProgress* progress) { return orvane::childEntries(folder, progress); },
        [](const FilePath& item) { revealInFileManager(item); },
        [](const QList<RemovalTarget>& targets, RemovalStyle style) { return removeItems(targets, style); },
        [](const FilePath& item) { return keepPath(item); },
    };
}

SpaceEntriesModel::SpaceEntriesModel(QObject* parent)
    : QAbstractListModel(parent)
{
    // Sizes are written in the current language's style.
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this, [this] {
        if (!m_entries.isEmpty())
            emit dataChanged(index(0), index(count() - 1), {int(Role::formattedSize)});
    });
}

int SpaceEntriesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant SpaceEntriesModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SpaceEntry& e = m_entries.at(index.row());
    switch (Role(role)) {
    case Role::name: return e.name;
    case Role::icon: return e.icon;
    case Role::sizeInBytes: return e.sizeInBytes;
    case Role::formattedSize: return formatBytes(e.sizeInBytes);
    case Role::fraction: return qBound(0.0, double(e.sizeInBytes) / double(m_largest), 1.0);
    case Role::isDirectory: return e.isDirectory;
    case Role::path: return displayPath(e.url);
    case Role::iconSource: return itemIconSource(e.name, e.url);
    case Role::selected: return m_selected.contains(index.row());
    }
    if (role == Qt::DisplayRole)
        return e.name;
    return {};
}

QHash<int, QByteArray> SpaceEntriesModel::roleNames() const
{
    return {
        {int(Role::name), "name"},
        {int(Role::icon), "icon"},
        {int(Role::sizeInBytes), "sizeInBytes"},
        {int(Role::formattedSize), "formattedSize"},
        {int(Role::fraction), "fraction"},
        {int(Role::isDirectory), "isDirectory"},
        {int(Role::path), "path"},
        {int(Role::iconSource), "iconSource"},
        {int(Role::selected), "selected"},
    };
}

void SpaceEntriesModel::setEntries(const QList<SpaceEntry>& entries)
{
    const int before = count();
    beginResetModel();
    m_entries = entries;
    m_selected.clear();
    m_largest = 1;
    for (const SpaceEntry& e : m_entries)
        m_largest = qMax(m_largest, e.sizeInBytes);
    endResetModel();
    if (count() != before)
        emit countChanged();
}

void SpaceEntriesModel::setSelected(int row, bool selected)
{
    if (row < 0 || row >= count() || m_selected.contains(row) == selected)
        return;
    if (selected)
        m_selected.insert(row);
    else
        m_selected.remove(row);
    emit dataChanged(index(row), index(row), {int(Role::selected)});
}

SpaceController::SpaceController(QObject* parent)
    : SpaceController(SpaceBackend::system(), parent)
{
}

SpaceController::SpaceController(SpaceBackend backend, QObject* parent)
    : QObject(parent)
    , m_backend(std::move(backend))
{
    connect(&m_watcher, &QFutureWatcher<LoadResult>::finished, this, &SpaceController::apply);
    connect(&m_removalWatcher, &QFutureWatcher<RemovalRun>::finished, this, &SpaceController::applyRemoval);
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this, [this] {
        emit usageTextChanged();
        emit selectionChanged();
        emit confirmChanged();
        updateProgress();
    });
    m_progressTimer.setInterval(250);
    connect(&m_progressTimer, &QTimer::timeout, this, &SpaceController::updateProgress);
}

SpaceController::~SpaceController()
{
    // Leaving the screen stops the measuring at once; the worker finishes on its own copy.
    if (m_progress)
        m_progress->cancel();
}

void SpaceController::updateProgress()
{
    const QString text = m_loading && m_progress
                             ? t(QStringLiteral("scanning.files"), {formatCount(m_progress->filesSeen.load())})
                             : QString();
    if (text == m_progressText)
        return;
    m_progressText = text;
    emit progressTextChanged();
}

QString SpaceController::usageText() const
{
    return t(QStringLiteral("space.usedOfTotal"),
             {formatBytes(m_disk.used()), formatBytes(m_disk.total), formatBytes(m_disk.free)});
}

QString SpaceController::currentFolderName() const
{
    return m_path.isEmpty() ? QString() : displayPath(lastComponent(m_path.last()));
}

QString SpaceController::currentFolder() const
{
    return m_path.isEmpty() ? QString() : displayPath(m_path.last());
}

void SpaceController::reload()
{
    setLoading(true);
    const quint64 generation = ++m_generation;
    const bool topLevel = m_path.isEmpty();
    const FilePath folder = topLevel ? FilePath() : m_path.last();
    const bool measureDisk = topLevel || std::exchange(m_diskAfterRemoval, false);
    // The list the user left is no longer measured.
    if (m_progress)
        m_progress->cancel();
    m_progress = std::make_shared<ScanProgress>();
    m_progressTimer.start();
    updateProgress();
    // The task gets copies of everything it uses and never touches this object, so a screen
    // that has gone away simply never hears of the result.
    m_watcher.setFuture(QtConcurrent::run([backend = m_backend, generation, topLevel, measureDisk, folder,
                                             progress = m_progress] {
        LoadResult result;
        result.generation = generation;
        result.topLevel = topLevel;
        result.hasDisk = measureDisk;
        if (measureDisk)
            result.disk = backend.diskInfo ? backend.diskInfo() : DiskInfo{};
        if (topLevel) {
            if (backend.topLevelEntries)
                result.entries = backend.topLevelEntries(progress.get());
        } else if (backend.childEntries) {
            result.entries = backend.childEntries(folder, progress.get());
        }
        return result;
    }));
}

void SpaceController::apply()
{
    const LoadResult result = m_watcher.result();
    if (result.generation != m_generation)
        return; // the user has moved on since this list was asked for
    if (result.hasDisk) {
        const bool diskMoved = result.disk.total != m_disk.total || result.disk.free != m_disk.free;
        m_disk = result.disk;
        if (diskMoved) {
            emit diskChanged();
            emit usageTextChanged();
        }
    }
    const bool hadSelection = selectedCount() > 0;
    m_entries.setEntries(result.entries);
    if (hadSelection)
        emit selectionChanged();
    m_progressTimer.stop();
    setLoading(false);
    updateProgress();
    emit loaded();
}

void SpaceController::setLoading(bool loading)
{
    if (loading == m_loading)
        return;
    m_loading = loading;
    emit loadingChanged();
}

void SpaceController::activate(int row)
{
    if (m_loading || m_removing || row < 0 || row >= m_entries.count())
        return;
    const SpaceEntry entry = m_entries.entries().at(row);
    if (entry.isDirectory) {
        m_path.append(entry.url);
        emit pathChanged();
        reload();
    } else if (m_backend.reveal) {
        m_backend.reveal(entry.url);
    }
}

void SpaceController::back()
{
    if (m_path.isEmpty() || m_removing)
        return;
    m_path.removeLast();
    emit pathChanged();
    reload();
}

void SpaceController::revealCurrentFolder()
{
    if (!m_path.isEmpty() && m_backend.reveal)
        m_backend.reveal(m_path.last());
}

QString SpaceController::selectedText() const
{
    qint64 bytes = 0;
    for (int row : m_entries.selectedRows())
        bytes += m_entries.entries().at(row).sizeInBytes;
    return t(QStringLiteral("space.selected"), {formatItemCount(selectedCount()), formatBytes(bytes)});
}

QList<RemovalTarget> SpaceController::selectedTargets() const
{
    QList<int> rows(m_entries.selectedRows().cbegin(), m_entries.selectedRows().cend());
    std::sort(rows.begin(), rows.end());
    QList<RemovalTarget> targets;
    for (int row : rows) {
        const SpaceEntry& entry = m_entries.entries().at(row);
        RemovalTarget target;
        target.path = entry.url;
        target.scanSize = entry.sizeInBytes;
        targets.append(std::move(target));
    }
    return targets;
}

void SpaceController::toggleSelected(int row)
{
    if (m_loading || m_removing || row < 0 || row >= m_entries.count())
        return;
    m_entries.setSelected(row, !m_entries.isSelected(row));
    emit selectionChanged();
}

void SpaceController::requestRemoval(bool permanent)
{
    if (m_loading || m_removing || selectedCount() == 0)
        return;
    m_confirmStyle = permanent ? RemovalStyle::permanent : RemovalStyle::trash;
    emit confirmChanged();
}

QString SpaceController::confirmTitle() const
{
    return t(confirmsDeletion() ? QStringLiteral("alert.deleteTitle") : QStringLiteral("alert.trashTitle"));
}

QString SpaceController::confirmMessage() const
{
    if (!m_confirmStyle)
        return {};
    // The same words as the plans' confirmation: what is selected, and what goes for good.
    const QList<RemovalTarget> targets = selectedTargets();
    qint64 selected = 0;
    for (const RemovalTarget& target : targets)
        selected += target.scanSize;
    if (confirmsDeletion())
        return t(QStringLiteral("alert.deleteMsg"), {formatBytes(selected)});
    if (const qint64 forGood = forGoodBytes(targets, RemovalStyle::trash); forGood > 0)
        return t(QStringLiteral("alert.trashMixedMsg"), {formatBytes(selected - forGood), formatBytes(forGood)});
    return t(QStringLiteral("alert.trashMsg"), {formatBytes(selected)});
}

void SpaceController::cancelRemoval()
{
    if (!m_confirmStyle)
        return;
    m_confirmStyle.reset();
    emit confirmChanged();
}

void SpaceController::confirmRemoval()
{
    if (!m_confirmStyle || !m_backend.remove)
        return;
    const RemovalStyle style = *m_confirmStyle;
    const QList<RemovalTarget> targets = selectedTargets();
    m_confirmStyle.reset();
    emit confirmChanged();
    if (targets.isEmpty())
        return;
    m_removing = true;
    emit removingChanged();
    m_removalWatcher.setFuture(QtConcurrent::run([remove = m_backend.remove, targets, style] {
        RemovalRun run;
        run.targets = targets;
        run.style = style;
        run.results = remove(targets, style);
        run.results.resize(targets.size()); // a missing answer is not a removal
        return run;
    }));
}

void SpaceController::applyRemoval()
{
    const RemovalRun run = m_removalWatcher.result();
    QStringList lines{removalDoneText(run.style, run.results)};
    for (qsizetype i = 0; i < run.targets.size(); ++i)
        if (const QString stayed = removalStayedLine(displayPath(lastComponent(run.targets[i].path)), run.results[i]);
            !stayed.isEmpty())
            lines << stayed;
    m_doneText = lines.join(u'\n');
    emit doneTextChanged();
    m_removing = false;
    emit removingChanged();
    emit removed();
    // The level and the volume are measured again.
    m_diskAfterRemoval = true;
    reload();
}

void SpaceController::keep(int row)
{
    if (row < 0 || row >= m_entries.count() || !m_backend.keep)
        return;
    const SpaceEntry& entry = m_entries.entries().at(row);
    if (!m_backend.keep(entry.url))
        return;
    m_doneText = t(QStringLiteral("keep.done"), {entry.name});
    emit doneTextChanged();
}

} // namespace orvane
