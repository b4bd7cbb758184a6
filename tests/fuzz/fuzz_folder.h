#pragma once

// Shared by the fuzz targets: a data folder that lives for the whole fuzzing
// run, filled with the three files of each input, and a ledger that runs
// the start-up load and a few ticks on it. Every input must either load or
// fail with an HourwiseError (a file or conversion message); anything else
// (a crash, a sanitizer report, another exception) is a fault.

#include "hourwise_error.h"
#include "ledger.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace fuzz {

// The day the fuzzed ledger lives on: 8 December 2026, key 2461382.5.
inline QDateTime Now()
{
    return QDateTime(QDate(2026, 12, 8), QTime(10, 0));
}

inline const QString &Folder()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    static const QString path = dir.path();
    return path;
}

inline void WriteFile(const QString &name, const QByteArray &bytes)
{
    QFile file(QDir(Folder()).filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

inline QByteArray Bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A ledger with either decimal separator, as the user's locale may have.
inline LocaleValues Locale(bool comma)
{
    LocaleValues locale;
    if (comma) {
        locale.decimalSeparator = QLatin1Char(',');
        locale.thousandsSeparator = QLatin1Char('.');
    }
    return locale;
}

// Start-up load, then a selection, two ticks (the second on the next day)
// and a save: the operations that read and rewrite all three files.
inline void LoadAndRun(const LocaleValues &locale)
{
    QDateTime now = Now();
    Ledger ledger(Folder(), [&now] { return now; }, locale);
    try {
        ledger.StartupLoad();
        if (ledger.state().ItemCount > 0)
            ledger.SelectItem(ledger.state().ItemCount - 1);
        ledger.MinuteTick();
        now = now.addDays(1);
        ledger.MinuteTick();
        ledger.SaveAll();
    } catch (const HourwiseError &) {
        // A message for the user: an accepted outcome for bad input.
    }
}

} // namespace fuzz
