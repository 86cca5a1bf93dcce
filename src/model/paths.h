#pragma once

#include "model_types.h"

namespace orvane {

// The current user's home folder, asked anew on every call ($HOME, else the password database),
// with links in it resolved.
FilePath homeDir();
// `base` + "/" + `relative` (relative may hold several components).
FilePath joinPath(const FilePath& base, const QByteArray& relative);
FilePath joinPath(const FilePath& base, const QString& relative);
QByteArray lastComponent(const FilePath& path);
FilePath parentPath(const FilePath& path);
// The one "is inside" check. Whether `path` is `folder` or lies inside it (`Within::strictly`:
// inside it, not itself), by name: links are not resolved. Repeated and trailing slashes carry no
// meaning; a relative path, or one with a "." or ".." component, lies inside nothing.
enum class Within { orSame, strictly };
bool isWithin(const FilePath& path, const FilePath& folder, Within how = Within::orSame);
// The one realpath: `path` with every link on it resolved; none when a part of it is missing.
std::optional<FilePath> realPath(const FilePath& path);
// (The one UTF-8 check is Qt's: QByteArray::isValidUtf8.)
// Readable text for a path or name: UTF-8 where valid, other bytes shown as U+FFFD.
QString displayPath(const QByteArray& path);
// Readable text of a folder for a row: "~" for `home`, "~/…" inside it, else the full path.
QString homeRelativePath(const FilePath& path, const FilePath& home);

// A home folder that belongs to another user than the one Orvane runs as (root given another
// user's HOME, through sudo): nothing may be scanned, moved or written there, not even settings,
// since whatever root creates there is then in its owner's way.
struct ForeignHome {
    FilePath home;
    QString owner;     // user name, else the numeric id
    QString runningAs; // the same for the effective user
};
// None when the home folder is the effective user's own, or cannot be examined.
std::optional<ForeignHome> foreignHome(const FilePath& home = homeDir());
// The one-paragraph explanation, in the current language.
QString foreignHomeMessage(const ForeignHome& foreign);

} // namespace orvane
