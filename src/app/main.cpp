#include "app_config.h"
#include "app_setup.h"
#include "background_work.h"
#include "keep_list.h"
#include "localization_manager.h"
#include "paths.h"
#include "updater.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QSettings>
#include <QTemporaryDir>
#include <signal.h>
#include <QtQml/qqmlextensionplugin.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

Q_IMPORT_QML_PLUGIN(Orvane_AppPlugin)

namespace {

constexpr char demoHomeVariable[] = "ORVANE_DEMO_HOME";
volatile std::sig_atomic_t demoChild = 0;

// Passed on to the demo's application, so the demo folder is still removed afterwards.
void forwardToDemo(int signal)
{
    if (demoChild > 0)
        ::kill(pid_t(demoChild), signal);
}

// `orvane --demo`: a sample home in a temporary folder, made by orvane-cli, and the application
// started again with HOME and the XDG folders inside it, so settings and Trash live there too
// (GIO and QStandardPaths read them once, at start-up, hence the new process).
int runDemo(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString cli = QFileInfo(self).dir().filePath(QStringLiteral("orvane-cli"));
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/orvane-demo-XXXXXX"));
    if (!root.isValid()) {
        std::fprintf(stderr, "orvane: cannot create a temporary folder for the demo\n");
        return 1;
    }
    const QString home = root.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    QProcess maker;
    maker.setProcessChannelMode(QProcess::ForwardedChannels);
    maker.start(cli, {QStringLiteral("demo-home"), home});
    if (!maker.waitForFinished(-1) || maker.exitStatus() != QProcess::NormalExit || maker.exitCode() != 0) {
        std::fprintf(stderr, "orvane: could not make the demo home with %s\n", qPrintable(cli));
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/.local/state"));
    env.insert(QLatin1String(demoHomeVariable), home);
    std::fprintf(stderr, "orvane: demo home in %s (removed on exit)\n", qPrintable(home));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.setInputChannelMode(QProcess::ForwardedInputChannel);
    child.start(self, app.arguments().mid(1));
    if (!child.waitForStarted(-1))
        return 1;
    demoChild = std::sig_atomic_t(child.processId());
    std::signal(SIGTERM, forwardToDemo);
    std::signal(SIGINT, forwardToDemo);
    std::signal(SIGHUP, forwardToDemo);
    child.waitForFinished(-1);
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 1;
}

// The home folder belongs to another user: a window that says so, and nothing written there.
int refuseForeignHome(int argc, char* argv[], const orvane::ForeignHome& foreign)
{
    // The stored language is read from the real settings, which are never written.
    orvane::LocalizationManager::leaveSettingsUntouched();
    orvane::LocalizationManager::shared();
    // Qt, fontconfig and the graphics stack keep caches below HOME and the XDG folders: they get
    // a temporary folder of their own, removed on exit.
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/orvane-XXXXXX"));
    if (!scratch.isValid()) {
        std::fprintf(stderr, "orvane: %s\n", qPrintable(orvane::foreignHomeMessage(foreign)));
        return 3;
    }
    const QByteArray elsewhere = QFile::encodeName(scratch.path());
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        qputenv(variable, elsewhere);
    QGuiApplication app(argc, argv);
    orvane::setupApplication();
    const QString message = orvane::foreignHomeMessage(foreign);
    std::fprintf(stderr, "orvane: %s\n", qPrintable(message));
    QQmlApplicationEngine engine;
    orvane::setupEngine(engine);
    engine.setInitialProperties({{QStringLiteral("message"), message}});
    engine.load(QUrl(QStringLiteral("qrc:/Orvane/App/HomeRefused.qml")));
    if (engine.rootObjects().isEmpty())
        return 3;
    app.exec();
    return 3;
}

constexpr char helpText[] = R"(Usage: orvane [--demo] [Qt options]

Frees storage space in your home folder. orvane-cli does the same from a terminal.

Options:
  --demo                    Run on a sample home folder in a temporary folder
                            (removed on exit); your own files are never touched.
  -h, --help                Show this help and exit.
  -v, --version             Show the version and exit.

Qt options:
  -platform NAME            Qt platform plugin: xcb, wayland, ...
  -platformtheme NAME       Qt platform theme.
  -platformpluginpath PATH  More folders for platform plugins.
  -plugin NAME              Load an extra input plugin.
  -qwindowgeometry GEOMETRY Window size and position (WIDTHxHEIGHT+X+Y).
  -qwindowicon FILE         Window icon.
  -qwindowtitle TITLE       Window title.
  -reverse                  Lay the window out from right to left.
  -session ID               Restore the given session.
  -display NAME             X11 display (xcb platform).

The language is the one chosen in the window; on the first start, English when
the system language is English (LANG=en_US.UTF-8) and Spanish otherwise.
See orvane(1).
)";

bool hasArgument(int argc, char* argv[], const char* name)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return true;
    return false;
}

// Qt's messages while the platform plugin starts, held back: when no display can be reached
// they end in Qt's abort, replaced by one line of ours; otherwise they are shown as they were.
QtMessageHandler qtHandler = nullptr;
QList<std::pair<QtMsgType, QString>> heldMessages;
bool holdingMessages = false;

void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg && holdingMessages) {
        std::fprintf(stderr, "orvane: cannot open a window: no display could be reached "
                             "(try orvane-cli in a terminal)\n");
        std::_Exit(1);
    }
    if (holdingMessages) {
        heldMessages.append({type, message});
        return;
    }
    qtHandler(type, context, message);
}

} // namespace

int main(int argc, char* argv[])
{
    // Answered before Qt looks for a display, so they work in any terminal.
    if (hasArgument(argc, argv, "--help") || hasArgument(argc, argv, "-h")) {
        std::fputs(helpText, stdout);
        return 0;
    }
    if (hasArgument(argc, argv, "--version") || hasArgument(argc, argv, "-v")) {
        std::printf("orvane %s\n", orvane::config::version);
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !hasArgument(argc, argv, "-platform")) {
        std::fprintf(stderr, "orvane: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
                             "start it in a desktop session, or use orvane-cli\n");
        return 1;
    }
    if (hasArgument(argc, argv, "--demo") && qEnvironmentVariableIsEmpty(demoHomeVariable))
        return runDemo(argc, argv);
    // Before anything reads or writes below the home folder.
    if (const auto foreign = orvane::foreignHome())
        return refuseForeignHome(argc, argv, *foreign);
    orvane::keepUnreadableKeepList();

    // The window is matched to its desktop entry (and so its icon) by this name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(orvane::config::applicationId));
    qtHandler = qInstallMessageHandler(startupMessages);
    holdingMessages = true;
    QGuiApplication app(argc, argv);
    holdingMessages = false;
    qInstallMessageHandler(qtHandler);
    for (const auto& [type, message] : std::as_const(heldMessages))
        qt_message_output(type, QMessageLogContext(), message);
    heldMessages.clear();
    orvane::setupApplication();
    orvane::LocalizationManager::shared();
    // Lives as long as the process; applies the language first, then checks now and daily.
    orvane::Updater::shared();

    QQmlApplicationEngine engine;
    orvane::setupEngine(engine);
    engine.load(orvane::mainQmlUrl());
    if (engine.rootObjects().isEmpty())
        return 1;
    const int rc = app.exec();

    // A removal under way finishes first; a scan still running is simply abandoned.
    orvane::background::waitForRemovals();
    if (orvane::background::running(orvane::background::Kind::scan) > 0) {
        QSettings(QStringLiteral("Orvane"), QStringLiteral("Orvane")).sync();
        std::fflush(nullptr);
        std::_Exit(rc);
    }
    return rc;
}
