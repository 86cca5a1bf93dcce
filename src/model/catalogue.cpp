#include "catalogue.h"

#include "keep_list.h"
#include "localization_manager.h"
#include "paths.h"

namespace orvane {

namespace {

CleanupSource folder(const QString& name, const char* icon, const SourceLocations& locations,
                     const Locations& table, bool autoSelect)
{
    return {name, QString::fromLatin1(icon), FolderSource{locations, table.neverOffered}, autoSelect};
}

QStringList highlights(const char* plan)
{
    const QString prefix = QStringLiteral("plan.%1.h").arg(QLatin1String(plan));
    return {t(prefix + u'1'), t(prefix + u'2'), t(prefix + u'3')};
}

CleanupPlan makePlan(const char* id, QList<CleanupSource> sources, RemovalStyle removal, QStringList notes = {})
{
    const QString prefix = QStringLiteral("plan.%1.").arg(QLatin1String(id));
    return {t(prefix + QStringLiteral("title")), t(prefix + QStringLiteral("subtitle")), std::move(sources), removal,
            highlights(id), std::move(notes)};
}

// A path for a sentence, the home folder written "~".
QString tilde(const FilePath& path, const FilePath& home)
{
    return isWithin(path, home) ? u'~' + displayPath(path.mid(home.size())) : displayPath(path);
}

// One line per skipped base directory among `variables` (those the plan draws on).
QStringList skippedNotes(const Locations& l, std::initializer_list<const char*> variables)
{
    using Reason = SkippedBaseDir::Reason;
    QStringList notes;
    for (const SkippedBaseDir& s : l.skipped) {
        if (std::none_of(variables.begin(), variables.end(), [&s](const char* v) { return s.variable == v; }))
            continue;
        const QString variable = QString::fromLatin1(s.variable), path = tilde(s.path, l.home),
                      other = tilde(s.other, l.home);
        switch (s.reason) {
        case Reason::isHome: notes << t(QStringLiteral("skipped.isHome"), {variable, path}); break;
        case Reason::sameAs: notes << t(QStringLiteral("skipped.sameAs"), {variable, path, other}); break;
        case Reason::holdsBaseDir:
        case Reason::holdsUserFolder:
        case Reason::holdsTrash: notes << t(QStringLiteral("skipped.holds"), {variable, path, other}); break;
        case Reason::insideBaseDir:
        case Reason::insideUserFolder:
        case Reason::insideTrash: notes << t(QStringLiteral("skipped.inside"), {variable, path, other}); break;
        }
    }
    return notes;
}

// A build folder name that reads the same in every language.
const QString derivedDataName = QStringLiteral("Xcode DerivedData");

// The first row: Xcode's build folder on macOS, the developer tools' caches on Linux.
CleanupSource developerRow(const Locations& l)
{
    const QString name = l.platform == Platform::linux ? t(QStringLiteral("src.devCaches")) : derivedDataName;
    return folder(name, "hammer", l.derivedData, l, true);
}

SidebarSection section(const char* id, const char* icon)
{
    const QString key = QStringLiteral("nav.") + QLatin1String(id);
    return {QString::fromLatin1(id), t(key), QString::fromLatin1(icon)};
}

// The plans of one platform's location table.
CleanupPlan smartPlan(const Locations& l)
{
    return makePlan("smart",
                    {
                        developerRow(l),
                        folder(t(QStringLiteral("src.caches")), "shippingbox", l.caches, l, true),
                        folder(t(QStringLiteral("src.downloads")), "arrow.down.circle", l.downloads, l, false),
                        folder(t(QStringLiteral("src.logs")), "doc.text", l.logs, l, true),
                        folder(t(QStringLiteral("src.trash")), "trash", l.trash, l, true),
                    },
                    RemovalStyle::permanent, skippedNotes(l, {"XDG_CACHE_HOME", "XDG_DATA_HOME"}));
}

CleanupPlan cleanupPlan(const Locations& l)
{
    return makePlan(
        "cleanup",
        {
            developerRow(l),
            folder(t(QStringLiteral("src.userCaches")), "shippingbox", l.caches, l, true),
            folder(t(QStringLiteral("src.logs")), "doc.text", l.logs, l, true),
            folder(t(QStringLiteral("src.savedAppState")), "macwindow", l.savedAppState, l, false),
            folder(t(QStringLiteral("src.trash")), "trash", l.trash, l, true),
            {t(QStringLiteral("src.bigFiles")), QStringLiteral("doc.fill"), BigFilesSource{l.bigFilesRoot, bigFileThreshold},
             false},
        },
        RemovalStyle::permanent, skippedNotes(l, {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}));
}

CleanupPlan appsPlan(const Locations& l)
{
    // Leftovers are looked for in every base directory.
    return makePlan("apps",
                    {{t(QStringLiteral("src.installedApps")), QStringLiteral("square.grid.2x2"),
                      InstalledAppsSource{t(QStringLiteral("apps.unusedRuntimes"))}, false}},
                    RemovalStyle::trash,
                    skippedNotes(l, {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"}));
}

CleanupPlan protectPlan(const Locations& l)
{
    return makePlan(
        "protect",
        {
            folder(t(QStringLiteral("src.recentFiles")), "clock.arrow.circlepath", l.recentFiles, l, true),
            folder(t(l.platform == Platform::linux ? QStringLiteral("src.otherBrowsers") : QStringLiteral("src.safariTraces")),
                   l.platform == Platform::linux ? "globe" : "safari", l.safariTraces, l, true),
            folder(t(QStringLiteral("src.chromeTraces")), "globe", l.chromeTraces, l, true),
            folder(t(QStringLiteral("src.firefoxTraces")), "flame", l.firefoxTraces, l, true),
            folder(t(QStringLiteral("src.edgeTraces")), "globe", l.edgeTraces, l, true),
            folder(t(QStringLiteral("src.savedWindows")), "macwindow", l.savedAppState, l, false),
        },
        RemovalStyle::permanent, skippedNotes(l, {"XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}));
}

CleanupPlan duplicatesPlan(const Locations& l)
{
    return makePlan("dup",
                    {{t(QStringLiteral("src.duplicates")), QStringLiteral("doc.on.doc"),
                      DuplicatesSource{l.duplicateRoots, duplicateThreshold}, true}},
                    RemovalStyle::trash);
}

} // namespace

QList<SidebarSection> mainSections()
{
    return {
        section("smart", "sparkles"),
        section("cleanup", "trash"),
        section("apps", "square.grid.2x2"),
        section("space", "internaldrive"),
        section("protect", "shield"),
        section("dup", "doc.on.doc"),
    };
}

QList<SidebarSection> bottomSections()
{
    return {section("settings", "gearshape"), section("about", "info.circle")};
}

std::optional<CleanupPlan> planFor(const QString& sectionId, const Locations& locations)
{
    if (sectionId == u"smart")
        return smartPlan(locations);
    if (sectionId == u"cleanup")
        return cleanupPlan(locations);
    if (sectionId == u"apps")
        return appsPlan(locations);
    if (sectionId == u"protect")
        return protectPlan(locations);
    if (sectionId == u"dup")
        return duplicatesPlan(locations);
    return std::nullopt;
}

std::optional<CleanupPlan> planFor(const QString& sectionId)
{
    std::optional<CleanupPlan> plan = planFor(sectionId, currentLocations());
    if (plan)
        plan->kept = keptPaths();
    return plan;
}

} // namespace orvane
