#pragma once

#include "locations.h"

#include <optional>

namespace orvane {

inline constexpr qint64 bigFileThreshold = 104857600;  // 100 × 1024 × 1024
inline constexpr qint64 duplicateThreshold = 1048576;  // 1024 × 1024

// Built afresh on every call: titles follow the current language.
QList<SidebarSection> mainSections();   // the six sections of the main list
QList<SidebarSection> bottomSections(); // settings, about

// The plans of one platform's location table. Each plan's notes name the base directories it
// left out (see skippedBaseDirs) among those it draws on.
CleanupPlan smartPlan(const Locations& locations);
CleanupPlan cleanupPlan(const Locations& locations);
CleanupPlan appsPlan(const Locations& locations);
CleanupPlan protectPlan(const Locations& locations);
CleanupPlan duplicatesPlan(const Locations& locations);

// The plan of a cleanup section id, or none for any other id (exact comparison).
std::optional<CleanupPlan> planFor(const QString& sectionId, const Locations& locations);
// The same on the running platform, with the home folder and base directories asked anew.
std::optional<CleanupPlan> planFor(const QString& sectionId);

} // namespace orvane
