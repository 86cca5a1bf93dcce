#include "cli.h"

#include "app_config.h"
#include "byte_format.h"
#include "catalogue.h"
#include "cli_texts.h"
#include "demo_home.h"
#include "engine.h"
#include "keep_list.h"
#include "localization_manager.h"
#include "path_text.h"
#include "paths.h"
#include "removal_texts.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <QElapsedTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace orvane::cli {

namespace {

void write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void line(const QString& text = {})
{
    write(stdout, text + u'\n');
}

void printJson(const QJsonObject& object)
{
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int usageError(const QString& message)
{
    write(stderr, text("err.prefix", {message}) + u'\n');
    return exitUsage;
}

QString sizeColumn(qint64 bytes)
{
    return formatBytes(bytes).rightJustified(10);
}

QJsonArray pathArray(const FilePaths& paths)
{
    QJsonArray array;
    for (const FilePath& p : paths)
        array.append(jsonPath(p));
    return array;
}

QString outcomeName(RemovalOutcome outcome)
{
    switch (outcome) {
    case RemovalOutcome::removed: return QStringLiteral("removed");
    case RemovalOutcome::partlyRemoved: return QStringLiteral("partlyRemoved");
    case RemovalOutcome::notRemoved: return QStringLiteral("notRemoved");
    }
    return {};
}


const QStringList planSections = {QStringLiteral("smart"), QStringLiteral("cleanup"), QStringLiteral("apps"),
                                  QStringLiteral("protect"), QStringLiteral("dup")};

struct CommandLine {
    bool json = false;
    bool help = false;
    bool version = false;
    bool yes = false;
    bool trash = false;
    bool permanent = false;
    bool all = false; // every item of every category, as ticking every box in the window
    QList<QByteArray> commandOptions; // options that only one command takes, for the error message
    QList<QByteArray> positional;
};

// Parses options anywhere on the line; "--" ends them. Returns an error text, or none.
std::optional<QString> parse(const QList<QByteArray>& arguments, CommandLine& cl)
{
    bool optionsEnded = false;
    std::optional<AppLanguage> language;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& arg = arguments.at(i);
        if (optionsEnded || !arg.startsWith('-') || arg == "-") {
            cl.positional.append(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--json") {
            cl.json = true;
        } else if (arg == "-h" || arg == "--help") {
            cl.help = true;
        } else if (arg == "--version") {
            cl.version = true;
        } else if (arg == "--yes" || arg == "--trash" || arg == "--permanent" || arg == "--all") {
            cl.yes |= arg == "--yes";
            cl.trash |= arg == "--trash";
            cl.permanent |= arg == "--permanent";
            cl.all |= arg == "--all";
            cl.commandOptions.append(arg);
        } else if (arg == "--lang" || arg.startsWith("--lang=")) {
            QByteArray value;
            if (arg == "--lang") {
                if (i + 1 >= arguments.size())
                    return text("err.missingLanguage");
                value = arguments.at(++i);
            } else {
                value = arg.mid(7);
            }
            language = appLanguageFromRaw(QString::fromUtf8(value));
            if (!language)
                return text("err.badLanguage", {readablePath(value)});
            // For this run only: the stored choice stays as it is.
            LocalizationManager::shared().setLanguageForThisRun(*language);
        } else {
            return text("err.unknownOption", {readablePath(arg)});
        }
    }
    return std::nullopt;
}

// The argument at `index` as a section id of a plan, or an error.
std::optional<QString> sectionArgument(const CommandLine& cl, QString& error)
{
    if (cl.positional.size() < 2) {
        error = text("err.missingSection");
        return std::nullopt;
    }
    const QString section = QString::fromUtf8(cl.positional.at(1));
    if (!planSections.contains(section)) {
        error = text("err.unknownSection", {readablePath(cl.positional.at(1))});
        return std::nullopt;
    }
    if (cl.positional.size() > 2) {
        error = text("err.extraArgument", {readablePath(cl.positional.at(2))});
        return std::nullopt;
    }
    return section;
}

// ---- scanning, with progress and Ctrl-C ----

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int)
{
    interrupted.store(true); // lock-free: safe in a signal handler
}

// One line of how far the scan has got, cut to the terminal's width so it never wraps.
QString progressLine(const CleanupPlan& plan, const ScanProgress& progress)
{
    QStringList parts;
    const int source = progress.source.load();
    if (source >= 0 && source < plan.sources.size())
        parts << t(QStringLiteral("scanning.source"), {plan.sources[source].name});
    parts << t(QStringLiteral("scanning.files"), {formatCount(progress.filesSeen.load())});
    if (const qint64 read = progress.bytesRead.load(); read > 0)
        parts << t(QStringLiteral("scanning.read"), {formatBytes(read)});
    QString text = parts.join(QStringLiteral("  ·  "));
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && text.size() >= size.ws_col)
        text = text.left(size.ws_col - 2) + u'…';
    return text;
}

