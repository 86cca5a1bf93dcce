#include "startup_items.h"
#include "child_process.h"
#include "desktop_services.h"
#include "folder_reader.h"
#include "localization_manager.h"
#include "paths.h"
#include "trash.h"

#include <QCollator>
#include <QFile>
#include <QFutureWatcher>
#include <QSet>
#include <QtConcurrent>

#include <sys/stat.h>

namespace orvane {

namespace {

const QSet<QString>& leadingWords()
{
    static const QSet<QString> words{"com", "org", "net", "io", "co", "app", "dev", "edu", "gov", "me"};
    return words;
}

const QSet<QString>& trailingWords()
{
    static const QSet<QString> words{"wake",    "agent",    "helper", "xpcservice", "xpc", "service",
                                     "daemon",  "launcher", "login",  "startup",    "app"};
    return words;
}

// First character in upper case, the rest as it was.
QString capitalised(const QString& word)
{
    if (word.isEmpty())
        return word;
    const qsizetype first = word.at(0).isHighSurrogate() && word.size() > 1 ? 2 : 1;
    return word.left(first).toUpper() + word.mid(first);
}

// The visible entries of a folder, in listing order, with their lstat; links in it are not
// followed (the folder itself may be one, as dotfile managers make it).
std::vector<fs::FolderEntry> visibleEntries(const FilePath& folder)
{
    return fs::readFolder(folder, {.skipHidden = true, .throughLink = true}).value_or(std::vector<fs::FolderEntry>{});
}

// A unit name systemctl takes as a name and not as an option: "name.service", "name@x.timer"…
bool isUnitName(const QByteArray& name)
{
    static const QList<QByteArray> suffixes{".service", ".socket", ".timer", ".path", ".target", ".mount",
                                            ".automount", ".swap", ".slice", ".scope", ".device"};
    if (name.isEmpty() || name.size() > 255 || name.startsWith('-') || name.startsWith('.'))
        return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ':' || c == '_'
              || c == '.' || c == '\\' || c == '@' || c == '-'))
            return false;
    for (const QByteArray& suffix : suffixes)
        if (name.endsWith(suffix) && name.size() > suffix.size())
            return true;
    return false;
}

} // namespace

StartupFolders startupFolders()
{
    return startupFolders(runningPlatform(), baseDirs());
}

