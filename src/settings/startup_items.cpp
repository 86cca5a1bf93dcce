#include "startup_items.h"
#include "desktop_services.h"
#include "paths.h"
#include "trash.h"

#include <QFile>
#include <QProcess>
#include <QSet>

#include <dirent.h>

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

} // namespace

FilePath startupFolder()
{
    return joinPath(homeDir(), QByteArray("Library/LaunchAgents"));
}

FilePaths listStartupItems(const FilePath& folder)
{
    FilePaths items;
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return items;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.'))
            continue; // hidden, and "." / ".."
        items.append(joinPath(folder, name));
    }
    ::closedir(dir);
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

QString startupDisplayName(const FilePath& item)
{
    return startupDisplayName(displayPath(lastComponent(item)));
}

void unloadWithLaunchctl(const FilePath& item, const QString& program, int timeoutMs)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments({QStringLiteral("unload"), QFile::decodeName(item)});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted())
        return; // not there on this system: nothing to unload
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
}

StartupItemServices StartupItemServices::system()
{
    return {
        [](const FilePath& item) { unloadWithLaunchctl(item); },
        [](const FilePath& item) { return moveToTrash(item); },
        [](const FilePath& item) { revealInFileManager(item); },
    };
}

StartupItemsModel::StartupItemsModel(QObject* parent)
    : StartupItemsModel(startupFolder(), StartupItemServices::system(), parent)
{
}

StartupItemsModel::StartupItemsModel(const FilePath& folder, StartupItemServices services, QObject* parent)
    : QAbstractListModel(parent)
    , m_folder(folder)
    , m_services(std::move(services))
{
}

int StartupItemsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant StartupItemsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const FilePath& item = m_items.at(index.row());
    switch (Role(role)) {
    case Role::path: return displayPath(item);
    case Role::fileName: return displayPath(lastComponent(item));
    case Role::displayName: return startupDisplayName(item);
    }
    if (role == Qt::DisplayRole)
        return startupDisplayName(item);
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
    return row >= 0 && row < m_items.size() ? m_items.at(row) : FilePath();
}

void StartupItemsModel::refresh()
{
    const int before = count();
    beginResetModel();
    m_items = listStartupItems(m_folder);
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

void StartupItemsModel::removeItem(const FilePath& item)
{
    if (item.isEmpty())
        return;
    // Unloaded while its file is still in place, so the launcher can find what it loaded.
    if (m_services.unload)
        m_services.unload(item);
    if (m_services.trash)
        m_services.trash(item);
    refresh();
}

} // namespace orvane
