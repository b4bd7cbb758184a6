#include "history_export.h"

#include "day_key.h"
#include "ledger.h"
#include "line_file.h"
#include "text_convert.h"

#include <QMap>
#include <QVector>

#include <optional>

namespace {

struct ItemMinutes {
    QString name;
    QString minutes;
};

struct DayRows {
    QVector<ItemMinutes> items;
    std::optional<QString> switches;
};

// The date a day key names, whichever decimal separator wrote it; an invalid
// date for anything else (the seed "0", a damaged line).
QDate dateOfKey(const QString &key)
{
    double julian = 0;
    return TryStrToDayKey(key, LocaleValues(), &julian) ? DateOfJulian(julian) : QDate();
}

// A stored number in plain decimal ("$1F" reads 31); text that is no number stays as it is.
QString numberText(const QString &stored)
{
    bool ok = false;
    const qint32 value = TryStrToInt(stored, &ok);
    return ok ? IntToStr(value) : ReadableText(stored);
}

QString csvField(const QString &text)
{
    static const QString kNeedsQuotes = QStringLiteral(",\"\r\n");
    for (QChar c : kNeedsQuotes) {
        if (text.contains(c)) {
            QString quoted = text;
            quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            return QLatin1Char('"') + quoted + QLatin1Char('"');
        }
    }
    return text;
}

QString csvRow(const QDate &date, const QString &item, const QString &minutes, const QString &switches)
{
    return date.toString(Qt::ISODate) + QLatin1Char(',') + csvField(item) + QLatin1Char(',') + minutes
        + QLatin1Char(',') + switches + QStringLiteral("\r\n");
}

// Days by date. History lines are "key:name:minutes:". The switch log holds
// pairs of key and count; as at start-up, every line is looked at for a key
// (a count is far too small to read as a day) and a day's first entry counts.
QMap<QDate, DayRows> collectDays(const QStringList &historyLines, const QStringList &switchLines)
{
    QMap<QDate, DayRows> days;
    for (const QString &line : historyLines) {
        const QString name = line.section(QLatin1Char(':'), 1, 1);
        const QDate date = dateOfKey(line.section(QLatin1Char(':'), 0, 0));
        if (date.isValid() && !name.isEmpty())
            days[date].items.append({name, line.section(QLatin1Char(':'), 2, 2)});
    }
    for (int i = 0; i + 1 < switchLines.size(); ++i) {
        const QDate date = dateOfKey(switchLines.at(i));
        if (!date.isValid())
            continue;
        if (!days[date].switches)
            days[date].switches = switchLines.at(i + 1);
        ++i; // the count line
    }
    return days;
}

} // namespace

QByteArray HistoryCsv(const QStringList &historyLines, const QStringList &switchLines)
{
    QString csv = QStringLiteral("date,item,minutes,switches\r\n");
    const QMap<QDate, DayRows> days = collectDays(historyLines, switchLines);
    for (auto day = days.cbegin(); day != days.cend(); ++day) {
        for (const ItemMinutes &item : day->items)
            csv += csvRow(day.key(), ReadableText(item.name), numberText(item.minutes), QString());
        if (day->switches)
            csv += csvRow(day.key(), QString(), QString(), numberText(*day->switches));
    }
    return csv.toUtf8();
}

void ExportHistory(Ledger &ledger, const QString &csvPath)
{
    // The files, not the memory, are the record: the save makes them current.
    ledger.SaveAll();
    const QStringList history = ReadLineFile(ledger.filePath(Ledger::HistoryFileName));
    const QStringList switches = ReadLineFile(ledger.filePath(Ledger::SwitchFileName));
    WriteEncodedFile(csvPath, HistoryCsv(history, switches));
    SyncFolderOf(csvPath); // the rename survives a power cut
}
