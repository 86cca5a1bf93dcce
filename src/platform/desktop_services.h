#pragma once

// Handing things to other desktop applications: the web browser, the mail client, the file manager.

#include "model_types.h"

#include <QDBusConnection>
#include <QUrl>

namespace orvane {

// Opens `url` in its default application; false when nothing took it.
bool openUrl(const QUrl& url);

// "file://" URL of a path, every byte kept (what is not plain ASCII is percent-encoded).
QUrl fileUrl(const FilePath& path);

// Shows `path` selected in the file manager (org.freedesktop.FileManager1.ShowItems on `bus`).
// Where no file manager answers, opens the folder that holds it instead. Returns at once;
// the fallback, when needed, runs once the bus has replied.
void revealInFileManager(const FilePath& path);
void revealInFileManager(const FilePath& path, const QDBusConnection& bus);

} // namespace orvane
