// What every command writes: text lines on stdout, errors on stderr, JSON documents.

#include "byte_format.h"
#include "cli_p.h"
#include "cli_texts.h"
#include "path_text.h"

#include <QJsonDocument>

namespace orvane::cli {

void write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void line(const QString& text)
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

namespace {

QString outcomeName(RemovalOutcome outcome)
{
    switch (outcome) {
    case RemovalOutcome::removed: return QStringLiteral("removed");
    case RemovalOutcome::partlyRemoved: return QStringLiteral("partlyRemoved");
    case RemovalOutcome::notRemoved: return QStringLiteral("notRemoved");
    }
    return {};
}

} // namespace

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

} // namespace orvane::cli
