#include "byte_format.h"
#include "localization_manager.h"

#include <QLocale>

namespace orvane {

namespace {

struct Unit {
    const char* name;
    qint64 size;
    int fractionDigits;
};

constexpr Unit units[] = {
    {"KB", 1000LL, 0},
    {"MB", 1000LL * 1000, 1},
    {"GB", 1000LL * 1000 * 1000, 2},
    {"TB", 1000LL * 1000 * 1000 * 1000, 2},
    {"PB", 1000LL * 1000 * 1000 * 1000 * 1000, 2},
};

constexpr qint64 pow10(int n)
{
    qint64 v = 1;
    while (n-- > 0)
        v *= 10;
    return v;
}

// `bytes` / unit.size rounded half up to the unit's digits, as an integer count of its last digit.
__int128 scaledValue(quint64 bytes, const Unit& unit)
{
    const __int128 numerator = __int128(bytes) * pow10(unit.fractionDigits);
    return (numerator * 2 + unit.size) / (__int128(unit.size) * 2);
}

QString render(__int128 scaled, int digits, QChar separator)
{
    const qint64 factor = pow10(digits);
    const qint64 whole = qint64(scaled / factor);
    qint64 fraction = qint64(scaled % factor);
    QString text = QString::number(whole);
    if (digits > 0 && fraction != 0) {
        QString frac = QString::number(fraction).rightJustified(digits, u'0');
        while (frac.endsWith(u'0'))
            frac.chop(1);
        text += separator + frac;
    }
    return text;
}

} // namespace

QString formatBytes(qint64 bytes, AppLanguage language)
{
    const bool english = language == AppLanguage::en;
    if (bytes == 0)
        return english ? QStringLiteral("Zero KB") : QStringLiteral("Cero KB");

    const QString sign = bytes < 0 ? QStringLiteral("-") : QString();
    // Magnitude as unsigned so that the most negative value still works.
    const quint64 magnitude = bytes < 0 ? quint64(0) - quint64(bytes) : quint64(bytes);
    if (magnitude == 1)
        return sign + QStringLiteral("1 byte");
    if (magnitude < 1000)
        return sign + QString::number(magnitude) + QStringLiteral(" bytes");

    std::size_t index = 0;
    while (index + 1 < std::size(units) && magnitude >= quint64(units[index + 1].size))
        ++index;
    __int128 scaled = scaledValue(magnitude, units[index]);
    // A value that rounds up to 1000 of a unit reads better as 1 of the next.
    if (index + 1 < std::size(units) && scaled >= __int128(1000) * pow10(units[index].fractionDigits)) {
        ++index;
        scaled = scaledValue(magnitude, units[index]);
    }
    const Unit& unit = units[index];
    return sign + render(scaled, unit.fractionDigits, english ? u'.' : u',') + u' '
        + QLatin1String(unit.name);
}

QString formatBytes(qint64 bytes)
{
    return formatBytes(bytes, LocalizationManager::shared().language());
}

QString formatCount(qint64 count)
{
    const bool english = LocalizationManager::shared().language() == AppLanguage::en;
    QLocale locale(english ? QLocale::English : QLocale::Spanish, english ? QLocale::UnitedStates : QLocale::Spain);
    return locale.toString(count);
}

QString formatItemCount(qint64 count)
{
    return count == 1 ? t(QStringLiteral("results.element"))
                      : t(QStringLiteral("results.elements"), {formatCount(count)});
}

} // namespace orvane
