#pragma once

// The pieces of orvane-cli that its commands share: the command line as parsed, the output
// helpers and the scan with progress.

#include "cli.h"

#include <QJsonArray>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace orvane::cli {

// ---- the command line ----
inline const QStringList planSections = {QStringLiteral("smart"), QStringLiteral("cleanup"), QStringLiteral("apps"),
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
std::optional<QString> parse(const QList<QByteArray>& arguments, CommandLine& cl);
// The argument at `index` as a section id of a plan, or an error.
std::optional<QString> sectionArgument(const CommandLine& cl, QString& error);

// ---- output ----

void write(std::FILE* stream, const QString& text);
void line(const QString& text = {});
void printJson(const QJsonObject& object);
// The error on stderr; the usage exit status.
int usageError(const QString& message);
QString sizeColumn(qint64 bytes);
QJsonArray pathArray(const FilePaths& paths);
// The plan's title and the lines on what it left out.
void printHeading(const CleanupPlan& plan);
QJsonObject withNotes(QJsonObject object, const CleanupPlan& plan);

// Runs the plan's scan on a worker thread. On a terminal, stderr shows how far it has got a few
// times a second (stdout stays clean for the results). Ctrl-C cancels the scan: nothing.
std::optional<QList<CleanupCategory>> scanWithProgress(const CleanupPlan& plan);

// ---- the commands ----

int analyze(const CommandLine& cl);
int clean(const CommandLine& cl);
int space(const CommandLine& cl);
int disk(const CommandLine& cl);
int keep(const CommandLine& cl);
int demoHome(const CommandLine& cl);

} // namespace orvane::cli
