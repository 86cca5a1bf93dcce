#pragma once

// The one reader of property lists a user's files may hold (an application bundle's Info.plist),
// for the application scan and for item icons alike. A plist is read only when it is a regular
// file (opened non-blocking without following a link, checked after opening), at most 4 MiB, and
// when its object graph is bounded: no cycle, a few levels deep, and the tree it stands for (a
// shared sub-object counting each time it is used) at most a hundred thousand nodes.

#include "model_types.h"

#include <optional>

namespace orvane {

// The string stored under `key` in the top-level dictionary of the plist bytes `data` (XML or
// binary); none when the data is refused, malformed, not a dictionary or holds no such string.
std::optional<QString> plistString(const QByteArray& data, const char* key);

// The same for the file `name` in the folder `dirFd` (AT_FDCWD and a full path work too).
std::optional<QString> plistFileString(int dirFd, const char* name, const char* key);

// A bundle's Info.plist value: Contents/Info.plist, else Info.plist at the bundle's root, neither
// the bundle nor its Contents folder reached through a link.
std::optional<QString> bundleInfoValue(const FilePath& bundle, const char* key);

} // namespace orvane
