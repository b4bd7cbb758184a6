#pragma once

#include "hourwise_error.h"
#include "text_convert.h"

#include <QByteArray>
#include <QDate>
#include <QStringList>
#include <QVector>

// Corrections of one day's minutes: the day's lines, the changes made to
// them and the limits every change keeps.

// One line of a day's block, by its item's name. Two items may share a
// name: occurrence (from 0, in block order) tells their lines apart.
// Names, unlike positions, stay when an item is deleted.
struct DayLineRef {
    QString name;
    int occurrence = 0;
    bool operator==(const DayLineRef &other) const
    {
        return name == other.name && occurrence == other.occurrence;
    }
};

// The reference of line index of names, and back: -1 when names has no such line.
DayLineRef RefOfLine(const QStringList &names, int index);
int LineOfRef(const QStringList &names, const DayLineRef &ref);

// Minutes added to one line of a day; taken away when negative.
struct MinuteChange {
    DayLineRef line;
    qint64 minutes = 0;
};

// One day's minutes as a correction shows them.
struct DayMinutes {
    QDate date;
    bool isToday = false;    // the item table's, not the history's
    QStringList names;       // the day's lines in block order
    QVector<qint32> minutes; // by names
    QString switchCount;     // the day's count as the switch log holds it; empty without an entry
    bool hasData() const { return !names.isEmpty(); }
};

// The most minutes a day's items can sum to.
inline constexpr qint64 kMinutesPerDay = 1440;

// A change refused by the limits; nothing has been changed.
class RefusedChange : public HourwiseError {
public:
    using HourwiseError::HourwiseError;
};

// Refused since a line the change names is not among the day's (its item
// deleted since).
class LineGone : public RefusedChange {
public:
    using RefusedChange::RefusedChange;
};

// Why the day's minutes cannot become after (by line), or an empty text.
// A line may not go below 0 nor the day's sum above kMinutesPerDay, nor a
// count leave the 32-bit range; a change that only brings an unsound day
// closer to sound (a line already below 0 raised, an overfull day
// lowered) is allowed.
QString DayMinutesProblem(const DayMinutes &day, const QVector<qint64> &after, const LocaleValues &locale);

// The message for a count that would leave the 32-bit range.
QString OutOfRangeMessage(const QString &name);

// Where the last run of lines of day stands in a history's bytes: from the
// start of its first line to the start of the line after its last. Empty
// (start == end) when the history holds no line of the day.
struct ByteSpan {
    qsizetype start = 0;
    qsizetype end = 0;
};
ByteSpan LastRunOfDay(const QByteArray &history, double day, const LocaleValues &locale);

// The history line with its minutes (third field) replaced; every other
// character stays.
QString WithMinutes(const QString &line, qint32 minutes);
