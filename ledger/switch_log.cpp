#include "switch_log.h"

#include "day_key.h"
#include "left_out.h"
#include "ledger.h"
#include "line_file.h"

#include <algorithm>

QStringList SwitchLinesThroughToday(const LedgerState &state)
{
    return DecodeLines(state.SwitchEarlier) + state.SwitchLines.mid(0, state.SwitchLineIndex + 1);
}

namespace {

// The day a whole line names as a key; an invalid date for any other line.
QDate dayOfKeyLine(const QString &line, const LocaleValues &locale)
{
    double day = 0;
    return TryStrToDayKey(line, locale, &day) && IsMidnightJulian(day) ? DateOfJulian(day) : QDate();
}

} // namespace

SwitchEntries FindSwitchEntries(const QStringList &lines, const LocaleValues &locale)
{
    SwitchEntries entries;
    bool afterKey = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QDate day = dayOfKeyLine(lines.at(i), locale);
        if (day.isValid())
            entries.lastKeyLine.insert(day, i);
        else if (!afterKey && !IsNoLossLine(lines.at(i)))
            entries.strayLines << i;
        afterKey = day.isValid();
    }
    return entries;
}

SwitchCounts ReadSwitchCounts(const QStringList &lines, const LocaleValues &locale,
                              const std::optional<DayRange> &within)
{
    const SwitchEntries entries = FindSwitchEntries(lines, locale);
    SwitchCounts counts;
    QList<qsizetype> unreadable = within ? QList<qsizetype>() : entries.strayLines;
    for (auto entry = entries.lastKeyLine.cbegin(); entry != entries.lastKeyLine.cend(); ++entry) {
        if (within && !within->contains(entry.key()))
            continue;
        // A key followed by another key, or ending the log, has no count line.
        const qsizetype countLine = entry.value() + 1;
        const bool hasCountLine = countLine < lines.size() && !dayOfKeyLine(lines.at(countLine), locale).isValid();
        bool ok = false;
        const qint32 count = hasCountLine ? TryStrToInt(lines.at(countLine), &ok) : 0;
        if (ok)
            counts.byDay.insert(entry.key(), count);
        else
            unreadable << (hasCountLine ? countLine : entry.value());
    }
    std::sort(unreadable.begin(), unreadable.end());
    for (qsizetype line : unreadable)
        counts.leftOut << LeftOutLine(Ledger::SwitchFileName, line, lines.at(line));
    return counts;
}
