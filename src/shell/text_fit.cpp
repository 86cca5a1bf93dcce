#include "text_fit.h"

#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

int wrappedLines(const QString& text, const QFont& font, qreal width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return lines;
}

} // namespace

qreal TextFit::balancedWidth(const QString& text, const QFont& font, qreal maxWidth) const
{
    if (text.isEmpty() || maxWidth <= 0)
        return std::max<qreal>(maxWidth, 0);
    const int lines = wrappedLines(text, font, maxWidth);
    if (lines <= 1)
        return maxWidth;
    // Narrowest whole width that still takes `lines` lines.
    int low = int(maxWidth / lines), high = int(std::ceil(maxWidth));
    while (low < high) {
        const int mid = (low + high) / 2;
        if (wrappedLines(text, font, mid) <= lines)
            high = mid;
        else
            low = mid + 1;
    }
    // A little room, so the text item's own layout breaks the lines at the same places.
    return std::min<qreal>(maxWidth, high + 2);
}

} // namespace orvane
