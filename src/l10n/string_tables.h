#pragma once

#include <QString>
#include <vector>

namespace orvane {

struct StringEntry {
    QString key;
    QString es;
    QString en;
};

// The application's reference texts, in table order.
const std::vector<StringEntry>& stringTable();

// Texts the reference table lacks (removal outcomes, scan progress, …): same form, new keys.
const std::vector<StringEntry>& addedStringTable();

// The texts that name a Mac or a macOS folder, as a freedesktop build words them: each key is a
// key of stringTable(), and replaces its text when the build is not for macOS.
const std::vector<StringEntry>& freedesktopVariants();

} // namespace orvane
