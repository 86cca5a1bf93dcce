#pragma once

#include "locations.h"

#include <optional>

namespace orvane {

inline constexpr qint64 bigFileThreshold = 104857600;  // 100 × 1024 × 1024
inline constexpr qint64 duplicateThreshold = 1048576;  // 1024 × 1024

// Built afresh on every call: titles follow the current language.
QList<SidebarSection> mainSections();   // the six sections of the main list
QList<SidebarSection> bottomSections(); // settings, about

// The plan of a cleanup section id on one platform's location table, or none for any other id
// (exact comparison). Its notes name the base directories it left out (see skippedBaseDirs)
// among those it draws on.
std::optional<CleanupPlan> planFor(const QString& sectionId, const Locations& locations);
// The same on the running platform, with the home folder and base directories asked anew.
std::optional<CleanupPlan> planFor(const QString& sectionId);

} // namespace orvane
