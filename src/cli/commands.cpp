// The commands that only read or set up: analyze, space, disk, keep and demo-home.

#include "byte_format.h"
#include "catalogue.h"
#include "cli_p.h"
#include "cli_texts.h"
#include "demo_home.h"
#include "engine.h"
#include "keep_list.h"
#include "localization_manager.h"
#include "path_text.h"
#include "paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace orvane::cli {

namespace {

void printCategories(const CleanupPlan& plan, const QList<CleanupCategory>& categories)
{
    printHeading(plan);
    if (categories.isEmpty()) {
        line(t(QStringLiteral("results.clean")));
        return;
    }
    qint64 selected = 0;
    for (const CleanupCategory& category : categories) {
        selected += category.selectedSize();
        line();
        line(QStringLiteral("%1 · %2 · %3")
                 .arg(readableName(category.name), formatBytes(category.totalSize()),
                      formatItemCount(category.files.size())));
        for (const CleanupFile& file : category.files) {
            QString row = QStringLiteral("  [%1] %2  %3")
                              .arg(file.isSelected ? QStringLiteral("x") : QStringLiteral(" "),
                                   sizeColumn(file.sizeInBytes), readablePath(file.url));
            // The name shown in the app when the path does not say it (an item in the Trash
            // under its original name, an application under its own).
            if (file.name != displayPath(lastComponent(file.url)))
                row += QStringLiteral("  (%1)").arg(readableName(file.name));
            if (file.leftoverCount() > 0)
                row += u' ' + t(QStringLiteral("results.leftovers"), {QString::number(file.leftoverCount())});
            line(row);
            for (const FilePath& extra : file.extraURLs)
                line(QStringLiteral("%1  + %2").arg(QString(18, u' '), readablePath(extra)));
        }
    }
    line();
    line(t(QStringLiteral("results.selected"), {formatBytes(selected)}));
}

// An absolute path without "." or ".." parts; the folder holding it with its links resolved when
// it exists, so the path names the item as the plans list it. The item itself may be gone.
FilePath keptPathArgument(const QByteArray& given)
{
    QByteArray path = given;
    if (!path.startsWith('/')) {
        char* cwd = ::getcwd(nullptr, 0);
        path = joinPath(cwd ? FilePath(cwd) : FilePath("/"), path);
        std::free(cwd);
    }
    QList<QByteArray> parts;
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    if (parts.isEmpty())
        return FilePath("/");
    const QByteArray name = parts.takeLast();
    const FilePath parent = '/' + parts.join('/');
    return joinPath(realPath(parent).value_or(parent), name);
}

} // namespace

int analyze(const CommandLine& cl)
{
    QString error;
    const auto section = sectionArgument(cl, error);
    if (!section)
        return usageError(error);
    const CleanupPlan plan = *planFor(*section);
    const std::optional<QList<CleanupCategory>> scanned = scanWithProgress(plan);
    if (!scanned)
        return exitCancelled;
    const QList<CleanupCategory>& categories = *scanned;
    if (cl.json)
        printJson(withNotes(analyzeJson(*section, plan.title, categories), plan));
    else
        printCategories(plan, categories);
    return exitOk;
}

