#include "child_process.h"

#include <QProcess>
#include <QStandardPaths>

namespace orvane {

ChildOutcome runChild(const QString& program, const QStringList& arguments, int timeoutMs)
{
    ChildOutcome outcome;
    const QString path = program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return outcome;
    QProcess process;
    process.setProgram(path);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted())
        return outcome;
    outcome.started = true;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return outcome;
    }
    outcome.finished = true;
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return outcome;
}

} // namespace orvane
