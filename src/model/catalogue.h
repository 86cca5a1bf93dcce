#pragma once

#include "model_types.h"

#include <optional>

namespace orvane {

inline constexpr qint64 bigFileThreshold = 104857600;  // 100 × 1024 × 1024
inline constexpr qint64 duplicateThreshold = 1048576;  // 1024 × 1024

// Built afresh on every call: titles follow the current language and the home folder is asked anew.
QList<SidebarSection> mainSections();   // the six sections of the main list
QList<SidebarSection> bottomSections(); // settings, about

CleanupPlan smartPlan();
CleanupPlan cleanupPlan();
CleanupPlan appsPlan();
CleanupPlan protectPlan();
CleanupPlan duplicatesPlan();

// The plan of a cleanup section id, or none for any other id (exact comparison).
std::optional<CleanupPlan> planFor(const QString& sectionId);

} // namespace orvane