// Runs the plan's scan on a worker thread. On a terminal, stderr shows how far it has got a few
// times a second (stdout stays clean for the results). Ctrl-C cancels the scan: nothing.
std::optional<QList<CleanupCategory>> scanWithProgress(const CleanupPlan& plan)
{
    ScanProgress progress;
    QList<CleanupCategory> found;
    std::atomic<bool> done{false};
    interrupted.store(false);
    struct sigaction action {}, previous {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previous);

    // Only this thread takes SIGINT: a worker waiting in the kernel would hold it undelivered.
    sigset_t interrupt, previousMask;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    ::pthread_sigmask(SIG_BLOCK, &interrupt, &previousMask);
    std::thread worker([&] {
        found = scanPlan(plan, &progress);
        done.store(true);
    });
    ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    bool shown = false;
    QElapsedTimer sinceShown;
    sinceShown.start();
    QElapsedTimer sinceInterrupt;
    while (!done.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        if (interrupted.load() && !sinceInterrupt.isValid()) {
            progress.cancel();
            sinceInterrupt.start();
        }
        // A worker stuck in the kernel (a mount that stopped answering) cannot see the cancel:
        // the process leaves without it, removing nothing, the terminal as it was.
        if (sinceInterrupt.isValid() && sinceInterrupt.elapsed() >= 800) {
            if (shown)
                write(stderr, QStringLiteral("\r\033[K"));
            write(stderr, t(QStringLiteral("scanning.cancelled")) + u'\n');
            std::fflush(stderr);
            std::fflush(stdout);
            ::_exit(exitCancelled);
        }
        if (terminal && !progress.cancelRequested.load() && sinceShown.elapsed() >= 250) {
            write(stderr, QStringLiteral("\r\033[K") + progressLine(plan, progress));
            std::fflush(stderr);
            shown = true;
            sinceShown.restart();
        }
    }
    worker.join();
    ::sigaction(SIGINT, &previous, nullptr);
    if (shown)
        write(stderr, QStringLiteral("\r\033[K"));
    if (progress.cancelRequested.load()) {
        write(stderr, t(QStringLiteral("scanning.cancelled")) + u'\n');
        return std::nullopt;
    }
    return found;
}

// ---- analyze ----

// The plan's title and the lines on what it left out.
void printHeading(const CleanupPlan& plan)
{
    line(plan.title);
    for (const QString& note : plan.notes)
        line(readablePath(note.toUtf8())); // it may quote a path from the environment
}

QJsonObject withNotes(QJsonObject object, const CleanupPlan& plan)
{
    if (!plan.notes.isEmpty())
        object.insert(QStringLiteral("notes"), QJsonArray::fromStringList(plan.notes));
    return object;
}

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

// ---- clean ----

void printTargets(const QList<RemovalTarget>& targets)
{
    for (const RemovalTarget& target : targets)
        line(QStringLiteral("  %1  %2").arg(sizeColumn(target.scanSize), readablePath(target.path)));
}

// The targets with this outcome: what went with the bytes that went, the others with why.
void printResults(const CleanReport& report, RemovalOutcome outcome)
{
    for (qsizetype i = 0; i < report.targets.size(); ++i) {
        const RemovalResult& result = report.results[i];
        if (result.outcome != outcome)
            continue;
        QString what = readablePath(report.targets[i].path);
        if (outcome != RemovalOutcome::removed)
            what += QStringLiteral(": ") + removalReasonText(result.reason);
        if (result.stayedBytes > 0)
            what += QStringLiteral(", ") + text("clean.stayed", {formatBytes(result.stayedBytes)});
        const qint64 bytes = outcome == RemovalOutcome::notRemoved ? report.targets[i].scanSize : result.freedBytes;
        line(QStringLiteral("  %1  %2").arg(sizeColumn(bytes), what));
    }
}

