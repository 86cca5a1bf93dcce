#include "launch_at_login.h"
#include "base_dirs.h"
#include "locations.h"
#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace orvane {

namespace {

QString qpath(const FilePath& path)
{
    return QFile::decodeName(path);
}

// Characters that force an Exec argument into quotes.
bool isReserved(QChar c)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c);
}

// The "string" value escapes of a desktop entry line.
QString escapeStringValue(const QString& value)
{
    QString out;
    out.reserve(value.size() + 8);
    for (QChar c : value) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\r': out += QLatin1String("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

// Reads the two keys of the main group that switch an autostart entry off.
bool switchedOff(const QByteArray& contents)
{
    bool inMainGroup = false;
    for (QByteArray line : contents.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "Hidden" && value == "true")
            return true;
        if (key == "X-GNOME-Autostart-enabled" && value == "false")
            return true;
    }
    return false;
}

} // namespace

FilePath autostartEntryPath()
{
    // An autostart folder outside the home folder (XDG_CONFIG_HOME=/etc/xdg) is everyone's:
    // then there is no login item to read or write.
    const FilePath folder = startupFolders(Platform::linux, baseDirs()).autostart;
    return folder.isEmpty() ? FilePath() : joinPath(folder, QByteArray("orvane.desktop"));
}

QString desktopExecArgument(const QString& argument)
{
    QString arg;
    bool quote = argument.isEmpty();
    for (QChar c : argument) {
        quote = quote || isReserved(c);
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            arg += u'\\';
        arg += c;
    }
    if (quote)
        arg = u'"' + arg + u'"';
    else
        arg = argument; // nothing needed escaping
    arg.replace(u'%', QLatin1String("%%"));
    return escapeStringValue(arg);
}

QByteArray autostartEntryContents(const QString& executable)
{
    QString entry = QStringLiteral("[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=Orvane\n"
                                   "Comment=Frees storage space in your home folder\n"
                                   "Icon=app.orvane.Orvane\n"
                                   "Exec=%1\n"
                                   "Terminal=false\n"
                                   "X-GNOME-Autostart-enabled=true\n")
                        .arg(desktopExecArgument(executable));
    return entry.toUtf8();
}

bool autostartEnabled(const FilePath& entry)
{
    if (entry.isEmpty())
        return false;
    QFile file(qpath(entry));
    if (!file.open(QIODevice::ReadOnly))
        return false; // missing, or the session could not read it either
    // An autostart entry is a few hundred bytes; anything past this is not ours to parse.
    return !switchedOff(file.read(64 * 1024));
}

bool registerAutostart(const FilePath& entry, const QString& executable)
{
    if (entry.isEmpty() || executable.isEmpty())
        return false;
    const QByteArray wanted = autostartEntryContents(executable);
    {
        QFile current(qpath(entry));
        if (current.open(QIODevice::ReadOnly) && current.read(wanted.size() + 1) == wanted)
            return true; // already registered: nothing to write
    }
    if (!QDir().mkpath(qpath(parentPath(entry))))
        return false;
    QSaveFile file(qpath(entry));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                        | QFileDevice::ReadOther);
    if (file.write(wanted) != wanted.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool unregisterAutostart(const FilePath& entry)
{
    if (entry.isEmpty())
        return true; // no login item can be there
    QFile file(qpath(entry));
    if (!file.exists() && !QFileInfo(file).isSymLink())
        return true;
    return file.remove();
}

LaunchAtLogin::LaunchAtLogin(QObject* parent)
    : LaunchAtLogin(autostartEntryPath(), QCoreApplication::applicationFilePath(), parent)
{
}

LaunchAtLogin::LaunchAtLogin(const FilePath& entry, const QString& executable, QObject* parent)
    : QObject(parent)
    , m_entry(entry)
    , m_executable(executable)
    , m_enabled(autostartEnabled(entry))
{
}

void LaunchAtLogin::setEnabled(bool on)
{
    if (on)
        registerAutostart(m_entry, m_executable);
    else
        unregisterAutostart(m_entry);
    m_enabled = autostartEnabled(m_entry);
    emit enabledChanged();
}

void LaunchAtLogin::refresh()
{
    const bool now = autostartEnabled(m_entry);
    if (now != m_enabled) {
        m_enabled = now;
        emit enabledChanged();
    }
}

} // namespace orvane
