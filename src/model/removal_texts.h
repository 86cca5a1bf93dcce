#pragma once

// The sentences about a removal, in the current language, for the screens and the CLI alike.

#include "removal_result.h"

namespace orvane {

// The reason ("on another disk", "no permission", …).
QString removalReasonText(RemovalReason reason);

// What a removal did: "You freed …", "You moved … to the Trash", or both when items already in
// a Trash went for good during a move to the Trash.
QString removalDoneText(RemovalStyle style, const QList<RemovalResult>& results);

// One line about a location that stayed wholly or in part, named `name`; empty for one that went.
QString removalStayedLine(const QString& name, const RemovalResult& result);

} // namespace orvane