int clean(const CommandLine& cl)
{
    QString error;
    const auto section = sectionArgument(cl, error);
    if (!section)
        return usageError(error);
    if (cl.trash && cl.permanent)
        return usageError(text("err.bothStyles"));
    const CleanupPlan plan = *planFor(*section);
    RemovalStyle style = plan.defaultRemoval;
    if (cl.trash)
        style = RemovalStyle::trash;
    if (cl.permanent)
        style = RemovalStyle::permanent;

    std::optional<QList<CleanupCategory>> scanned = scanWithProgress(plan);
    if (!scanned)
        return exitCancelled; // nothing was removed
    if (cl.all)
        for (CleanupCategory& category : *scanned)
            for (CleanupFile& file : category.files)
                file.isSelected = true;
    const CleanReport report = cleanCategories(*scanned, style, cl.yes);
    const int status = report.failed.isEmpty() && report.partlyRemoved.isEmpty() ? exitOk : exitSomeFailed;
    if (cl.json) {
        printJson(withNotes(cleanJson(*section, report), plan));
        return status;
    }

    printHeading(plan);
    line(text("clean.style", {label(style)}));
    if (report.targets.isEmpty()) {
        line(text("clean.nothing"));
        return status;
    }
    const auto printKept = [&] {
        if (report.kept.isEmpty())
            return;
        line(text("clean.kept"));
        for (const FilePath& kept : report.kept)
            line(QStringLiteral("  %1  %2").arg(QString(10, u' '), readablePath(kept)));
    };
    if (!report.performed) {
        line(text("clean.wouldRemove", {QString::number(report.targets.size()), formatBytes(report.selected)}));
        printTargets(report.targets);
        printKept();
        line(text("clean.dryRunHint"));
        return status;
    }
    if (!report.removed.isEmpty()) {
        line(text("clean.removed"));
        printResults(report, RemovalOutcome::removed);
    }
    if (!report.partlyRemoved.isEmpty()) {
        line(text("clean.partly"));
        printResults(report, RemovalOutcome::partlyRemoved);
    }
    if (!report.failed.isEmpty()) {
        line(text("clean.failed"));
        printResults(report, RemovalOutcome::notRemoved);
    }
    printKept();
    line(removalDoneText(style, report.results));
    return status;
}

// ---- space, disk ----

