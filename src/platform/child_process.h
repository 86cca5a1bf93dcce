#pragma once

// Running a desktop tool (flatpak, systemctl, launchctl) as a child process: an argument list,
// never a shell; no input; its output dropped (a full pipe could otherwise stall it).

#include <QString>
#include <QStringList>

namespace orvane {

struct ChildOutcome {
    bool started = false;  // false: the program is missing or could not be run
    bool finished = false; // false: it was still running at the time limit and was killed
    int exitCode = -1;     // valid when finished; a crash counts as -1

    bool succeeded() const { return started && finished && exitCode == 0; }
};

// Runs `program` with `arguments` and waits at most `timeoutMs` for it to exit. A bare program
// name is looked up on PATH when the call is made.
ChildOutcome runChild(const QString& program, const QStringList& arguments, int timeoutMs);

} // namespace orvane
