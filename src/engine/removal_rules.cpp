#include "removal_rules.h"
#include "removal.h"

#include "paths.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace orvane {

namespace removal {

namespace {

bool isDigits(const QByteArray& s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isTrashPart(const QByteArray& name)
{
    return name == "files" || name == "info" || name == "expunged";
}

bool isTrashFolder(const Components& parts, const Rules& rules)
{
    if (rules.trashFolders.contains(parts))
        return true;
    const qsizetype n = parts.size();
    if (n >= 1 && isTrashFolderName(parts[n - 1]))
        return true;
    // $topdir/.Trash-$uid/{files,info}, $topdir/.Trash/$uid and $topdir/.Trash/$uid/{files,info}
    if (n >= 2 && isTrashFolderName(parts[n - 2]) && (isTrashPart(parts[n - 1]) || parts[n - 1] == rules.uid))
        return true;
    return n >= 3 && parts[n - 3] == ".Trash" && parts[n - 2] == rules.uid && isTrashPart(parts[n - 1]);
}

// An entry of files/ or info/ of the Trash of one of the user's own volumes:
// /media/$USER/VOLUME/.Trash-$uid/files/ENTRY or /media/$USER/VOLUME/.Trash/$uid/info/ENTRY.
bool volumeTrashEntry(const Components& parts, const Rules& rules)
{
    for (const Components& media : rules.userMedia) {
        if (parts.size() <= media.size() || parts.first(media.size()) != media)
            continue;
        const Components rest = parts.mid(media.size()); // VOLUME, Trash…, files|info, ENTRY
        if (rest.size() == 4 && rest[1] == ".Trash-" + rules.uid)
            return rest[2] == "files" || rest[2] == "info";
        if (rest.size() == 5 && rest[1] == ".Trash" && rest[2] == rules.uid)
            return rest[3] == "files" || rest[3] == "info";
    }
    return false;
}

Components resolvedComponents(const FilePath& path)
{
    return components(realPath(path).value_or(path)).value_or(Components{});
}

} // namespace

std::optional<Components> components(const FilePath& path)
{
    if (!path.startsWith('/') || path.contains('\0'))
        return std::nullopt;
    Components parts;
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty())
            continue;
        if (part == "." || part == "..")
            return std::nullopt;
        parts.push_back(part);
    }
    return parts;
}

FilePath joined(const Components& parts)
{
    FilePath path;
    for (const QByteArray& part : parts)
        path += '/' + part;
    return path.isEmpty() ? FilePath("/") : path;
}

bool isTrashFolderName(const QByteArray& name)
{
    return name == ".Trash" || (name.startsWith(".Trash-") && isDigits(name.mid(7)));
}

Rules currentRules()
{
    Rules rules;
    rules.home = joined(components(homeDir()).value_or(Components{}));
    rules.homeApplications = joinPath(rules.home, QByteArray("Applications"));

    // The home Trash wherever the data folder is said to be, and where it is by default.
    QList<Components> dataHomes;
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    if (xdg.startsWith('/'))
        dataHomes.push_back(resolvedComponents(xdg));
    dataHomes.push_back(components(rules.home).value_or(Components{}) + Components{".local", "share"});
    for (const Components& dataHome : dataHomes) {
        if (dataHome.isEmpty())
            continue;
        const Components trash = dataHome + Components{"Trash"};
        rules.trashFolders.push_back(trash);
        for (const char* part : {"files", "info", "expunged"})
            rules.trashFolders.push_back(trash + Components{part});
    }
    rules.uid = QByteArray::number(quint64(::getuid()));
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_name && *user->pw_name) {
        rules.userMedia.push_back(Components{"media", user->pw_name});
        rules.userMedia.push_back(Components{"run", "media", user->pw_name});
    }
    return rules;
}

bool insideTrash(const Components& parts, const Rules& rules)
{
    for (qsizetype n = parts.size() - 1; n > 0; --n)
        if (isTrashFolder(parts.first(n), rules))
            return true;
    return false;
}

bool allowed(const Components& parts, const Rules& rules)
{
    if (isTrashFolder(parts, rules))
        return false;
    if (volumeTrashEntry(parts, rules))
        return true;
    const FilePath path = joined(parts);
    if (isWithin(path, rules.applications, Within::strictly))
        return true;
    // A home of "/" would make everything "inside" it.
    if (rules.home == "/" || path == rules.homeApplications)
        return false;
    return isWithin(path, rules.home, Within::strictly);
}

std::optional<QByteArray> trashEntryOf(const Components& parts, const Rules& rules)
{
    const qsizetype n = parts.size();
    const QByteArray suffix = ".trashinfo";
    if (n < 3 || parts[n - 2] != "info" || !isTrashFolder(parts.first(n - 1), rules) || !parts[n - 1].endsWith(suffix)
        || parts[n - 1].size() == suffix.size())
        return std::nullopt;
    return parts[n - 1].chopped(suffix.size());
}

} // namespace removal

InsideTrash::InsideTrash()
    : m_rules(std::make_shared<const removal::Rules>(removal::currentRules()))
{
}

bool InsideTrash::operator()(const FilePath& path) const
{
    const std::optional<removal::Components> parts = removal::components(path);
    return parts && removal::allowed(*parts, *m_rules) && removal::insideTrash(*parts, *m_rules);
}

qint64 forGoodBytes(const QList<RemovalTarget>& targets, RemovalStyle style)
{
    const InsideTrash inTrash;
    qint64 sum = 0;
    for (const RemovalTarget& target : targets)
        if (style == RemovalStyle::permanent || !target.packageId.isEmpty() || inTrash(target.path))
            sum += target.scanSize;
    return sum;
}

} // namespace orvane
