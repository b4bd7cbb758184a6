#pragma once

#include "text_convert.h"

#include <QStringList>

// Day blocks of the history found by their day key. Keys are compared by
// value, so that a block written under a locale with another decimal
// separator ("2461382,5" against "2461382.5") is still the same day's.

// The text before the first colon of a line, or the whole line when it has none.
QString FirstField(const QString &line);

// Whether the line's first field is the day key of day.
bool IsLineOfDay(const QString &line, double day, const LocaleValues &locale);

// Where the run of lines of day that ends the list begins: the index of its
// first line, or lines.size() when the last line belongs to another day.
// Scans from the end and stops at the first line of another day.
qsizetype TrailingDayBlockStart(const QStringList &lines, double day, const LocaleValues &locale);
