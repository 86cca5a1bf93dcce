// The scan of a plan on a worker thread, with a progress line on a terminal and Ctrl-C.

#include "byte_format.h"
#include "cli_p.h"
#include "engine.h"
#include "localization_manager.h"

#include <QElapsedTimer>

#include <atomic>
#include <chrono>
#include <csignal>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace orvane::cli {

namespace {

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

} // namespace

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

} // namespace orvane::cli
