// orvane-uiprobe: how the cleanup flow's screens hold up with large results.
//
//   orvane-uiprobe items N      Smart Care with a Caches category of N entries (and a few small ones)
//   orvane-uiprobe groups N     Duplicates with N groups of two 1.1 MB copies
//   orvane-uiprobe scan SECTION the real scan of a plan section ("smart", "dup", …) of $HOME
//
// It shows the flow's scanning and results screens in a window the size of the app's detail area
// (offscreen or on a virtual display, software rendering, as the app runs here), with a scan that
// keeps both cores busy for 2 s and then delivers the result. Once the results are up it expands
// the largest category and scrolls to the end in 300 steps, one per frame. A small animation keeps
// frames coming all the time, so any stall of the GUI thread shows as a gap between frames.
//
// It prints one line: time from the end of the scan to the first frame of results, the longest gap
// between frames while scanning and while showing results, and the peak resident memory. A
// watchdog stops a run that stalls for 120 s or passes ORVANE_PROBE_MAX_MB (default 3000) and
// prints what it measured so far, marked with ">". ORVANE_PROBE_TRACE=1 also prints every gap
// over 50 ms (with the CLOCK_MONOTONIC time, to line it up with `perf record -k CLOCK_MONOTONIC`)
// and the memory every 50 steps.

#include "app_setup.h"
#include "catalogue.h"
#include "engine.h"
#include "section_flow_controller.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

#if __has_include("scan_progress.h")
#define PROBE_HAS_PROGRESS 1
#include "scan_progress.h"
#endif

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include <unistd.h>

using namespace orvane;

namespace {

QElapsedTimer clock_;
std::atomic<qint64> lastFrame{0};
std::atomic<qint64> scanEnd{-1};
std::atomic<qint64> firstResultsFrame{-1};
std::atomic<qint64> gapScanning{0};
std::atomic<qint64> gapResults{0};
std::atomic<int> phase{-1}; // -1 before the scan, 0 scanning, 1 waiting for results, 2 results
QString caseName;
const char* action = "start"; // what the probe did last, for ORVANE_PROBE_TRACE
bool trace = false;

qint64 statusKb(const char* key)
{
    qint64 value = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const size_t n = std::strlen(key);
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, key, n) == 0)
                value = std::atoll(line + n);
        std::fclose(f);
    }
    return value;
}

void report(const char* note)
{
    const qint64 first = firstResultsFrame.load();
    const qint64 end = scanEnd.load();
    const bool stalled = note && *note;
    auto ms = [&](qint64 v, bool open) {
        return open ? QStringLiteral(">%1").arg(v) : QString::number(v);
    };
    const qint64 now = clock_.elapsed();
    QString firstText = first >= 0 ? QString::number(first - end) : (end >= 0 ? ms(now - end, true) : QStringLiteral("-"));
    const qint64 openGap = now - lastFrame.load();
    const bool scanning = phase == 0 && end < 0;
    QString scanGap = ms(std::max(gapScanning.load(), scanning ? openGap : 0), stalled && scanning);
    QString resultsGap = phase == 2 ? ms(std::max(gapResults.load(), openGap), stalled) : QStringLiteral("-");
    std::printf("%-14s first-results-frame-ms %-8s max-gap-scanning-ms %-8s max-gap-results-ms %-8s peak-rss-MB %-6lld %s\n",
                qPrintable(caseName), qPrintable(firstText), qPrintable(scanGap), qPrintable(resultsGap),
                statusKb("VmHWM:") / 1024, note ? note : "");
    std::fflush(stdout);
}

// Stops a run that has stalled or grown too large, reporting what it got so far.
void watchdog(qint64 maxMb)
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const qint64 rssMb = statusKb("VmRSS:") / 1024;
        const qint64 stall = clock_.elapsed() - lastFrame.load();
        if (rssMb > maxMb || stall > 120000) {
            report(rssMb > maxMb ? "(stopped: memory limit)" : "(stopped: no frame for 120 s)");
            ::_exit(3);
        }
    }
}

