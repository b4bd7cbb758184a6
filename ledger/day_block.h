#pragma once

#include "line_file.h"
#include "text_convert.h"

#include <QStringList>

#include <optional>

// Day blocks of the history found by their day key. Keys are compared by
// value, so that a block written under a locale with another decimal
// separator ("2461382,5" against "2461382.5") is still the same day's.

// The text before the first colon of a line, or the whole line when it has none.
QString FirstField(const QString &line);

// The value of a key written as keys are, digits with one separator between
// them (".", "," or the UTF-8 bytes of kArabicDecimalSeparator), read
// straight from the bytes; nothing for any other text, which the full
// conversion reads.
std::optional<double> PlainKeyValue(const char *begin, const char *end);

// Whether the line's first field is the day key of day.
bool IsLineOfDay(const QString &line, double day, const LocaleValues &locale);

// Where the run of lines of day that ends the list begins: the index of its
// first line, or lines.size() when the last line belongs to another day.
// Scans from the end and stops at the first line of another day.
qsizetype TrailingDayBlockStart(const QStringList &lines, double day, const LocaleValues &locale);

// Where the block of the last line's day begins: the run of lines at the end
// whose key is, by value, the last line's. Only the last line when its key
// is no number; 0 for no lines.
qsizetype LastDayBlockStart(const QStringList &lines, const LocaleValues &locale);

// A history file split before the block of its last day (LastDayBlockStart):
// where the bytes before it end, which stay as they are, and the block's
// lines decoded.
struct HistoryParts {
    qsizetype earlierSize = 0; // the bytes before the last block
    QStringList lastBlock;
    QByteArray lastBlockBytes; // the last block as it stands in the file
};

// Decodes only the last day's block, reading the lines from the end. The
// bytes before it are neither read nor copied. Blank lines at the end are
// no block: they stay in lastBlockBytes but not in lastBlock.
HistoryParts SplitAtLastDayBlock(const QByteArray &bytes, const LocaleValues &locale);

// The end of a history from the last block of a day on, read from the end
// of the bytes: that block (empty when there is none) and every line after
// it (lines of later days, and lines without a key).
struct HistoryFromDay {
    QStringList dayBlock;
    QStringList later;
};
HistoryFromDay HistoryFromDayOn(const QByteArray &bytes, double day, const LocaleValues &locale);

// Where the first line of the bytes that is, as a whole, the key of day by
// value starts (a switch log's entry for the day), or -1 when none is. Only
// lines that may be a key are decoded: when day is a midnight's (it ends in
// .5), a line of digits alone, a count, never is.
qsizetype FirstLineOfDayKey(const QByteArray &bytes, double day, const LocaleValues &locale);

// The lines of one day in a history file's bytes, as the date view charts it.
struct DayLines {
    int count = 0;     // lines anywhere in the history whose key is the day's by value
    QStringList block; // the count lines that end with the last of them, decoded
};

// Scans the bytes and decodes only the block, so that a history of decades
// answers quickly: a line's key is read only where it differs from the
// line before, which in a history is once per day.
DayLines FindDayLines(const QByteArray &history, double day, const LocaleValues &locale);

// Where a history's bytes end once a save that a kill or a power cut
// stopped part-way is taken off: a last line without its line end (or
// with only its CR) that
// belongs to the day of dayKey (the key, or the start of it), as such a
// save leaves it, with any NUL bytes a file system left behind it. The
// whole size when the history ends otherwise. data.txc, written whole
// before the history, holds that day's lines, which the start-up load
// then writes in their place.
qsizetype EndBeforeCutSave(const QByteArray &history, const QString &dayKey);

// Two versions of a file of day-keyed lines: a history (a day's lines carry
// its key in their first field) or a switch log (a day's key stands alone
// on a line, its count after it). Days are keyed, so every day that either
// version holds can be kept, and nothing of a day is invented.
enum class DayKeyedFile { History, SwitchLog };

struct DayUnion {
    QByteArray bytes;          // see UnionOfDays
    QVector<double> addedDays; // the days taken from ours, in their order
};

// Theirs, with each day that only ours holds inserted before the first of
// their days that is later (so in date order where theirs is), and every
// day of leftOut left out of both (the caller writes its own). A day's
// lines keep their bytes; lines without a day's key stay with the day
// before them, and ours' are dropped with their day. Every line of the
// result ends with a line end.
DayUnion UnionOfDays(DayKeyedFile kind, const QByteArray &theirs, const QByteArray &ours, double leftOut,
                     const LocaleValues &locale);
