#include "desktop_entry.h"

#include "file_entry.h"
#include "file_head.h"
#include "folder_reader.h"
#include "paths.h"

#include <QLocale>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orvane {

namespace {

// The escapes of string values; an unknown one is kept as written.
QString unescaped(const QByteArray& raw)
{
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c != '\\' || i + 1 == raw.size()) {
            out += c;
            continue;
        }
        switch (raw[i + 1]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: out += c; continue; // keep the backslash; the next character is read as usual
        }
        ++i;
    }
    return QString::fromUtf8(out);
}

// "Name" or "Name[es_MX]": letters, digits and "-" before an optional locale in brackets.
bool isKey(const QByteArray& key)
{
    const qsizetype bracket = key.indexOf('[');
    const QByteArray base = bracket < 0 ? key : key.left(bracket);
    if (base.isEmpty())
        return false;
    for (char c : base)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'))
            return false;
    return bracket < 0 || (key.endsWith(']') && key.size() > bracket + 2);
}

} // namespace

QString DesktopEntry::localized(const QByteArray& key, const QStringList& locales) const
{
    for (const QString& locale : locales) {
        // lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang: the matching order of the format.
        const qsizetype at = locale.indexOf(u'@');
        const QString modifier = at < 0 ? QString() : locale.mid(at);
        const QString base = at < 0 ? locale : locale.left(at);
        const QString lang = base.section(u'_', 0, 0);
        QStringList tries{locale};
        if (!modifier.isEmpty())
            tries << base << lang + modifier;
        tries << lang;
        for (const QString& candidate : tries) {
            const auto it = values.constFind(key + '[' + candidate.toUtf8() + ']');
            if (it != values.cend())
                return it.value();
        }
    }
    return values.value(key);
}

std::optional<DesktopEntry> parseDesktopEntry(const QByteArray& bytes)
{
    if (bytes.size() > maxDesktopEntrySize || bytes.contains('\0'))
        return std::nullopt;
    DesktopEntry entry;
    bool found = false;
    bool inMain = false;
    for (const QByteArray& rawLine : bytes.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            // Keys of a later group of the same name would only repeat or contradict the first.
            inMain = !found && line == "[Desktop Entry]";
            found = found || inMain;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inMain || eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        // A key written twice is an error of the file; the first one stands.
        if (isKey(key) && !entry.values.contains(key))
            entry.values.insert(key, unescaped(line.mid(eq + 1).trimmed()));
    }
    if (!found)
        return std::nullopt;
    return entry;
}

std::optional<DesktopEntry> readDesktopEntry(const FilePath& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0 || slash + 1 == path.size())
        return std::nullopt;
    const FilePath folder = slash == 0 ? FilePath("/") : path.left(slash);
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return std::nullopt;
    const std::optional<QByteArray> bytes = readSmallFile(dirFd, path.constData() + slash + 1, maxDesktopEntrySize);
    ::close(dirFd);
    return bytes ? parseDesktopEntry(*bytes) : std::nullopt;
}

QString execProgram(const QString& exec)
{
    // The command line's rules: an argument holding a reserved character is quoted as a whole,
    // inside quotes only ", `, $ and \ are escaped, and a literal "%" is written "%%". What
    // breaks them is not a command line any launcher agrees on, so it names no program.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    qsizetype i = 0;
    while (i < exec.size() && (exec[i] == u' ' || exec[i] == u'\t'))
        ++i;
    QString program;
    if (i < exec.size() && exec[i] == u'"') {
        for (++i; i < exec.size() && exec[i] != u'"'; ++i) {
            if (exec[i] == u'\\') {
                if (i + 1 == exec.size() || !QStringLiteral("\"`$\\").contains(exec[i + 1]))
                    return {};
                ++i;
            } else if (exec[i] == u'`' || exec[i] == u'$') {
                return {}; // must be escaped inside quotes
            }
            program += exec[i];
        }
        if (i == exec.size())
            return {}; // the quote never closes
        ++i;
        if (i < exec.size() && exec[i] != u' ' && exec[i] != u'\t')
            return {}; // quoted only in part
    } else {
        for (; i < exec.size() && exec[i] != u' ' && exec[i] != u'\t'; ++i) {
            if (reserved.contains(exec[i]))
                return {};
            program += exec[i];
        }
    }
    // "%%" is a literal "%"; any other field code has no place in the program itself.
    QString literal;
    for (qsizetype k = 0; k < program.size(); ++k) {
        if (program[k] == u'%') {
            if (k + 1 == program.size() || program[k + 1] != u'%')
                return {};
            ++k;
        }
        literal += program[k];
    }
    return literal;
}

QList<DesktopEntryFile> readDesktopEntries(const FilePath& folder)
{
    QList<DesktopEntryFile> entries;
    const fs::UniqueFd dir(fs::openFolder(folder));
    if (!dir.ok())
        return entries;
    std::vector<char> buffer;
    fs::FolderReader reader(dir.get(), buffer);
    while (const dirent64* e = reader.next()) {
        const QByteArray name(e->d_name);
        if (name.startsWith('.') || !name.endsWith(".desktop"))
            continue;
        if (const auto bytes = readSmallFile(dir.get(), e->d_name, maxDesktopEntrySize))
            if (auto entry = parseDesktopEntry(*bytes))
                entries.append({folder + '/' + name, std::move(*entry)});
    }
    return entries;
}

bool launches(const DesktopEntry& entry, const FilePath& program)
{
    if (!program.startsWith('/'))
        return false;
    const std::optional<FilePath> realProgram = realPath(program);
    for (const QString& command : {execProgram(entry.exec()), entry.value("TryExec")}) {
        const FilePath named = command.toUtf8();
        if (!named.startsWith('/'))
            continue; // found through PATH: not a particular file
        if (named == program || (realProgram && realPath(named) == realProgram))
            return true;
    }
    return false;
}

FilePath resolveInside(const FilePath& folder, const QByteArray& relative)
{
    const std::optional<FilePath> base = realPath(folder);
    const std::optional<FilePath> resolved = realPath(folder + '/' + relative);
    return base && resolved && isWithin(*resolved, *base, Within::strictly) ? *resolved : FilePath();
}

QStringList desktopLocales(const QString& language)
{
    const QString system = QLocale::system().name(); // "es_MX"
    if (system.section(u'_', 0, 0) == language && system != language)
        return {system, language};
    return {language};
}

} // namespace orvane
