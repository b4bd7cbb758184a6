#pragma once

#include "text_convert.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QStringList>
#include <QVector>

// A span of whole days, first and last included.
struct DayRange {
    QDate first;
    QDate last;

    bool contains(QDate date) const { return date >= first && date <= last; }
    qint64 dayCount() const { return first.daysTo(last) + 1; }
    bool operator==(const DayRange &o) const { return first == o.first && last == o.last; }
};

// The range as people read it: "1/12/2026 – 7/12/2026" in the short date
// format, or the one date for a range of one day.
QString RangeText(const DayRange &range, const LocaleValues &locale);

// The quick choices of the range dialog.
enum class QuickRange { ThisWeek, LastWeek, ThisMonth, LastMonth, ThisYear };

// The whole week, month or year that the choice names, seen from today;
// weeks start on firstDayOfWeek.
DayRange QuickRangeOf(QuickRange choice, QDate today, Qt::DayOfWeek firstDayOfWeek);

// One day of a range.
struct RangeDay {
    QDate date;
    qint64 minutes = 0;  // over every item
    qint64 switches = 0; // 0 without an entry in the switch log
    bool hasData = false; // the history holds lines of the day
};

// The history summed over a range of days.
struct HistoryRange {
    DayRange range;
    QStringList names;            // every item with a line in the range, in order of first appearance
    QVector<qint64> itemMinutes;  // by names
    QVector<RangeDay> days;       // one per day of the range, in date order
    qint64 switches = 0;
    QStringList leftOut;          // lines of the range's days that cannot be read, as LeftOutLine names them

    // Whether the range's days hold any line, readable or not: a range of
    // damaged lines alone is charted empty, so that its lines are named.
    bool hasLines() const { return !names.isEmpty() || !leftOut.isEmpty(); }
};

// Sums the history over the range. The history is given as the parts of its
// bytes, in file order, each ending at a line end (the earlier bytes and the
// encoded last block); the switch log as the lines that are read
// (SwitchLinesThroughToday).
//
// Every history line of a day in the range counts, as in the date view, so a
// day written in two runs counts both. A day's switches are those of its
// entry that every view takes (ReadSwitchCounts). Keys match by value, as
// everywhere. Only lines of days in the range are decoded, and of those only
// names not seen before, so a range over decades takes a single scan.
// Minutes or a count of the range's days that is no whole number are left
// out and named in leftOut, as the export names them.
HistoryRange ReadHistoryRange(const DayRange &range, const QList<QByteArray> &historyParts,
                              const QStringList &switchLines, const LocaleValues &locale);
