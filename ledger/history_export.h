#pragma once

#include "history_range.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

class Ledger;

// The whole history as CSV for spreadsheets (RFC 4180: UTF-8, comma
// separated, CR LF line ends, fields quoted where they hold a comma, a quote
// or a line break). The header is "date,item,minutes,switches"; each day
// gives one row per item of its history block (switches empty), then one row
// with its switch count (item and minutes empty). Dates are ISO (yyyy-MM-dd),
// days in ascending order. Undecodable bytes of a name are written as their
// Latin-1 characters. Lines that name no valid day (the seed line "0:") are
// left out; a count or minutes field that is not a number is written as it
// stands.
// With a range, only the days within it.
QByteArray HistoryCsv(const QStringList &historyLines, const QStringList &switchLines,
                      const std::optional<DayRange> &range = std::nullopt);

// Saves the ledger (SaveAll), reads its history and switch log back from
// disk and writes them as CSV to csvPath, replacing the file atomically.
// Throws HourwiseError: "Cannot create file "<path>". <reason>" when the CSV
// cannot be written, or the error of the save or of reading the files.
void ExportHistory(Ledger &ledger, const QString &csvPath, const std::optional<DayRange> &range = std::nullopt);
