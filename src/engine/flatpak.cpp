#include "flatpak.h"

#include "base_dirs.h"
#include "child_process.h"
#include "desktop_entry.h"
#include "file_head.h"
#include "paths.h"
#include "walker.h"

#include <QHash>
#include <QSet>
#include <QStandardPaths>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane {

namespace {

bool isGone(const FilePath& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) != 0 && errno == ENOENT;
}

// The groups of a key file (a deploy's metadata, a repository's config): group, key, value.
using KeyFile = QHash<QByteArray, QHash<QByteArray, QByteArray>>;

// Metadata files are a few KB; one past this is not one.
constexpr qsizetype kMaxKeyFileSize = 1024 * 1024;

std::optional<KeyFile> readKeyFile(const FilePath& path)
{
    const std::optional<QByteArray> bytes =
        path.isEmpty() ? std::nullopt : readSmallFile(AT_FDCWD, path.constData(), kMaxKeyFileSize);
    if (!bytes || bytes->contains('\0'))
        return std::nullopt;
    KeyFile file;
    QByteArray group;
    for (const QByteArray& raw : bytes->split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            group = line.mid(1, line.size() - 2);
            file[group];
        } else if (const qsizetype equals = line.indexOf('='); equals > 0) {
            file[group].insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
        }
    }
    return file;
}

// One deployed ref: <root>/<id>/<arch>/<branch>.
struct Deploy {
    QByteArray id;
    QByteArray ref; // "<id>/<arch>/<branch>", as metadata names it
    FilePath folder;
};

// The deploys below `root` (an installation's "app" or "runtime" folder); hidden names, links
// (an app's "current") and names flatpak would not take are left out. None when a folder
// cannot be listed; none found when `root` does not exist.
std::optional<QList<Deploy>> deploysIn(const FilePath& root)
{
    QList<Deploy> found;
    const auto ids = listFolder(root, true);
    if (!ids)
        return isGone(root) ? std::optional(found) : std::nullopt;
    for (const ListedEntry& id : *ids) {
        if (!S_ISDIR(id.st.st_mode) || !isFlatpakAppId(id.name))
            continue;
        const auto arches = listFolder(id.path, true);
        if (!arches)
            return std::nullopt;
        for (const ListedEntry& arch : *arches) {
            if (!S_ISDIR(arch.st.st_mode))
                continue;
            const auto branches = listFolder(arch.path, true);
            if (!branches)
                return std::nullopt;
            for (const ListedEntry& branch : *branches)
                if (S_ISDIR(branch.st.st_mode))
                    found.append({id.name, id.name + '/' + arch.name + '/' + branch.name, branch.path});
        }
    }
    return found;
}

// The deploy's active metadata, read only where its "active" link stays inside the deploy.
std::optional<KeyFile> activeMetadata(const Deploy& deploy)
{
    return readKeyFile(resolveInside(deploy.folder, "active/metadata"));
}

// "*" matches any run of characters, as in flatpak's pin patterns.
bool globMatches(QByteArrayView pattern, QByteArrayView text)
{
    qsizetype p = 0, t = 0, star = -1, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// The id part of each pin pattern of the installation (its repository's "xa.pinned"): a runtime
// of a matching id counts as pinned whatever its arch and branch, which keeps more, never less.
// None when the configuration is there but cannot be read.
std::optional<QList<QByteArray>> pinnedIds(const FilePath& installation)
{
    const FilePath config = joinPath(installation, QByteArray("repo/config"));
    if (isGone(config))
        return QList<QByteArray>{};
    const std::optional<KeyFile> file = readKeyFile(config);
    if (!file)
        return std::nullopt;
    QList<QByteArray> ids;
    const QByteArray patterns = file->value("core").value("xa.pinned");
    for (const QByteArray& pattern : patterns.split(';')) {
        QList<QByteArray> parts = pattern.trimmed().split('/');
        if (parts.size() > 1 && parts.front() == "app")
            continue; // only runtimes are pinned
        const bool typed = parts.size() > 1 && parts.front() == "runtime";
        if (typed)
            parts.removeFirst();
        if (!parts.front().isEmpty())
            ids.append(parts.front());
        else if (typed)
            ids.append("*");
    }
    return ids;
}

// A runtime's companion of another ref: its translations, debug symbols or sources.
QByteArray companionOf(const QByteArray& id)
{
    for (const char* suffix : {".Locale", ".Debug", ".Sources"})
        if (id.endsWith(suffix))
            return id.chopped(qsizetype(std::strlen(suffix)));
    return {};
}

} // namespace

bool isFlatpakAppId(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 255)
        return false;
    const QList<QByteArray> elements = name.split('.');
    if (elements.size() < 3)
        return false;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const QByteArray& element = elements[i];
        // Flatpak allows "-" only in the last element; none may start with a digit or "-", so
        // an id can never read as an option.
        if (element.isEmpty() || (element[0] >= '0' && element[0] <= '9') || element[0] == '-')
            return false;
        const bool last = i == elements.size() - 1;
        for (char c : element)
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'
                  || (c == '-' && last)))
                return false;
    }
    return true;
}

bool flatpakAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("flatpak")).isEmpty();
}


FilePath flatpakSystemDir()
{
    const QByteArray dir = qgetenv("FLATPAK_SYSTEM_DIR");
    return dir.startsWith('/') ? dir : FilePath("/var/lib/flatpak");
}