int space(const CommandLine& cl)
{
    if (cl.positional.size() > 2)
        return usageError(text("err.extraArgument", {readablePath(cl.positional.at(2))}));
    QList<SpaceEntry> entries;
    QString heading;
    if (cl.positional.size() == 2) {
        const QByteArray& given = cl.positional.at(1);
        struct stat st;
        char* real = ::realpath(given.constData(), nullptr);
        const bool isFolder = real && ::stat(real, &st) == 0 && S_ISDIR(st.st_mode);
        const FilePath folder = real ? FilePath(real) : FilePath();
        std::free(real);
        if (!isFolder)
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

// ---- keep ----

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
    FilePath parent = '/' + parts.join('/');
    if (char* real = ::realpath(parent.constData(), nullptr)) {
        parent = real;
        std::free(real);
    }
    return joinPath(parent, name);
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

// ---- demo-home ----

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

} // namespace

CleanReport cleanCategories(const QList<CleanupCategory>& categories, RemovalStyle style, bool perform)
{
    CleanReport report;
    report.style = style;
    report.performed = perform;
    report.targets = removalTargets(categories);
    report.kept = keptLastCopies(categories);
    for (const RemovalTarget& target : report.targets)
        report.selected += target.scanSize;
    if (!perform || report.targets.isEmpty())
        return report;
    report.results = removeItems(report.targets, style);
    report.results.resize(report.targets.size()); // a missing answer is not a removal
    report.freed = diskFreedBytes(report.results);
    report.trashed = trashedBytes(report.results);
    for (qsizetype i = 0; i < report.targets.size(); ++i) {
        switch (report.results[i].outcome) {
        case RemovalOutcome::removed: report.removed.append(report.targets[i].path); break;
        case RemovalOutcome::partlyRemoved: report.partlyRemoved.append(report.targets[i].path); break;
        case RemovalOutcome::notRemoved: report.failed.append(report.targets[i].path); break;
        }
    }
    return report;
}

QJsonObject analyzeJson(const QString& section, const QString& title, const QList<CleanupCategory>& categories)
{
    QJsonArray cats;
    for (const CleanupCategory& category : categories) {
        QJsonArray files;
        for (const CleanupFile& file : category.files) {
            QJsonObject f;
            f.insert(QStringLiteral("name"), file.name);
            f.insert(QStringLiteral("path"), jsonPath(file.url));
            f.insert(QStringLiteral("size"), file.sizeInBytes);
            f.insert(QStringLiteral("selected"), file.isSelected);
            f.insert(QStringLiteral("extra"), pathArray(file.extraURLs));
            files.append(f);
        }
        QJsonObject c;
        c.insert(QStringLiteral("name"), category.name);
        c.insert(QStringLiteral("icon"), category.icon);
        c.insert(QStringLiteral("total"), category.totalSize());
        c.insert(QStringLiteral("files"), files);
        cats.append(c);
    }
    QJsonObject o;
    o.insert(QStringLiteral("section"), section);
    o.insert(QStringLiteral("title"), title);
    o.insert(QStringLiteral("categories"), cats);
    return o;
}

QJsonObject cleanJson(const QString& section, const CleanReport& report)
{
    QJsonArray targets;
    for (qsizetype i = 0; i < report.targets.size(); ++i) {
        QJsonObject t;
        t.insert(QStringLiteral("path"), jsonPath(report.targets[i].path));
        t.insert(QStringLiteral("size"), report.targets[i].scanSize);
        if (i < report.results.size()) {
            const RemovalResult& r = report.results[i];
            t.insert(QStringLiteral("outcome"), outcomeName(r.outcome));
            if (r.reason != RemovalReason::none)
                t.insert(QStringLiteral("reason"), removalReasonName(r.reason));
            t.insert(QStringLiteral("freed"), r.forGood ? r.freedBytes : 0);
            t.insert(QStringLiteral("trashed"), r.forGood ? 0 : r.freedBytes);
            if (r.outcome == RemovalOutcome::partlyRemoved)
                t.insert(QStringLiteral("stayed"), r.stayedBytes);
            t.insert(QStringLiteral("forGood"), r.forGood);
        }
        targets.append(t);
    }
    QJsonObject o;
    o.insert(QStringLiteral("section"), section);
    o.insert(QStringLiteral("style"), rawValue(report.style));
    o.insert(QStringLiteral("dryRun"), !report.performed);
    o.insert(QStringLiteral("selected"), report.selected);
    o.insert(QStringLiteral("freed"), report.freed);
    o.insert(QStringLiteral("trashed"), report.trashed);
    o.insert(QStringLiteral("targets"), targets);
    o.insert(QStringLiteral("removed"), pathArray(report.removed));
    o.insert(QStringLiteral("partlyRemoved"), pathArray(report.partlyRemoved));
    o.insert(QStringLiteral("failed"), pathArray(report.failed));
    o.insert(QStringLiteral("kept"), pathArray(report.kept));
    return o;
}

QJsonObject spaceJson(const QList<SpaceEntry>& entries)
{
    QJsonArray array;
    for (const SpaceEntry& e : entries) {
        QJsonObject o;
        o.insert(QStringLiteral("name"), e.name);
        o.insert(QStringLiteral("icon"), e.icon);
        o.insert(QStringLiteral("path"), jsonPath(e.url));
        o.insert(QStringLiteral("size"), e.sizeInBytes);
        o.insert(QStringLiteral("isDirectory"), e.isDirectory);
        array.append(o);
    }
    return QJsonObject{{QStringLiteral("entries"), array}};
}

QJsonObject diskJson(const DiskInfo& info)
{
    return QJsonObject{{QStringLiteral("total"), info.total}, {QStringLiteral("free"), info.free}};
}

int run(const QList<QByteArray>& arguments)
{
    // Known before anything reads the settings, so that nothing writes them in another's home.
    const std::optional<ForeignHome> foreign = foreignHome();
    if (foreign)
        LocalizationManager::leaveSettingsUntouched();
    else
        keepUnreadableKeepList();
    CommandLine cl;
    if (const auto error = parse(arguments, cl))
        return usageError(*error);
    if (cl.help) {
        write(stdout, text("help"));
        return exitOk;
    }
    if (cl.version) {
        write(stdout, QStringLiteral("orvane-cli %1\n").arg(QLatin1String(config::version)));
        return exitOk;
    }
    if (foreign) {
        write(stderr, QStringLiteral("orvane-cli: ") + readablePath(foreignHomeMessage(*foreign).toUtf8()) + u'\n');
        return exitNotYourHome;
    }
    if (cl.positional.isEmpty())
        return usageError(text("err.noCommand"));

    const QByteArray command = cl.positional.first();
    if (command != "clean" && !cl.commandOptions.isEmpty())
        return usageError(text("err.optionNotFor", {QString::fromUtf8(cl.commandOptions.first()),
                                                    readablePath(command)}));
    int status = exitUsage;
    if (command == "analyze")
        status = analyze(cl);
    else if (command == "clean")
        status = clean(cl);
    else if (command == "space")
        status = space(cl);
    else if (command == "disk")
        status = disk(cl);
    else if (command == "keep")
        status = keep(cl);
    else if (command == "demo-home")
        status = demoHome(cl);
    else
        return usageError(text("err.unknownCommand", {readablePath(command)}));
    std::fflush(stdout);
    return status;
}

} // namespace orvane::cli
