#pragma once

// Reading freedesktop desktop entries (".desktop" files): applications, autostart entries.
// Only the [Desktop Entry] group is read; values come back with their escapes undone
// (\s \n \t \r \\) and anything else in them kept as text.

#include "model_types.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvane {

// Entries are a few KB (a few tens with many translations); a file past this is not one.
inline constexpr qint64 maxDesktopEntrySize = 256 * 1024;

struct DesktopEntry {
    // Keys as written, locale suffix included ("Name", "Name[es_MX]").
    QHash<QByteArray, QString> values;

    QString value(const QByteArray& key) const { return values.value(key); }
    // `key` in the first of `locales` that has it ("es_MX", then "es", …), else the plain key.
    QString localized(const QByteArray& key, const QStringList& locales) const;
    // Boolean keys are on only when written "true".
    bool isTrue(const QByteArray& key) const { return values.value(key).trimmed() == u"true"; }

    QString name(const QStringList& locales) const { return localized("Name", locales); }
    QString exec() const { return value("Exec"); }
    QString icon() const { return value("Icon"); }
    bool hidden() const { return isTrue("Hidden"); }
    bool noDisplay() const { return isTrue("NoDisplay"); }
};

// The entry held by `bytes`; none when they are not one: no [Desktop Entry] group, a NUL byte
// (binary data), or more than maxDesktopEntrySize bytes.
std::optional<DesktopEntry> parseDesktopEntry(const QByteArray& bytes);

// Reads the regular file at `path` without following a link at its last component (a link is
// not read: its target may be anywhere) and without opening anything but a regular file.
// None when it cannot be read or is not an entry (see parseDesktopEntry).
std::optional<DesktopEntry> readDesktopEntry(const FilePath& path);

// The program an Exec value starts: its first argument with the quoting of desktop entries
// undone ("\"/opt/My App/run\" %U" gives "/opt/My App/run"). Empty when there is none or the
// value breaks the quoting rules (a reserved character outside quotes, a quote closed in the
// middle of the argument, an unknown escape, a field code in the program).
QString execProgram(const QString& exec);

// The entries of a folder ("*.desktop" regular files, hidden ones left out), in listing order,
// each with its path. Links are not read; neither are files that are not entries.
struct DesktopEntryFile {
    FilePath path;
    DesktopEntry entry;
};
QList<DesktopEntryFile> readDesktopEntries(const FilePath& folder);

// Whether the entry starts `program` (an absolute path): its Exec or TryExec program names it,
// directly or through links.
bool launches(const DesktopEntry& entry, const FilePath& program);

// `relative` below `folder` with the links on the way resolved (a Flatpak app's "current" and
// "active" links), as long as where it leads is inside `folder`. Empty when it leads outside or
// does not exist.
FilePath resolveInside(const FilePath& folder, const QByteArray& relative);

// Locales to look localized keys up with for the application's language ("es" or "en"): the
// system's own locale first when it speaks that language ("es_MX"), then the bare language.
QStringList desktopLocales(const QString& language);

} // namespace orvane