QList<CleanupCategory> makeResult(const QString& kind, int n)
{
    QList<CleanupCategory> out;
    auto file = [](const QString& name, const QByteArray& path, qint64 size, bool selected) {
        CleanupFile f;
        f.name = name;
        f.url = path;
        f.sizeInBytes = size;
        f.isSelected = selected;
        return f;
    };
    if (kind == u"items") {
        static const char* const ext[] = {".db", ".json", ".bin", ".png", ".log", "", ".sqlite", ".js"};
        CleanupCategory caches;
        caches.name = QStringLiteral("Caches");
        caches.icon = QStringLiteral("shippingbox");
        for (int i = 0; i < n; ++i) {
            const QString name = QStringLiteral("entry-%1%2").arg(i, 6, 10, QLatin1Char('0')).arg(QLatin1String(ext[i % 8]));
            caches.files.append(file(name, "/home/probe/.cache/" + name.toUtf8(), 5'000'000 - i * (4'000'000LL / n), true));
        }
        out.append(caches);
        for (const char* small : {"Logs", "Downloads", "Thumbnails"}) {
            CleanupCategory c;
            c.name = QString::fromLatin1(small);
            c.icon = QStringLiteral("doc.text");
            for (int i = 0; i < 12; ++i)
                c.files.append(file(QStringLiteral("%1-%2.log").arg(c.name).arg(i), QByteArray("/home/probe/") + small + "/" + QByteArray::number(i), 1000 + i, false));
            out.append(c);
        }
    } else {
        for (int g = 0; g < n; ++g) {
            CleanupCategory c;
            c.icon = QStringLiteral("doc.on.doc");
            const QString name = QStringLiteral("IMG_%1.jpg").arg(g, 5, 10, QLatin1Char('0'));
            const qint64 size = 1'100'000 + (n - g);
            c.files.append(file(name, "/home/probe/Downloads/" + name.toUtf8(), size, false));
            c.files.append(file(name, "/home/probe/Pictures/" + name.toUtf8(), size, true));
            c.name = name;
            out.append(c);
        }
    }
    return out;
}

// Keeps both cores busy for about 2 s, as a real scan does, then builds the result.
QList<CleanupCategory> fakeScan(const QString& kind, int n)
{
    std::atomic<bool> stop{false};
    auto burn = [&stop] {
        QByteArray block(1 << 20, 'x');
        while (!stop.load())
            QCryptographicHash::hash(block, QCryptographicHash::Sha256);
    };
    std::thread a(burn), b(burn);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    stop = true;
    a.join();
    b.join();
    QList<CleanupCategory> result = makeResult(kind, n);
    scanEnd = clock_.elapsed();
    return result;
}

QQuickItem* findItem(QQuickItem* root, const QString& name)
{
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, name))
            return found;
    return nullptr;
}

// Runs the event loop's work once, as the application's own loop would (objects a view lets go
// of with deleteLater included: processEvents alone leaves those for later).
void spin(int maxMs)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, maxMs);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void waitMs(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        spin(10);
}

} // namespace