FilePaths unusedFlatpakRuntimes(const FilePath& installation)
{
    const auto apps = deploysIn(joinPath(installation, QByteArray("app")));
    const auto runtimes = deploysIn(joinPath(installation, QByteArray("runtime")));
    const auto pinned = pinnedIds(installation);
    if (!apps || !runtimes || !pinned)
        return {};

    QSet<QByteArray> usedRefs, usedIds, extensionPoints;
    const auto use = [&](const Deploy& deploy, const KeyFile& metadata) {
        usedRefs.insert(deploy.ref);
        usedIds.insert(deploy.id);
        for (auto group = metadata.cbegin(); group != metadata.cend(); ++group) {
            if (group.key().startsWith("Extension "))
                extensionPoints.insert(group.key().mid(10).trimmed());
            if (group.key() == "Application" || group.key() == "Runtime")
                for (const char* key : {"runtime", "sdk"})
                    if (const QByteArray ref = group->value(key); !ref.isEmpty())
                        usedRefs.insert(ref);
        }
    };
    for (const Deploy& app : *apps) {
        const std::optional<KeyFile> metadata = activeMetadata(app);
        if (!metadata)
            return {}; // what it uses is unknown
        use(app, *metadata);
    }
    QList<KeyFile> metadata;
    for (const Deploy& runtime : *runtimes) {
        std::optional<KeyFile> read = activeMetadata(runtime);
        if (!read)
            return {};
        metadata.append(std::move(*read));
    }

    // What is in use brings what it names or what extends it, until nothing more comes.
    QList<bool> used(runtimes->size(), false);
    for (bool grew = true; grew;) {
        grew = false;
        for (qsizetype i = 0; i < runtimes->size(); ++i) {
            const Deploy& runtime = runtimes->at(i);
            if (used[i])
                continue;
            QByteArray extended = metadata[i].value("ExtensionOf").value("ref");
            extended = extended.mid(extended.indexOf('/') + 1); // "runtime/<id>/..." or "app/<id>/..."
            const bool extends = std::any_of(extensionPoints.cbegin(), extensionPoints.cend(), [&](const QByteArray& point) {
                return runtime.id == point || runtime.id.startsWith(point + '.');
            });
            if (usedRefs.contains(runtime.ref) || usedIds.contains(companionOf(runtime.id)) || extends
                || (!extended.isEmpty() && usedRefs.contains(extended))) {
                used[i] = grew = true;
                use(runtime, metadata[i]);
            }
        }
    }

    FilePaths unused;
    for (qsizetype i = 0; i < runtimes->size(); ++i) {
        const QByteArray& id = runtimes->at(i).id;
        if (!used[i] && std::none_of(pinned->cbegin(), pinned->cend(), [&](const QByteArray& pin) { return globMatches(pin, id); }))
            unused.append(runtimes->at(i).folder);
    }
    return unused;
}

namespace {

// Runs `flatpak uninstall --user`; true only when flatpak exited 0 and the app's folder is gone.
bool uninstallFlatpak(const QString& id, const FilePath& appFolder, int timeoutMs)
{
    if (!isFlatpakAppId(id.toUtf8()) || lastComponent(appFolder) != id.toUtf8())
        return false;
    const ChildOutcome outcome = runChild(
        QStringLiteral("flatpak"), {QStringLiteral("uninstall"), QStringLiteral("--user"), QStringLiteral("--noninteractive"),
                              QStringLiteral("--"), id},
        timeoutMs);
    // Exit status 0 alone is not enough: the freed figure counts the folder only when it went.
    return outcome.succeeded() && isGone(appFolder);
}

} // namespace

QString unusedRuntimesPackage()
{
    return QStringLiteral("unused-runtimes");
}

bool uninstallFlatpakPackage(const QString& packageId, const FilePath& path, int timeoutMs)
{
    const QString program = QStringLiteral("flatpak");
    if (packageId == unusedRuntimesPackage()) {
        const FilePath installation = joinPath(baseDirs().data, QByteArray("flatpak"));
        if (path != joinPath(installation, QByteArray("runtime")))
            return false;
        // flatpak decides again what is unused; what was unused here must be gone after it.
        const FilePaths unused = unusedFlatpakRuntimes(installation);
        const ChildOutcome outcome = runChild(program, {QStringLiteral("uninstall"), QStringLiteral("--unused"),
                                                        QStringLiteral("--user"), QStringLiteral("--noninteractive")},
                                              timeoutMs);
        return outcome.succeeded() && std::all_of(unused.cbegin(), unused.cend(), isGone);
    }
    if (parentPath(path) == joinPath(flatpakSystemDir(), QByteArray("app"))) {
        if (!isFlatpakAppId(packageId.toUtf8()) || lastComponent(path) != packageId.toUtf8())
            return false;
        // "-y" rather than "--noninteractive": the latter also turns off the desktop's approval
        // prompt for the system installation. A refused approval is an exit status other than 0,
        // or the app still there.
        const ChildOutcome outcome = runChild(program, {QStringLiteral("uninstall"), QStringLiteral("--system"),
                                                        QStringLiteral("-y"), QStringLiteral("--"), packageId},
                                              timeoutMs);
        return outcome.succeeded() && isGone(path);
    }
    return uninstallFlatpak(packageId, path, timeoutMs);
}

} // namespace orvane
