// GIO first: its headers use "signals" as a name, which Qt defines as a keyword.
#include <gio/gio.h>

#include "trash.h"

namespace orvane {

bool moveToTrash(const FilePath& path, QString* error)
{
    // GIO takes paths in the file system's own bytes, so any name is passed through unchanged.
    GFile* file = g_file_new_for_path(path.constData());
    GError* gerror = nullptr;
    const bool ok = g_file_trash(file, nullptr, &gerror);
    if (!ok && error)
        *error = gerror ? QString::fromUtf8(gerror->message) : QStringLiteral("trash failed");
    if (gerror)
        g_error_free(gerror);
    g_object_unref(file);
    return ok;
}

} // namespace orvane