int main(int argc, char* argv[])
{
    const bool realScan = argc == 3 && std::strcmp(argv[1], "scan") == 0;
    if (argc != 3 || (!realScan && std::strcmp(argv[1], "items") != 0 && std::strcmp(argv[1], "groups") != 0)) {
        std::fprintf(stderr, "usage: orvane-uiprobe items|groups N, or orvane-uiprobe scan SECTION\n");
        return 2;
    }
    qputenv("QT_QUICK_BACKEND", "software");
    QGuiApplication app(argc, argv);
    setupApplication();
    const QString kind = QString::fromLatin1(argv[1]);
    const int n = std::atoi(argv[2]);
    const QString section = realScan ? QString::fromLocal8Bit(argv[2]) : kind == u"items" ? QStringLiteral("smart") : QStringLiteral("dup");
    caseName = realScan ? QStringLiteral("scan ") + section : kind + u' ' + QString::number(n);
    clock_.start();
    trace = qEnvironmentVariableIsSet("ORVANE_PROBE_TRACE");
    std::thread(watchdog, qEnvironmentVariableIntValue("ORVANE_PROBE_MAX_MB") > 0
                              ? qEnvironmentVariableIntValue("ORVANE_PROBE_MAX_MB") : 3000).detach();

    FlowServices services;
    services.plan = [](const QString& id) { return planFor(id); };
#ifdef PROBE_HAS_PROGRESS
    services.scan = [kind, n, realScan](const CleanupPlan& plan, ScanProgress* progress) {
        if (!realScan)
            return fakeScan(kind, n);
        QList<CleanupCategory> result = scanPlan(plan, progress);
        scanEnd = clock_.elapsed();
        return result;
    };
#else
    services.scan = [kind, n, realScan](const CleanupPlan& plan) {
        if (!realScan)
            return fakeScan(kind, n);
        QList<CleanupCategory> result = scanPlan(plan);
        scanEnd = clock_.elapsed();
        return result;
    };
#endif
    services.disk = [] { return DiskInfo{500'000'000'000, 100'000'000'000}; };
    services.remove = [](const QList<RemovalTarget>& targets, RemovalStyle) {
        QList<RemovalResult> results;
        for (const RemovalTarget& target : targets)
            results.append({RemovalOutcome::removed, RemovalReason::none, target.scanSize, 0, false});
        return results;
    };
    SectionFlowController flow(section, services);

    QQmlEngine engine;
    setupEngine(engine);
    QQmlComponent component(&engine);
    component.setData(R"(
import QtQuick
import QtQuick.Window
import Orvane.Shell
import Orvane.Flow
Window {
    id: root
    width: 880; height: 740; visible: true; color: "#140a24"
    required property SectionFlowController flow
    Loader {
        anchors.fill: parent
        sourceComponent: root.flow.state === "scanning" ? scanning : root.flow.state === "results" ? results : null
    }
    Component {
        id: scanning
        ScanningView {
            accent: root.flow.accent
            // With the progress texts where the screen has them (the probe also builds older code).
            Component.onCompleted: if ("cancellable" in this) {
                cancellable = true
                sourceText = Qt.binding(() => root.flow.scanSourceText)
                countsText = Qt.binding(() => root.flow.scanCountsText)
            }
        }
    }
    Component { id: results; ResultsView { flow: root.flow } }
    // Keeps frames coming, so a stalled GUI thread shows as a gap.
    Rectangle { width: 2; height: 2; color: "#01000000"; NumberAnimation on rotation { from: 0; to: 360; loops: Animation.Infinite; duration: 1000 } }
}
)",
                      QUrl(QStringLiteral("qrc:/probe.qml")));
    auto* window = qobject_cast<QQuickWindow*>(component.createWithInitialProperties({{"flow", QVariant::fromValue(&flow)}}));
    if (!window) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return 1;
    }
    QObject::connect(window, &QQuickWindow::frameSwapped, [] {
        const qint64 now = clock_.elapsed();
        const qint64 previous = lastFrame.exchange(now);
        const qint64 gap = now - previous;
        if (trace && gap > 50) {
            timespec ts;
            clock_gettime(CLOCK_MONOTONIC, &ts);
            std::fprintf(stderr, "gap %lld ms at %lld ms (monotonic %ld.%03ld), phase %d, after %s\n", gap, now,
                         long(ts.tv_sec), ts.tv_nsec / 1000000, phase.load(), action);
        }
        // A gap that began once the scan had ended is part of the wait for the results.
        if (phase == 0 && (scanEnd < 0 || previous < scanEnd))
            gapScanning = std::max(gapScanning.load(), gap);
        else if (phase == 2)
            gapResults = std::max(gapResults.load(), gap);
        else if (phase == 1 && firstResultsFrame < 0) {
            firstResultsFrame = now;
            phase = 2;
        }
    });
    QObject::connect(&flow, &SectionFlowController::stateChanged, [&flow] {
        if (flow.scanState() == ScanState::results)
            phase = 1;
    });
    waitMs(500);
    lastFrame = clock_.elapsed();
    action = "scan";
    phase = 0;
    flow.startScan();
    while (phase != 2)
        spin(10);
    action = "results";
    waitMs(1500); // the cards' entrance

    // The largest category, expanded.
    CategoryListModel* model = flow.categories();
    int largest = 0;
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->data(model->index(row), int(CategoryListModel::Role::fileCount)).toInt()
            > model->data(model->index(largest), int(CategoryListModel::Role::fileCount)).toInt())
            largest = row;
    if (trace)
        std::fprintf(stderr, "results up, rss %lld MB\n", statusKb("VmRSS:") / 1024);
    action = "expand";
    if (trace) {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        std::fprintf(stderr, "expand at monotonic %ld.%09ld\n", long(ts.tv_sec), ts.tv_nsec);
    }
    flow.toggleExpanded(model->data(model->index(largest), int(CategoryListModel::Role::categoryId)).toString());
    waitMs(1000);

    // To the end in 300 steps, one per frame.
    auto* scroller = qobject_cast<QQuickItem*>(findItem(window->contentItem(), QStringLiteral("resultsScroller")));
    if (!scroller) {
        std::fprintf(stderr, "no resultsScroller\n");
        return 1;
    }
    action = "scroll";
    for (int step = 300; step > 0; --step) {
        const qreal end = scroller->property("originY").toReal() + scroller->property("contentHeight").toReal()
                          - scroller->height() + scroller->property("bottomMargin").toReal();
        const qreal y = scroller->property("contentY").toReal();
        if (y >= end - 0.5)
            break;
        scroller->setProperty("contentY", y + (end - y) / step);
        if (trace && step % 50 == 0)
            std::fprintf(stderr, "step %d rss %lld MB\n", step, statusKb("VmRSS:") / 1024);
        const qint64 before = lastFrame.load();
        while (lastFrame.load() == before)
            spin(5);
    }
    waitMs(500);
    report(nullptr);
    delete window;
    return 0;
}
