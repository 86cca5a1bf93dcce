// Removal of the chosen locations: the orchestration. Every location is checked against the
// rules (removal_rules) before anything is touched, reached from "/" without passing a link, and,
// for a duplicate copy, must still be the file the scan saw while its kept copies still exist
// unchanged. A folder is deleted for good by the tree remover (tree_remover); one that goes to
// the Trash is walked by it first without touching it, to make sure no other file system lies
// inside (emptying the Trash would delete it), then renamed from the descriptor of the folder
// that was checked (platform/trash): no path is looked up again. A Trash's info file goes only
// while its entry is absent (an entry that stays keeps it).

#include "removal.h"
#include "removal_p.h"
#include "removal_rules.h"
#include "tree_remover.h"

#include "file_entry.h"
#include "flatpak.h"
#include "mount_table.h"
#include "paths.h"
#include "trash.h"

#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <unordered_map>
#include <vector>

namespace orvane {

namespace {

using namespace removal;

// What one removal call shares between its targets.
struct Run {
    Rules rules;
    const Options& options;
    std::unordered_map<fs::FileId, quint64, fs::FileIdHash> linksTrashed;
    std::optional<FilePaths> mountPoints; // read when first needed
};

// A file system mounted somewhere below `path`, as the kernel lists them; it also sees mounts
// behind folders that cannot be read.
bool mountBelow(const FilePath& path, Run& run)
{
    if (!run.mountPoints) {
        run.mountPoints.emplace();
        for (const MountEntry& mount : mountTable())
            run.mountPoints->push_back(mount.point);
    }
    return std::any_of(run.mountPoints->cbegin(), run.mountPoints->cend(),
                       [&](const FilePath& point) { return isWithin(point, path, Within::strictly); });
}

RemovalResult notRemoved(RemovalReason reason)
{
    RemovalResult result;
    result.reason = reason;
    return result;
}

RemovalResult removedForGood(qint64 bytes)
{
    RemovalResult result;
    result.outcome = RemovalOutcome::removed;
    result.freedBytes = bytes;
    result.forGood = true;
    return result;
}

// Whether the Trash whose info folder is `infoFd` holds `entry` in files/ (when in doubt, it does).
bool trashEntryPresent(int infoFd, const QByteArray& entry)
{
    const int trashFd = ::openat(infoFd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (trashFd < 0)
        return true;
    const int filesFd = ::openat(trashFd, "files", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int filesError = errno;
    ::close(trashFd);
    if (filesFd < 0)
        return filesError != ENOENT;
    struct stat st;
    const bool present = ::fstatat(filesFd, entry.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
    ::close(filesFd);
    return present;
}

bool keptCopyIntact(const FilePath& path, const FileStamp& expected, const FileStamp& target)
{
    // A kept "copy" that is the target's own inode would go with it.
    if (expected.device == target.device && expected.inode == target.inode)
        return false;
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && fs::stampOf(st) == expected;
}

// The bytes a trashed item takes with it: its files with one link, and those of its files with
// several links whose every link has now gone to the Trash in this run.
qint64 bytesTrashed(qint64 single, const std::vector<LinkedFile>& linked, Run& run)
{
    qint64 sum = single;
    for (const LinkedFile& file : linked)
        if (++run.linksTrashed[file.id] == file.links)
            sum += file.size;
    return sum;
}

RemovalResult deleteForGood(int parentFd, const QByteArray& name, const fs::Entry& info, Run& run)
{
    if (!info.isFolder()) {
        if (::unlinkat(parentFd, name.constData(), 0) != 0)
            return notRemoved(refusalAt(errno, parentFd, name.constData()));
        return removedForGood(info.links <= 1 ? info.allocated : 0);
    }
    TreeRemover tree(TreeRemover::Mode::remove, run.options);
    tree.walk(parentFd, name.constData(), info);
    RemovalResult result;
    result.forGood = true;
    result.freedBytes = tree.freed;
    result.reason = tree.reason;
    if (tree.topGone) {
        result.outcome = RemovalOutcome::removed;
        result.reason = RemovalReason::none;
    } else if (tree.entriesRemoved > 0) {
        result.outcome = RemovalOutcome::partlyRemoved;
        result.stayedBytes = tree.stayed;
    }
    if (result.reason == RemovalReason::none && !tree.topGone)
        result.reason = RemovalReason::failed;
    return result;
}

RemovalResult moveItemToTrash(int parentFd, const QByteArray& name, const FilePath& path, const fs::Entry& info, Run& run)
{
    qint64 single = 0;
    std::vector<LinkedFile> linked;
    if (info.isFolder()) {
        // Emptying the Trash would delete whatever another file system holds inside.
        if (mountBelow(path, run))
            return notRemoved(RemovalReason::otherDisk);
        TreeRemover tree(TreeRemover::Mode::inspect, run.options);
        tree.walk(parentFd, name.constData(), info);
        if (tree.otherDiskInside)
            return notRemoved(RemovalReason::otherDisk);
        if (tree.reason == RemovalReason::changed)
            return notRemoved(RemovalReason::changed);
        single = tree.bytes;
        linked = std::move(tree.linked);
    } else if (info.links > 1) {
        linked.push_back({info.id, info.links, info.size});
    } else {
        single = info.size;
    }

    // From the folder checked above: a swap anywhere on the path since then changes nothing.
    std::function<void()> hook;
    if (run.options.beforeTrash)
        hook = [&] { run.options.beforeTrash(path); };
    switch (moveToTrashAt(parentFd, name, path, info.id, hook)) {
    case TrashFailure::none: break;
    case TrashFailure::gone: return notRemoved(RemovalReason::gone);
    case TrashFailure::noPermission: return notRemoved(refusalAt(EPERM, parentFd, name.constData()));
    case TrashFailure::readOnlyDisk: return notRemoved(RemovalReason::readOnlyDisk);
    case TrashFailure::noTrash: return notRemoved(RemovalReason::noTrash);
    case TrashFailure::noSpace: return notRemoved(RemovalReason::diskFull);
    case TrashFailure::changed: return notRemoved(RemovalReason::changed);
    case TrashFailure::other: return notRemoved(RemovalReason::failed);
    }
    RemovalResult result;
    result.outcome = RemovalOutcome::removed;
    result.freedBytes = bytesTrashed(single, linked, run);
    return result;
}

// What stops the entry `name` of `parentFd` (already looked at: `info`) from going, if anything.
std::optional<RemovalReason> refusal(const RemovalTarget& target, const Components& parts, int parentFd,
                                     const QByteArray& name, const fs::Entry& info, const Rules& rules)
{
    const std::optional<fs::Entry> parentInfo = fs::entryOf(parentFd);
    if (!parentInfo)
        return RemovalReason::failed;
    // A mount point is another file system: left alone.
    if (!fs::sameMount(info, *parentInfo))
        return RemovalReason::otherDisk;
    if (target.expected) {
        // Last line of defence: a copy that no other copy stays for would be its group's last.
        if (target.keptCopies.isEmpty())
            return RemovalReason::lastCopy;
        struct stat st;
        if (::fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
            || fs::stampOf(st) != *target.expected)
            return RemovalReason::changed;
        for (const auto& [path, stamp] : target.keptCopies)
            if (!keptCopyIntact(path, stamp, *target.expected))
                return RemovalReason::keptCopyChanged;
    }
    // A Trash entry's record goes only once the entry is wholly gone (an orphan goes at once).
    if (const std::optional<QByteArray> entry = trashEntryOf(parts, rules); entry && trashEntryPresent(parentFd, *entry))
        return RemovalReason::entryStays;
    return std::nullopt;
}

// One location of the file system.
RemovalResult removeLocation(const RemovalTarget& target, const Components& parts, RemovalStyle style, Run& run)
{
    // An empty path is "/": refused here too, so a slip in the rules can never reach parts.last().
    if (parts.isEmpty() || !allowed(parts, run.rules))
        return notRemoved(RemovalReason::protectedLocation);
    const fs::UniqueFd parentFd(fs::openParentFolder(parts));
    if (!parentFd.ok())
        return notRemoved(reasonOf(errno));
    const QByteArray name = parts.last();
    const std::optional<fs::Entry> info = fs::entryAt(parentFd.get(), name.constData());
    if (!info)
        return notRemoved(reasonOf(errno));
    if (const std::optional<RemovalReason> why = refusal(target, parts, parentFd.get(), name, *info, run.rules))
        return notRemoved(*why);
    if (style == RemovalStyle::permanent || insideTrash(parts, run.rules))
        return deleteForGood(parentFd.get(), name, *info, run);
    return moveItemToTrash(parentFd.get(), name, joined(parts), *info, run);
}

} // namespace

QList<RemovalTarget> removalTargets(const QList<CleanupCategory>& categories)
{
    QList<RemovalTarget> targets;
    QSet<FilePath> seen;
    auto add = [&](RemovalTarget target) {
        if (seen.contains(target.path))
            return;
        seen.insert(target.path);
        targets.push_back(std::move(target));
    };
    for (const CleanupCategory& category : categories) {
        // Copies that stay: the unselected copies of a duplicate group right now, or its first
        // copy when every copy is selected.
        const qsizetype keptAnyway = category.keptCopy();
        QList<QPair<FilePath, FileStamp>> kept;
        for (qsizetype i = 0; i < category.files.size(); ++i) {
            const CleanupFile& file = category.files.at(i);
            if ((!file.isSelected || i == keptAnyway) && file.stamp)
                kept.push_back({file.url, *file.stamp});
        }
        for (qsizetype i = 0; i < category.files.size(); ++i) {
            const CleanupFile& file = category.files.at(i);
            if (!file.isSelected || i == keptAnyway)
                continue;
            RemovalTarget main;
            main.path = file.url;
            main.scanSize = file.ownSize();
            main.expected = file.stamp;
            main.packageId = file.packageId;
            if (file.stamp)
                main.keptCopies = kept;
            add(std::move(main));
            for (qsizetype i = 0; i < file.extraURLs.size(); ++i) {
                RemovalTarget extra;
                extra.path = file.extraURLs[i];
                extra.scanSize = file.extraSizes.value(i, 0);
                extra.packageLeftover = !file.packageId.isEmpty();
                add(std::move(extra));
            }
        }
    }
    return targets;
}

FilePaths keptLastCopies(const QList<CleanupCategory>& categories)
{
    FilePaths kept;
    for (const CleanupCategory& category : categories)
        if (const qsizetype i = category.keptCopy(); i >= 0)
            kept.append(category.files.at(i).url);
    return kept;
}

namespace removal {

QList<RemovalResult> removeItems(const QList<RemovalTarget>& targets, RemovalStyle style, const Options& options)
{
    QList<RemovalResult> results;
    results.reserve(targets.size());
    if (targets.isEmpty())
        return results;
    Run run{currentRules(), options, {}, {}};
    // Locations tried so far, with the index of their result.
    QHash<FilePath, qsizetype> tried;
    bool packageStays = false; // the last package uninstall failed: its data stays with it
    for (const RemovalTarget& target : targets) {
        const std::optional<Components> parts = components(target.path);
        if (!parts) {
            results.push_back(notRemoved(RemovalReason::protectedLocation));
            continue;
        }
        const FilePath key = joined(*parts);
        if (const auto earlier = tried.constFind(key); earlier != tried.cend()) {
            // Listed again: the first attempt was the one, and its bytes are counted there.
            RemovalResult same = results[*earlier];
            same.freedBytes = same.stayedBytes = 0;
            results.push_back(same);
            continue;
        }
        // Inside a location that went earlier in this run: it went with it.
        std::optional<qsizetype> container;
        for (qsizetype n = parts->size() - 1; n > 0 && !container; --n)
            if (const auto it = tried.constFind(joined(parts->first(n))); it != tried.cend()
                && results[*it].outcome != RemovalOutcome::notRemoved)
                container = *it;
        tried.insert(key, results.size());
        if (container && results[*container].gone()) {
            RemovalResult with;
            with.outcome = RemovalOutcome::removed;
            with.forGood = results[*container].forGood;
            results.push_back(with);
            continue;
        }
        if (!target.packageId.isEmpty()) {
            // Uninstalled by flatpak itself, for good; its data stays if the app does.
            packageStays = !uninstallFlatpakPackage(target.packageId, key);
            results.push_back(packageStays ? notRemoved(RemovalReason::failed) : removedForGood(target.scanSize));
            continue;
        }
        if (target.packageLeftover && packageStays) {
            results.push_back(notRemoved(RemovalReason::appStillInstalled));
            continue;
        }
        RemovalResult result = removeLocation(target, *parts, style, run);
        // Gone with the part of a folder that went.
        if (container && result.reason == RemovalReason::gone) {
            result = RemovalResult{};
            result.outcome = RemovalOutcome::removed;
            result.forGood = results[*container].forGood;
        }
        results.push_back(result);
    }
    return results;
}

} // namespace removal

QList<RemovalResult> removeItems(const QList<RemovalTarget>& targets, RemovalStyle style)
{
    return removal::removeItems(targets, style, removal::Options{});
}

qint64 freedBytes(const QList<RemovalResult>& results)
{
    qint64 sum = 0;
    for (const RemovalResult& result : results)
        sum += result.freedBytes;
    return sum;
}

qint64 diskFreedBytes(const QList<RemovalResult>& results)
{
    qint64 sum = 0;
    for (const RemovalResult& result : results)
        if (result.forGood)
            sum += result.freedBytes;
    return sum;
}

qint64 trashedBytes(const QList<RemovalResult>& results)
{
    return freedBytes(results) - diskFreedBytes(results);
}

} // namespace orvane