int space(const CommandLine& cl)
{
    if (cl.positional.size() > 2)
        return usageError(text("err.extraArgument", {readablePath(cl.positional.at(2))}));
    QList<SpaceEntry> entries;
    QString heading;
    if (cl.positional.size() == 2) {
        const QByteArray& given = cl.positional.at(1);
        struct stat st;
        const FilePath folder = realPath(given).value_or(FilePath());
        if (folder.isEmpty() || ::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return usageError(text("err.notFolder", {readablePath(given)}));
        entries = childEntries(folder);
        heading = readablePath(folder);
    } else {
        entries = topLevelEntries();
        heading = t(QStringLiteral("space.heaviestFolders"));
    }
    if (cl.json) {
        printJson(spaceJson(entries));
        return exitOk;
    }
    line(heading);
    if (entries.isEmpty())
        line(text("space.nothing"));
    for (const SpaceEntry& e : entries) {
        line(QStringLiteral("  %1  %2%3").arg(sizeColumn(e.sizeInBytes), readablePath(e.url),
                                             e.isDirectory ? QStringLiteral("/") : QString()));
    }
    return exitOk;
}

int disk(const CommandLine& cl)
{
    if (cl.positional.size() > 1)
        return usageError(text("err.extraArgument", {readablePath(cl.positional.at(1))}));
    const DiskInfo info = diskInfo();
    if (cl.json) {
        printJson(diskJson(info));
        return exitOk;
    }
    if (info.total <= 0) {
        line(text("disk.unknown"));
        return exitOk;
    }
    line(t(QStringLiteral("space.usedOfTotal"),
           {formatBytes(info.used()), formatBytes(info.total), formatBytes(info.free)}));
    return exitOk;
}

int keep(const CommandLine& cl)
{
    const QByteArray action = cl.positional.value(1);
    const bool list = action == "list" && cl.positional.size() == 2;
    const bool change = (action == "add" || action == "remove") && cl.positional.size() == 3;
    if (!list && !change)
        return usageError(text("err.keepUsage"));
    if (change) {
        const FilePath path = keptPathArgument(cl.positional.at(2));
        const bool wasKept = keptPaths().contains(path);
        const bool adding = action == "add";
        if (!(adding ? keepPath(path) : unkeepPath(path))) {
            write(stderr, QStringLiteral("orvane-cli: ") + text("keep.failed") + u'\n');
            return exitSomeFailed;
        }
        if (cl.json) {
            printJson(QJsonObject{{QStringLiteral("path"), jsonPath(path)}, {QStringLiteral("kept"), adding},
                                  {QStringLiteral("changed"), adding != wasKept}});
        } else if (!adding && !wasKept) {
            line(text("keep.notKept", {readablePath(path)}));
        } else {
            line(text(adding ? "keep.added" : "keep.removed", {readablePath(path)}));
        }
        return exitOk;
    }
    const FilePaths kept = keptPaths();
    if (cl.json) {
        printJson(QJsonObject{{QStringLiteral("kept"), pathArray(kept)}});
        return exitOk;
    }
    if (kept.isEmpty())
        line(text("keep.none"));
    for (const FilePath& path : kept)
        line(QStringLiteral("  ") + readablePath(path));
    return exitOk;
}

int demoHome(const CommandLine& cl)
{
    if (cl.positional.size() < 2)
        return usageError(text("err.missingFolder"));
    if (cl.positional.size() > 2)
        return usageError(text("err.extraArgument", {readablePath(cl.positional.at(2))}));
    const DemoHomeResult result = makeDemoHome(cl.positional.at(1));
    switch (result.status) {
    case DemoHomeResult::NotEmpty:
        return usageError(text("err.notEmpty", {readablePath(cl.positional.at(1))}));
    case DemoHomeResult::NotAFolder:
        return usageError(text("err.notFolder", {readablePath(cl.positional.at(1))}));
    case DemoHomeResult::Failed:
        write(stderr, QStringLiteral("orvane-cli: ") + text("err.cannotCreate", {readablePath(result.failedPath)})
                          + u'\n');
        return exitSomeFailed;
    case DemoHomeResult::Ok:
        break;
    }
    if (cl.json) {
        QJsonObject o;
        o.insert(QStringLiteral("home"), jsonPath(result.home));
        o.insert(QStringLiteral("files"), result.files);
        o.insert(QStringLiteral("bytes"), result.apparentBytes);
        o.insert(QStringLiteral("diskBytes"), result.diskBytes);
        printJson(o);
        return exitOk;
    }
    const QString home = readablePath(result.home);
    line(text("demo.done", {home, QString::number(result.files), formatBytes(result.apparentBytes),
                            formatBytes(result.diskBytes)}));
    line(text("demo.try", {home}));
    return exitOk;
}

} // namespace orvane::cli
