#pragma once

#include "history_range.h"
#include "text_convert.h"

#include <QDate>
#include <QMap>
#include <QStringList>

#include <optional>

struct LedgerState;

// The switch log, help.txc: pairs of lines, a day key and that day's count.
//
// A day may stand in the log more than once (a log put together by hand, a
// clock set back). Every view and the export then take the same entry: the
// day's last one up to today's count line. Today's entry is the one Hourwise
// counts into; lines after its count are read by none of them.

// The log up to today's count line, as the ledger holds it: after a save,
// the file's first lines.
QStringList SwitchLinesThroughToday(const LedgerState &state);

struct SwitchEntries {
    // Each day's last key line. Every line is looked at for a key, count
    // lines too (a count, a whole number, is never the key of a midnight).
    QMap<QDate, qsizetype> lastKeyLine;
    // Lines that are neither a key nor the line after one, blank lines and
    // the seed line aside.
    QList<qsizetype> strayLines;
};
SwitchEntries FindSwitchEntries(const QStringList &lines, const LocaleValues &locale);

struct SwitchCounts {
    QMap<QDate, qint32> byDay; // days whose entry reads as a whole number
    QStringList leftOut;       // the lines that cannot be read, as LeftOutLine names them
};

// Each day's count from its entry that counts. An entry whose count is
// missing or no whole number gives the day no count and is left out. With
// a range, only its days are read and only their lines named.
SwitchCounts ReadSwitchCounts(const QStringList &lines, const LocaleValues &locale,
                              const std::optional<DayRange> &within = std::nullopt);
