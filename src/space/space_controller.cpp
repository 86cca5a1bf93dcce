#include "space_controller.h"
#include "byte_format.h"
#include "desktop_services.h"
#include "engine.h"
#include "icons.h"
#include "localization_manager.h"
#include "paths.h"

#include <QtConcurrent/QtConcurrentRun>

namespace orvane {

SpaceBackend SpaceBackend::system()
{
    return {
        [] { return orvane::diskInfo(); },
        [] { return orvane::topLevelEntries(); },
        [](const FilePath& folder) { return orvane::childEntries(folder); },
        [](const FilePath& item) { revealInFileManager(item); },
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
    case Role::entryId: return e.id.toString(QUuid::WithoutBraces);
    case Role::name: return e.name;
    case Role::icon: return e.icon;
    case Role::sizeInBytes: return e.sizeInBytes;
    case Role::formattedSize: return formatBytes(e.sizeInBytes);
    case Role::fraction: return qBound(0.0, double(e.sizeInBytes) / double(m_largest), 1.0);
    case Role::isDirectory: return e.isDirectory;
    case Role::path: return displayPath(e.url);
    case Role::iconSource: return itemIconSource(e.name, e.url);
    }
    if (role == Qt::DisplayRole)
        return e.name;
    return {};
}

QHash<int, QByteArray> SpaceEntriesModel::roleNames() const
{
    return {
        {int(Role::entryId), "entryId"},
        {int(Role::name), "name"},
        {int(Role::icon), "icon"},
        {int(Role::sizeInBytes), "sizeInBytes"},
        {int(Role::formattedSize), "formattedSize"},
        {int(Role::fraction), "fraction"},
        {int(Role::isDirectory), "isDirectory"},
        {int(Role::path), "path"},
        {int(Role::iconSource), "iconSource"},
    };
}

void SpaceEntriesModel::setEntries(const QList<SpaceEntry>& entries)
{
    const int before = count();
    beginResetModel();
    m_entries = entries;
    m_largest = 1;
    for (const SpaceEntry& e : m_entries)
        m_largest = qMax(m_largest, e.sizeInBytes);
    endResetModel();
    if (count() != before)
        emit countChanged();
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
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this,
            &SpaceController::usageTextChanged);
}

double SpaceController::usedFraction() const
{
    if (m_disk.total < 1)
        return 0.0;
    return qBound(0.0, double(m_disk.used()) / double(m_disk.total), 1.0);
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
    setHoveredID(QString());
    setLoading(true);
    const quint64 generation = ++m_generation;
    const bool topLevel = m_path.isEmpty();
    const FilePath folder = topLevel ? FilePath() : m_path.last();
    // The task gets copies of everything it uses and never touches this object, so a screen
    // that has gone away simply never hears of the result.
    m_watcher.setFuture(QtConcurrent::run([backend = m_backend, generation, topLevel, folder] {
        LoadResult result;
        result.generation = generation;
        result.topLevel = topLevel;
        if (topLevel) {
            result.disk = backend.diskInfo ? backend.diskInfo() : DiskInfo{};
            if (backend.topLevelEntries)
                result.entries = backend.topLevelEntries();
        } else if (backend.childEntries) {
            result.entries = backend.childEntries(folder);
        }
        return result;
    }));
}

void SpaceController::apply()
{
    const LoadResult result = m_watcher.result();
    if (result.generation != m_generation)
        return; // the user has moved on since this list was asked for
    if (result.topLevel) {
        const bool diskMoved = result.disk.total != m_disk.total || result.disk.free != m_disk.free;
        m_disk = result.disk;
        if (diskMoved) {
            emit diskChanged();
            emit usageTextChanged();
        }
    }
    setHoveredID(QString());
    m_entries.setEntries(result.entries);
    setLoading(false);
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
    if (m_loading || row < 0 || row >= m_entries.count())
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
    if (m_path.isEmpty())
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

void SpaceController::hover(const QString& entryId)
{
    setHoveredID(entryId);
}

void SpaceController::unhover(const QString& entryId)
{
    if (!m_hoveredID.isEmpty() && entryId == m_hoveredID)
        setHoveredID(QString());
}

void SpaceController::setHoveredID(const QString& id)
{
    if (id == m_hoveredID)
        return;
    m_hoveredID = id;
    emit hoveredIDChanged();
}

} // namespace orvane
