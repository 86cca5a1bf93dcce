#include "flatpak.h"

#include "child_process.h"
#include "paths.h"

#include <QStandardPaths>

#include <sys/stat.h>

#include <cerrno>

namespace orvane {

bool isFlatpakAppId(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 255)
        return false;
    const QList<QByteArray> elements = name.split('.');
    if (elements.size() < 3)
        return false;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const QByteArray& element = elements[i];
        // Flatpak allows "-" only in the last element; none may start with a digit or "-", so
        // an id can never read as an option.
        if (element.isEmpty() || (element[0] >= '0' && element[0] <= '9') || element[0] == '-')
            return false;
        const bool last = i == elements.size() - 1;
        for (char c : element)
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'
                  || (c == '-' && last)))
                return false;
    }
    return true;
}

bool flatpakAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("flatpak")).isEmpty();
}

bool uninstallFlatpak(const QString& id, const FilePath& appFolder, int timeoutMs)
{
    if (!isFlatpakAppId(id.toUtf8()) || lastComponent(appFolder) != id.toUtf8())
        return false;
    const ChildOutcome outcome = runChild(
        QStringLiteral("flatpak"), {QStringLiteral("uninstall"), QStringLiteral("--user"), QStringLiteral("--noninteractive"),
                              QStringLiteral("--"), id},
        timeoutMs);
    struct stat st;
    // Exit status 0 alone is not enough: the freed figure counts the folder only when it went.
    return outcome.succeeded() && ::lstat(appFolder.constData(), &st) != 0 && errno == ENOENT;
}

} // namespace orvane
