#include "day_key.h"

#include <cmath>

qint64 JulianDayNumber(int year, int month, int day)
{
    const qint64 y = year, m = month, d = day;
    const qint64 a = (m - 14) / 12;
    return (1461 * (y + 4800 + a)) / 4 + (367 * (m - 2 - 12 * a)) / 12
        - (3 * ((y + 4900 + a) / 100)) / 4 + d - 32075;
}

double JulianAtMidnight(QDate date)
{
    return double(JulianDayNumber(date.year(), date.month(), date.day())) - 0.5;
}

QDate DateOfJulian(double julian)
{
    // 1721426 is 1 January of year 1, 5373484 is 31 December 9999.
    if (!std::isfinite(julian) || julian < 1721425.0 || julian > 5373484.0)
        return {};
    const qint64 jdn = qint64(std::floor(julian + 0.5));
    qint64 l = jdn + 68569;
    const qint64 n = 4 * l / 146097;
    l = l - (146097 * n + 3) / 4;
    const qint64 i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    const qint64 j = 80 * l / 2447;
    const qint64 day = l - 2447 * j / 80;
    l = j / 11;
    const qint64 month = j + 2 - 12 * l;
    const qint64 year = 100 * (n - 49) + i + l;
    return QDate(int(year), int(month), int(day));
}

bool IsMidnightJulian(double value)
{
    return std::isfinite(value) && value - std::floor(value) == 0.5;
}
