#pragma once

#include <QString>
#include <vector>

namespace orvane {

struct StringEntry {
    QString key;
    QString es;
    QString en;
};

// Every translatable text of the application, in table order.
const std::vector<StringEntry>& stringTable();

} // namespace orvane