QList<StartupItem> listStartupItems(const StartupFolders& folders)
{
    QList<StartupItem> items;
    if (!folders.launchAgents.isEmpty())
        for (const auto& [name, st] : visibleEntries(folders.launchAgents))
            items.append({joinPath(folders.launchAgents, name), StartupKind::launchAgent, {}});

    if (!folders.autostart.isEmpty()) {
        for (const auto& [name, st] : visibleEntries(folders.autostart)) {
            if (!name.endsWith(".desktop") || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
                continue;
            if (name == "orvane.desktop") // the open-at-login switch owns it
                continue;
            StartupItem item{joinPath(folders.autostart, name), StartupKind::autostartEntry, {}};
            // A link is listed but not read (where it points is no business of this folder), and
            // neither is a file that is not an entry: both go by their file name.
            if (auto entry = readDesktopEntry(item.path)) {
                if (entry->hidden() || entry->value("X-GNOME-Autostart-enabled").trimmed() == u"false")
                    continue;
                item.entry = std::move(*entry);
            }
            items.append(std::move(item));
        }
    }

    if (!folders.systemdUser.isEmpty()) {
        QSet<QByteArray> units;
        for (const auto& [wants, st] : visibleEntries(folders.systemdUser)) {
            if (!S_ISDIR(st.st_mode) || !wants.endsWith(".wants"))
                continue;
            const FilePath folder = joinPath(folders.systemdUser, wants);
            for (const auto& [unit, unitSt] : visibleEntries(folder)) {
                if (!(S_ISLNK(unitSt.st_mode) || S_ISREG(unitSt.st_mode)) || !isUnitName(unit) || units.contains(unit))
                    continue;
                units.insert(unit);
                items.append({joinPath(folder, unit), StartupKind::systemdUnit, {}});
            }
        }
    }
    return items;
}

QString startupDisplayName(const QString& fileName)
{
    QString stem = fileName;
    if (const qsizetype dot = stem.lastIndexOf(u'.'); dot >= 0)
        stem.truncate(dot);

    QStringList words = stem.split(u'.', Qt::SkipEmptyParts);
    if (!words.isEmpty() && leadingWords().contains(words.first().toLower()))
        words.removeFirst();
    while (words.size() >= 2 && trailingWords().contains(words.last().toLower()))
        words.removeLast();
    if (words.isEmpty())
        return fileName;

    for (QString& word : words)
        word = capitalised(word);

    // "Example ExampleUpdater" reads as "Example Updater".
    if (words.size() >= 2) {
        const QString a = words.at(0).toLower();
        const QString& b = words.at(1);
        if (b.toLower().startsWith(a) && a.size() < b.size())
            words[1] = capitalised(b.mid(a.size()));
    }
    return words.join(u' ');
}

QString startupDisplayName(const StartupItem& item, const QStringList& locales)
{
    const QByteArray file = lastComponent(item.path);
    if (item.kind == StartupKind::autostartEntry) {
        if (file == "orvane.desktop") // written by the open-at-login switch
            return QStringLiteral("Orvane");
        const QString name = item.entry.name(locales).trimmed();
        if (!name.isEmpty())
            return name;
    }
    return startupDisplayName(displayPath(file));
}

void unloadWithLaunchctl(const FilePath& item, const QString& program, int timeoutMs)
{
    runChild(program, {QStringLiteral("unload"), QFile::decodeName(item)}, timeoutMs);
}

bool disableSystemdUnit(const QByteArray& unit, const QString& program, int timeoutMs)
{
    if (!isUnitName(unit))
        return false;
    return runChild(program, {QStringLiteral("--user"), QStringLiteral("disable"), QStringLiteral("--now"),
                              QString::fromUtf8(unit)},
                    timeoutMs)
        .succeeded();
}

StartupItemServices StartupItemServices::system()
{
    return {
        [](const StartupItem& item) {
            if (item.kind == StartupKind::launchAgent)
                unloadWithLaunchctl(item.path);
            else if (item.kind == StartupKind::systemdUnit)
                disableSystemdUnit(lastComponent(item.path));
        },
        [](const FilePath& item) { return moveToTrash(item); },
        [](const FilePath& item) { revealInFileManager(item); },
    };
}

void removeStartupItem(const StartupItem& item, const StartupItemServices& services)
{
    const auto unload = [&] {
        if (services.unload)
            services.unload(item);
    };
    const auto trash = [&] { return services.trash && services.trash(item.path); };
    switch (item.kind) {
    case StartupKind::launchAgent:
        unload();
        trash();
        break;
    case StartupKind::autostartEntry:
        trash();
        break;
    case StartupKind::systemdUnit:
        if (trash())
            unload();
        break;
    }
}

StartupItemsModel::StartupItemsModel(QObject* parent)
    : StartupItemsModel(startupFolders(), StartupItemServices::system(), parent)
{
}

StartupItemsModel::StartupItemsModel(const StartupFolders& folders, StartupItemServices services, QObject* parent)
    : QAbstractListModel(parent)
    , m_folders(folders)
    , m_services(std::move(services))
{
    // Autostart entries carry their names in both languages.
    connect(&LocalizationManager::shared(), &LocalizationManager::languageChanged, this, [this] {
        if (m_items.isEmpty())
            return;
        // Names change with the language, and so may their order.
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        FilePaths paths;
        for (const QModelIndex& i : before)
            paths.append(m_items.at(i.row()).path);
        sortByName();
        QModelIndexList after;
        for (const FilePath& path : paths) {
            const auto it = std::find_if(m_items.cbegin(), m_items.cend(), [&](const StartupItem& i) { return i.path == path; });
            after.append(index(int(it - m_items.cbegin())));
        }
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        emit dataChanged(index(0), index(count() - 1), {int(Role::displayName), Qt::DisplayRole});
    });
}

void StartupItemsModel::sortByName()
{
    const QStringList locales = this->locales();
    QCollator collator{QLocale(LocalizationManager::shared().languageCode())};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    QList<std::pair<QString, StartupItem>> named;
    for (StartupItem& item : m_items)
        named.append({startupDisplayName(item, locales), std::move(item)});
    std::stable_sort(named.begin(), named.end(),
                     [&](const auto& a, const auto& b) { return collator.compare(a.first, b.first) < 0; });
    m_items.clear();
    for (auto& [name, item] : named)
        m_items.append(std::move(item));
}

QStringList StartupItemsModel::locales() const
{
    return desktopLocales(LocalizationManager::shared().languageCode());
}

int StartupItemsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant StartupItemsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const StartupItem& item = m_items.at(index.row());
    switch (Role(role)) {
    case Role::path: return displayPath(item.path);
    case Role::fileName: return displayPath(lastComponent(item.path));
    case Role::displayName: return startupDisplayName(item, locales());
    }
    if (role == Qt::DisplayRole)
        return startupDisplayName(item, locales());
    return {};
}

QHash<int, QByteArray> StartupItemsModel::roleNames() const
{
    return {
        {int(Role::path), "path"},
        {int(Role::fileName), "fileName"},
        {int(Role::displayName), "displayName"},
    };
}

FilePath StartupItemsModel::itemAt(int row) const
{
    return row >= 0 && row < m_items.size() ? m_items.at(row).path : FilePath();
}

QString StartupItemsModel::displayName(const FilePath& path) const
{
    for (const StartupItem& item : m_items)
        if (item.path == path)
            return startupDisplayName(item, locales());
    return startupDisplayName(displayPath(lastComponent(path)));
}

void StartupItemsModel::refresh()
{
    const int before = count();
    beginResetModel();
    m_items = listStartupItems(m_folders);
    sortByName();
    endResetModel();
    if (count() != before)
        emit countChanged();
}

void StartupItemsModel::reveal(int row)
{
    const FilePath item = itemAt(row);
    if (!item.isEmpty() && m_services.reveal)
        m_services.reveal(item);
}

void StartupItemsModel::removeItem(const FilePath& path)
{
    const auto it = std::find_if(m_items.cbegin(), m_items.cend(), [&](const StartupItem& i) { return i.path == path; });
    if (path.isEmpty() || it == m_items.cend())
        return;
    auto* watcher = new QFutureWatcher<void>(this);
    connect(watcher, &QFutureWatcher<void>::finished, this, [this, watcher] {
        watcher->deleteLater();
        refresh();
        emit removalFinished();
    });
    // Copies: the task may outlive this model (then nobody hears of its end).
    watcher->setFuture(QtConcurrent::run([item = *it, services = m_services] { removeStartupItem(item, services); }));
}

} // namespace orvane
