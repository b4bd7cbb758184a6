#include "day_block.h"

QString FirstField(const QString &line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon < 0 ? line : line.left(colon);
}

bool IsLineOfDay(const QString &line, double day, const LocaleValues &locale)
{
    return IsDayKeyOf(FirstField(line), day, locale);
}

qsizetype TrailingDayBlockStart(const QStringList &lines, double day, const LocaleValues &locale)
{
    qsizetype start = lines.size();
    while (start > 0 && IsLineOfDay(lines.at(start - 1), day, locale))
        --start;
    return start;
}
