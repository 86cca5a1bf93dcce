// GLib first: its headers use names (signals) that Qt's headers turn into keywords.
#include <gio/gio.h>

#include "window_buttons.h"

#include "base_dirs.h"

#include <QFile>

namespace orvane {

namespace {

const WindowButtonLayout fallbackLayout{{}, {QStringLiteral("minimize"), QStringLiteral("maximize"), QStringLiteral("close")}};

QStringList kdeButtons(const QString& letters)
{
    QStringList buttons;
    for (const QChar c : letters) {
        const QString name = c == u'X' ? QStringLiteral("close")
                           : c == u'I' ? QStringLiteral("minimize")
                           : c == u'A' ? QStringLiteral("maximize")
                                       : QString();
        if (!name.isEmpty() && !buttons.contains(name))
            buttons.append(name);
    }
    return buttons;
}

QStringList gnomeButtons(const QString& names)
{
    QStringList buttons;
    for (const QString& raw : names.split(u',')) {
        const QString name = raw.trimmed();
        if ((name == u"close" || name == u"minimize" || name == u"maximize") && !buttons.contains(name))
            buttons.append(name);
    }
    return buttons;
}

std::optional<QString> gnomeSetting()
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return std::nullopt;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, "org.gnome.desktop.wm.preferences", TRUE);
    if (!schema)
        return std::nullopt;
    std::optional<QString> value;
    if (g_settings_schema_has_key(schema, "button-layout")) {
        GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
        gchar* text = g_settings_get_string(settings, "button-layout");
        value = QString::fromUtf8(text);
        g_free(text);
        g_object_unref(settings);
    }
    g_settings_schema_unref(schema);
    return value;
}

} // namespace

WindowButtonLayout gnomeButtonLayout(const QString& setting)
{
    const qsizetype colon = setting.indexOf(u':');
    if (colon < 0)
        return {gnomeButtons(setting), {}};
    WindowButtonLayout layout{gnomeButtons(setting.left(colon)), gnomeButtons(setting.mid(colon + 1))};
    // A button named on both sides is shown once, where it first appears.
    for (const QString& name : std::as_const(layout.left))
        layout.right.removeAll(name);
    return layout;
}

WindowButtonLayout kdeButtonLayout(const QString& onLeft, const QString& onRight)
{
    WindowButtonLayout layout{kdeButtons(onLeft), kdeButtons(onRight)};
    for (const QString& name : std::as_const(layout.left))
        layout.right.removeAll(name);
    return layout;
}

std::optional<WindowButtonLayout> kdeButtonLayoutFromConfig(const QByteArray& kwinrc)
{
    // KWin's defaults where the file leaves a side out: menu and sticky left, help minimize
    // maximize close right.
    QString onLeft = QStringLiteral("MS"), onRight = QStringLiteral("HIAX");
    bool inGroup = false, found = false;
    for (const QByteArray& rawLine : kwinrc.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inGroup = line == "[org.kde.kdecoration2]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inGroup || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QString value = QString::fromUtf8(line.mid(equals + 1).trimmed());
        if (key == "ButtonsOnLeft") {
            onLeft = value;
            found = true;
        } else if (key == "ButtonsOnRight") {
            onRight = value;
            found = true;
        }
    }
    if (!found)
        return std::nullopt;
    return kdeButtonLayout(onLeft, onRight);
}

WindowButtonLayout desktopButtonLayout()
{
#if defined(__APPLE__)
    return {{QStringLiteral("close"), QStringLiteral("minimize"), QStringLiteral("maximize")}, {}};
#else
    // The user's own choice, in GNOME's form, wins over what the desktop publishes.
    const QString own = qEnvironmentVariable("ORVANE_WINDOW_BUTTONS");
    if (!own.isEmpty()) {
        const WindowButtonLayout layout = gnomeButtonLayout(own);
        if (layout.left.contains(QStringLiteral("close")) || layout.right.contains(QStringLiteral("close")))
            return layout;
    }
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    if (desktop.split(u':').contains(QStringLiteral("KDE"))) {
        QFile file(QString::fromLocal8Bit(baseDirs().config + "/kwinrc"));
        if (file.open(QIODevice::ReadOnly)) {
            if (auto layout = kdeButtonLayoutFromConfig(file.read(1024 * 1024)))
                return *layout;
        }
        return kdeButtonLayout(QStringLiteral("MS"), QStringLiteral("HIAX"));
    }
    if (auto setting = gnomeSetting()) {
        const WindowButtonLayout layout = gnomeButtonLayout(*setting);
        // A layout without close would leave no way to close the frameless window.
        if (layout.left.contains(QStringLiteral("close")) || layout.right.contains(QStringLiteral("close")))
            return layout;
    }
    return fallbackLayout;
#endif
}

} // namespace orvane
