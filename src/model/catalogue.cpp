#include "catalogue.h"

#include "localization_manager.h"
#include "paths.h"

namespace orvane {

namespace {

FilePath inLibrary(const char* relative)
{
    return joinPath(homeDir(), QByteArray("Library/") + relative);
}

FilePath inHome(const char* relative)
{
    return joinPath(homeDir(), QByteArray(relative));
}

CleanupSource folder(const QString& name, const char* icon, FilePath path, bool autoSelect)
{
    return {name, QString::fromLatin1(icon), FolderSource{std::move(path)}, autoSelect};
}

QStringList highlights(const char* plan)
{
    const QString prefix = QStringLiteral("plan.%1.h").arg(QLatin1String(plan));
    return {t(prefix + u'1'), t(prefix + u'2'), t(prefix + u'3')};
}

CleanupPlan makePlan(const char* id, QList<CleanupSource> sources, RemovalStyle removal)
{
    const QString prefix = QStringLiteral("plan.%1.").arg(QLatin1String(id));
    return {t(prefix + QStringLiteral("title")), t(prefix + QStringLiteral("subtitle")), std::move(sources), removal,
            highlights(id)};
}

// A build folder name that reads the same in every language.
const QString derivedDataName = QStringLiteral("Xcode DerivedData");

SidebarSection section(const char* id, const char* icon)
{
    const QString key = QStringLiteral("nav.") + QLatin1String(id);
    return {QString::fromLatin1(id), t(key), QString::fromLatin1(icon)};
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

CleanupPlan smartPlan()
{
    return makePlan("smart",
                    {
                        folder(derivedDataName, "hammer", inLibrary("Developer/Xcode/DerivedData"), true),
                        folder(t(QStringLiteral("src.caches")), "shippingbox", inLibrary("Caches"), true),
                        folder(t(QStringLiteral("src.downloads")), "arrow.down.circle", inHome("Downloads"), false),
                        folder(t(QStringLiteral("src.logs")), "doc.text", inLibrary("Logs"), true),
                        folder(t(QStringLiteral("src.trash")), "trash", inHome(".Trash"), true),
                    },
                    RemovalStyle::permanent);
}

CleanupPlan cleanupPlan()
{
    return makePlan(
        "cleanup",
        {
            folder(derivedDataName, "hammer", inLibrary("Developer/Xcode/DerivedData"), true),
            folder(t(QStringLiteral("src.userCaches")), "shippingbox", inLibrary("Caches"), true),
            folder(t(QStringLiteral("src.logs")), "doc.text", inLibrary("Logs"), true),
            folder(t(QStringLiteral("src.savedAppState")), "macwindow", inLibrary("Saved Application State"), false),
            folder(t(QStringLiteral("src.trash")), "trash", inHome(".Trash"), true),
            {t(QStringLiteral("src.bigFiles")), QStringLiteral("doc.fill"), BigFilesSource{homeDir(), bigFileThreshold},
             false},
        },
        RemovalStyle::permanent);
}

CleanupPlan appsPlan()
{
    return makePlan("apps",
                    {{t(QStringLiteral("src.installedApps")), QStringLiteral("square.grid.2x2"),
                      InstalledAppsSource{}, false}},
                    RemovalStyle::trash);
}

CleanupPlan protectPlan()
{
    return makePlan(
        "protect",
        {
            folder(t(QStringLiteral("src.recentFiles")), "clock.arrow.circlepath",
                   inLibrary("Application Support/com.apple.sharedfilelist"), true),
            folder(t(QStringLiteral("src.safariTraces")), "safari", inLibrary("Caches/com.apple.Safari"), true),
            folder(t(QStringLiteral("src.chromeTraces")), "globe", inLibrary("Caches/Google/Chrome"), true),
            folder(t(QStringLiteral("src.firefoxTraces")), "flame", inLibrary("Caches/Firefox"), true),
            folder(t(QStringLiteral("src.edgeTraces")), "globe", inLibrary("Caches/Microsoft Edge"), true),
            folder(t(QStringLiteral("src.savedWindows")), "macwindow", inLibrary("Saved Application State"), false),
        },
        RemovalStyle::permanent);
}

CleanupPlan duplicatesPlan()
{
    const FilePaths roots{inHome("Downloads"), inHome("Documents"), inHome("Desktop"), inHome("Pictures")};
    return makePlan("dup",
                    {{t(QStringLiteral("src.duplicates")), QStringLiteral("doc.on.doc"),
                      DuplicatesSource{roots, duplicateThreshold}, true}},
                    RemovalStyle::trash);
}

std::optional<CleanupPlan> planFor(const QString& sectionId)
{
    if (sectionId == u"smart")
        return smartPlan();
    if (sectionId == u"cleanup")
        return cleanupPlan();
    if (sectionId == u"apps")
        return appsPlan();
    if (sectionId == u"protect")
        return protectPlan();
    if (sectionId == u"dup")
        return duplicatesPlan();
    return std::nullopt;
}

} // namespace orvane
