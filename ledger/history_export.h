#pragma once

#include "history_range.h"
#include "other_computers.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

class Ledger;

// The whole history as CSV for spreadsheets (RFC 4180: UTF-8, comma
// separated, CR LF line ends, fields quoted where they hold a comma, a quote
// or a line break). The header is "date,item,minutes,switches"; each day
// gives one row per item of its history block (switches empty), then one row
// with its switch count (item and minutes empty): the entry that every view
// takes (ReadSwitchCounts), 0 for a day that has none. Dates are ISO (yyyy-MM-dd), days in ascending order.
// Undecodable bytes of a name are written as their Latin-1 characters; a
// name that a spreadsheet would take for a formula (it begins with "=", "+",
// "-", "@", a tab or a CR) is written quoted with a "'" before it. Minutes
// and counts are always decimal numbers ("$1F" is written 31).
struct CsvExport {
    QByteArray csv;
    // The lines left out, each as "<file>, line <n>: <text>" (LeftOutLine): a
    // history line whose key names no date or whose minutes are no integer,
    // and the switch log's lines that ReadSwitchCounts cannot read. The seed
    // line "0:" and blank lines are no loss and not listed.
    QStringList leftOut;
};

// switchLines: the log as every view reads it (SwitchLinesThroughToday).
// With a range, only the days within it. Other computers' minutes are added
// to the row of the day's first item of the same name (a new row after the
// day's others when there is none), their switches to the day's; their
// lines left out are named with their subfolder.
CsvExport HistoryCsv(const QStringList &historyLines, const QStringList &switchLines,
                     const std::optional<DayRange> &range = std::nullopt, const QList<OtherHistory> &others = {});

// Where the first export proposes to write: history.csv in the user's
// documents folder, or in the home folder when there is no documents folder.
QString ProposedExportPath();

// Saves the ledger (SaveAll), reads its history and switch log back from
// disk, and the other computers' when there are any to count, and writes
// them as CSV to csvPath (with a range, only its days),
// replacing the file atomically. Returns what the user must be told about
// lines that were left out (empty when none were). Throws HourwiseError:
// "Cannot create file "<path>". <reason>" when the CSV cannot be written, or
// the error of the save or of reading the files.
QString ExportHistory(Ledger &ledger, const QString &csvPath, const std::optional<DayRange> &range = std::nullopt,
                      const OtherComputers *others = nullptr);
