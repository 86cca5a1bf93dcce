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
// Whether `path` is `folder` or lies inside it (by name: links are not resolved).
bool isWithin(const FilePath& path, const FilePath& folder);
// Readable text for a path or name: UTF-8 where valid, other bytes shown as U+FFFD.
QString displayPath(const QByteArray& path);
// Readable text of a folder for a row: "~" for `home`, "~/…" inside it, else the full path.
QString homeRelativePath(const FilePath& path, const FilePath& home);

} // namespace orvane
