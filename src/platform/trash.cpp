// GIO first: its headers use "signals" as a name, which Qt defines as a keyword.
#include <gio/gio.h>

#include "trash.h"

namespace orvane {

namespace {

TrashFailure failureOf(const GError* error)
{
    if (!error || error->domain != G_IO_ERROR)
        return TrashFailure::other;
    switch (error->code) {
    case G_IO_ERROR_NOT_FOUND: return TrashFailure::gone;
    case G_IO_ERROR_PERMISSION_DENIED: return TrashFailure::noPermission;
    case G_IO_ERROR_READ_ONLY: return TrashFailure::readOnlyDisk;
    // No Trash on that volume, or a name the Trash cannot hold (its info file needs room).
    case G_IO_ERROR_NOT_SUPPORTED:
    case G_IO_ERROR_FILENAME_TOO_LONG: return TrashFailure::noTrash;
    default: return TrashFailure::other;
    }
}

} // namespace

bool moveToTrash(const FilePath& path, QString* error, TrashFailure* failure)
{
    // GIO takes paths in the file system's own bytes, so any name is passed through unchanged.
    GFile* file = g_file_new_for_path(path.constData());
    GError* gerror = nullptr;
    const bool ok = g_file_trash(file, nullptr, &gerror);
    if (!ok && error)
        *error = gerror ? QString::fromUtf8(gerror->message) : QStringLiteral("trash failed");
    if (failure)
        *failure = ok ? TrashFailure::none : failureOf(gerror);
    if (gerror)
        g_error_free(gerror);
    g_object_unref(file);
    return ok;
}

} // namespace orvane
