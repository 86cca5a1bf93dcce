#include "keep_list.h"

#include "paths.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>

namespace orvane {

namespace {

const QString keepKey = QStringLiteral("keepList");
constexpr QLatin1StringView base64Prefix("base64:");

// A path is stored as text when it is UTF-8, else as "base64:" and its bytes.
QString encoded(const FilePath& path)
{
    const QString text = QString::fromUtf8(path);
    if (path.isValidUtf8() && !text.startsWith(base64Prefix))
        return text;
    return base64Prefix + QString::fromLatin1(path.toBase64());
}

std::optional<FilePath> decoded(const QString& text)
{
    if (!text.startsWith(base64Prefix))
        return text.startsWith(u'/') ? std::optional<FilePath>(text.toUtf8()) : std::nullopt;
    const auto bytes = QByteArray::fromBase64Encoding(text.mid(base64Prefix.size()).toLatin1(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
    if (!bytes || !(*bytes).startsWith('/'))
        return std::nullopt;
    return FilePath(*bytes);
}

struct Stored {
    FilePaths paths;
    bool unreadable = false; // the file or some of the list could not be read
};

Stored read(QSettings& settings)
{
    Stored stored;
    if (settings.status() != QSettings::NoError) {
        qWarning("Orvane: the settings file %s could not be read; the keep-list counts as empty",
                 qPrintable(settings.fileName()));
        stored.unreadable = true;
        return stored;
    }
    if (!settings.contains(keepKey))
        return stored;
    const QVariant value = settings.value(keepKey);
    if (value.typeId() != QMetaType::QStringList && value.typeId() != QMetaType::QString) {
        qWarning("Orvane: the keep-list in %s could not be read; it counts as empty", qPrintable(settings.fileName()));
        stored.unreadable = true;
        return stored;
    }
    for (const QString& text : value.toStringList()) {
        const std::optional<FilePath> path = decoded(text);
        if (!path) {
            qWarning("Orvane: an entry of the keep-list in %s could not be read and is left out",
                     qPrintable(settings.fileName()));
            stored.unreadable = true;
        } else if (!stored.paths.contains(*path)) {
            stored.paths.append(*path);
        }
    }
    return stored;
}

// Writes the list; a file that could not be wholly read is copied beside itself first, so what
// this process could not understand is not lost.
bool keepCopyOf(const QSettings& settings)
{
    if (!QFile::exists(settings.fileName()))
        return true;
    const QString copy = settings.fileName() + QStringLiteral(".unreadable-")
                         + QString::number(QDateTime::currentSecsSinceEpoch());
    if (!QFile::exists(copy) && !QFile::copy(settings.fileName(), copy))
        return false;
    qWarning("Orvane: the settings file as it was is kept in %s", qPrintable(copy));
    return true;
}

bool write(QSettings& settings, const FilePaths& paths, bool unreadable)
{
    if (unreadable && !keepCopyOf(settings))
        return false;
    QStringList texts;
    for (const FilePath& path : paths)
        texts << encoded(path);
    // QSettings stores an empty list as "@Invalid()", which reads back as no list at all.
    if (texts.isEmpty())
        settings.remove(keepKey);
    else
        settings.setValue(keepKey, texts);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

void keepUnreadableKeepList()
{
    QSettings settings(QStringLiteral("Orvane"), QStringLiteral("Orvane"));
    const Stored stored = read(settings);
    // Once the file is copied, what could be read is stored again, so the copy is made once.
    if (stored.unreadable && keepCopyOf(settings) && settings.status() == QSettings::NoError)
        write(settings, stored.paths, false);
}

FilePaths keptPaths()
{
    QSettings settings(QStringLiteral("Orvane"), QStringLiteral("Orvane"));
    settings.sync(); // another process (the CLI, the app) may have changed it
    return read(settings).paths;
}

bool keepPath(const FilePath& path)
{
    if (!path.startsWith('/'))
        return false;
    QSettings settings(QStringLiteral("Orvane"), QStringLiteral("Orvane"));
    settings.sync();
    Stored stored = read(settings);
    if (stored.paths.contains(path))
        return true;
    stored.paths.append(path);
    return write(settings, stored.paths, stored.unreadable);
}

bool unkeepPath(const FilePath& path)
{
    QSettings settings(QStringLiteral("Orvane"), QStringLiteral("Orvane"));
    settings.sync();
    Stored stored = read(settings);
    if (!stored.paths.removeAll(path))
        return true;
    return write(settings, stored.paths, stored.unreadable);
}

bool touchesKept(const FilePath& path, const FilePaths& kept)
{
    return std::any_of(kept.cbegin(), kept.cend(),
                       [&path](const FilePath& k) { return isWithin(path, k) || isWithin(k, path); });
}

} // namespace orvane
