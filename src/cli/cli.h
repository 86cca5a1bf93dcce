#pragma once

// orvane-cli: the engine's headless front end. Kept apart from main() so tests can drive the
// pieces that need a fixture the binary cannot be given (a location that vanishes mid-run).

#include "model_types.h"
#include "removal.h"

#include <QJsonObject>
#include <QList>

namespace orvane::cli {

// exitNotYourHome: the home folder belongs to another user (root through sudo); nothing was done.
enum ExitCode { exitOk = 0, exitSomeFailed = 1, exitUsage = 2, exitNotYourHome = 3, exitCancelled = 130 };

// Runs one command line (arguments without the program name, as raw bytes so that paths that
// are not UTF-8 arrive intact). Writes to stdout/stderr and returns the exit status.
int run(const QList<QByteArray>& arguments);

// What a clean did, or would do.
struct CleanReport {
    RemovalStyle style = RemovalStyle::trash;
    bool performed = false;
    QList<RemovalTarget> targets; // every preselected location once, in removal order
    qint64 selected = 0;          // scan-time size of all targets
    qint64 freed = 0;             // disk space that came back (what went for good, allocated blocks)
    qint64 trashed = 0;           // bytes moved to the Trash (logical sizes)
    QList<RemovalResult> results; // per target, when performed
    FilePaths removed;
    FilePaths partlyRemoved;      // folders that stay, emptied of what could go
    FilePaths failed;
    FilePaths kept;               // selected copies kept as the last of their duplicate group
};

// Gathers the selected locations of `categories` and, when `perform` is set, removes them.
CleanReport cleanCategories(const QList<CleanupCategory>& categories, RemovalStyle style, bool perform);

QJsonObject analyzeJson(const QString& section, const QString& title, const QList<CleanupCategory>& categories);
QJsonObject cleanJson(const QString& section, const CleanReport& report);
QJsonObject spaceJson(const QList<SpaceEntry>& entries);
QJsonObject diskJson(const DiskInfo& info);

} // namespace orvane::cli
