#include "day_correction.h"

#include "day_block.h"
#include "line_file.h"

#include <limits>
#include <numeric>

DayLineRef RefOfLine(const QStringList &names, int index)
{
    const QString &name = names.at(index);
    return {name, int(std::count(names.begin(), names.begin() + index, name))};
}

int LineOfRef(const QStringList &names, const DayLineRef &ref)
{
    int seen = 0;
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i) == ref.name && seen++ == ref.occurrence)
            return i;
    return -1;
}

QString OutOfRangeMessage(const QString &name)
{
    return QStringLiteral("The minutes of \"%1\" would go beyond the range that the program can store (%2 to %3). "
                          "Nothing has been changed.")
        .arg(ReadableText(name))
        .arg(std::numeric_limits<qint32>::min())
        .arg(std::numeric_limits<qint32>::max());
}

QString DayMinutesProblem(const DayMinutes &day, const QVector<qint64> &after, const LocaleValues &locale)
{
    const QString date = locale.formatShortDate(day.date);
    for (int i = 0; i < day.names.size(); ++i) {
        if (after.at(i) < std::numeric_limits<qint32>::min() || after.at(i) > std::numeric_limits<qint32>::max())
            return OutOfRangeMessage(day.names.at(i));
        if (after.at(i) < 0 && after.at(i) < day.minutes.at(i))
            return QStringLiteral("\"%1\" would have %2 minutes on %3; an item's minutes on a day cannot go below 0. "
                                  "Nothing has been changed.")
                .arg(ReadableText(day.names.at(i)))
                .arg(after.at(i))
                .arg(date);
    }
    const qint64 sumBefore = std::accumulate(day.minutes.begin(), day.minutes.end(), qint64(0));
    const qint64 sumAfter = std::accumulate(after.begin(), after.end(), qint64(0));
    if (sumAfter > kMinutesPerDay && sumAfter > sumBefore)
        return QStringLiteral("The items' minutes on %1 would sum to %2, more than the %3 minutes of a day. "
                              "Nothing has been changed.")
            .arg(date)
            .arg(sumAfter)
            .arg(QString::number(kMinutesPerDay / 1000) + locale.thousandsSeparator
                 + QString::number(kMinutesPerDay % 1000));
    return {};
}

ByteSpan LastRunOfDay(const QByteArray &history, double day, const LocaleValues &locale)
{
    // Read from the end, where the days a correction reaches mostly are.
    const auto lineOfDayBefore = [&](qsizetype next, LineSpan *line) {
        *line = LineBefore(history, next);
        return IsLineOfDay(DecodeLine(history, line->start, line->end), day, locale);
    };
    LineSpan line;
    qsizetype end = history.size();
    while (end > 0 && !lineOfDayBefore(end, &line))
        end = line.start;
    qsizetype start = end;
    while (start > 0 && lineOfDayBefore(start, &line))
        start = line.start;
    return {start, end};
}

QString WithMinutes(const QString &line, qint32 minutes)
{
    QStringList fields = line.split(QLatin1Char(':'));
    while (fields.size() < 3)
        fields << QString();
    fields[2] = IntToStr(minutes);
    return fields.join(QLatin1Char(':'));
}
