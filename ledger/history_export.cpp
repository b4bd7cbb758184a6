#include "history_export.h"

#include "day_key.h"
#include "ledger.h"
#include "left_out.h"
#include "line_file.h"
#include "other_computers.h"
#include "switch_log.h"
#include "text_convert.h"

#include <QDir>
#include <QMap>
#include <QStandardPaths>
#include <QVector>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

struct ItemMinutes {
    QString name;
    qint32 minutes = 0;
};

struct DayRows {
    QVector<ItemMinutes> items;
    std::optional<qint32> switches;
};

// The date a day key names, whichever decimal separator wrote it; an invalid
// date for anything else (the seed "0", a damaged line).
QDate dateOfKey(const QString &key)
{
    double julian = 0;
    return TryStrToDayKey(key, LocaleValues(), &julian) ? DateOfJulian(julian) : QDate();
}

std::optional<qint32> numberOf(const QString &stored)
{
    bool ok = false;
    const qint32 value = TryStrToInt(stored, &ok);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

// Whether a spreadsheet could take the text for a formula: it begins with
// one of the characters that OWASP's advice on CSV injection lists.
bool startsLikeAFormula(const QString &text)
{
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && kFormulaStarts.contains(text.front());
}

QString quoted(QString text)
{
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A name as a CSV field: a formula start is defused by a "'" before it, which
// spreadsheets show as text, and the field is then quoted as OWASP advises.
QString nameField(const QString &name)
{
    if (startsLikeAFormula(name))
        return quoted(QLatin1Char('\'') + name);
    static const QString kNeedsQuotes = QStringLiteral(",\"\r\n");
    for (QChar c : kNeedsQuotes) {
        if (name.contains(c))
            return quoted(name);
    }
    return name;
}

QString csvRow(const QDate &date, const QString &item, const QString &minutes, const QString &switches)
{
    return date.toString(Qt::ISODate) + QLatin1Char(',') + item + QLatin1Char(',') + minutes + QLatin1Char(',')
        + switches + QStringLiteral("\r\n");
}

// Gathers the days of both files and the lines that cannot be read.
class DayCollector {
public:
    QMap<QDate, DayRows> days;
    QStringList leftOut;

    // History lines are "key:name:minutes:". Another computer's (computer
    // not empty) add to the day's item of the same name.
    void addHistory(const QStringList &lines, const QString &computer = {})
    {
        for (int i = 0; i < lines.size(); ++i) {
            const QString &line = lines.at(i);
            if (IsNoLossLine(line))
                continue;
            const QDate date = dateOfKey(line.section(QLatin1Char(':'), 0, 0));
            const QString name = line.section(QLatin1Char(':'), 1, 1);
            const std::optional<qint32> minutes = numberOf(line.section(QLatin1Char(':'), 2, 2));
            if (date.isValid())
                days[date]; // the day has a block, and so a switch row
            if (!date.isValid() || name.isEmpty() || !minutes)
                leftOut << LeftOutLine(fileOf(computer, Ledger::HistoryFileName), i, line);
            else
                addItem(days[date].items, ReadableText(name), *minutes, !computer.isEmpty());
        }
    }

    // Each day's count as every view shows it (ReadSwitchCounts), summed
    // over the computers.
    void addSwitches(const QStringList &lines, const QString &computer = {})
    {
        const SwitchCounts counts = ReadSwitchCounts(lines, LocaleValues());
        for (auto count = counts.byDay.cbegin(); count != counts.byDay.cend(); ++count) {
            std::optional<qint32> &switches = days[count.key()].switches;
            switches = clamped(qint64(switches.value_or(0)) + count.value());
        }
        for (const QString &line : counts.leftOut)
            leftOut << (computer.isEmpty() ? line : computer + QLatin1Char('/') + line);
    }

private:
    static QString fileOf(const QString &computer, const QString &fileName)
    {
        return computer.isEmpty() ? fileName : computer + QLatin1Char('/') + fileName;
    }

    static qint32 clamped(qint64 value)
    {
        return qint32(std::clamp<qint64>(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
    }

    // This computer's lines stay rows of their own, as they stand in its
    // history; another's minutes join the row of the same name.
    static void addItem(QVector<ItemMinutes> &items, const QString &name, qint32 minutes, bool byName)
    {
        if (byName) {
            for (ItemMinutes &item : items) {
                if (item.name == name) {
                    item.minutes = clamped(qint64(item.minutes) + minutes);
                    return;
                }
            }
        }
        items.append({name, minutes});
    }
};

} // namespace

CsvExport HistoryCsv(const QStringList &historyLines, const QStringList &switchLines,
                     const std::optional<DayRange> &range, const QList<OtherHistory> &others)
{
    DayCollector collector;
    collector.addHistory(historyLines);
    collector.addSwitches(switchLines);
    for (const OtherHistory &other : others) {
        collector.addHistory(other.historyLines, other.computer);
        collector.addSwitches(other.switchLines, other.computer);
    }
    QString csv = QStringLiteral("date,item,minutes,switches\r\n");
    for (auto day = collector.days.cbegin(); day != collector.days.cend(); ++day) {
        if (range && !range->contains(day.key()))
            continue;
        for (const ItemMinutes &item : day->items)
            csv += csvRow(day.key(), nameField(item.name), IntToStr(item.minutes), QString());
        csv += csvRow(day.key(), QString(), QString(), IntToStr(day->switches.value_or(0)));
    }
    return {csv.toUtf8(), collector.leftOut};
}

QString ProposedExportPath()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QDir folder(QDir(documents).exists() ? documents : QDir::homePath());
    return folder.filePath(QStringLiteral("history.csv"));
}

QString ExportHistory(Ledger &ledger, const QString &csvPath, const std::optional<DayRange> &range,
                      const OtherComputers *others)
{
    // The files, not the memory, are the record: the save makes them current.
    // The switch log as saved is the ledger's, which also knows where
    // today's count line stands, after which no view reads the log.
    ledger.SaveAll();
    const QStringList history = ReadLineFile(ledger.filePath(Ledger::HistoryFileName));
    const CsvExport exported = HistoryCsv(history, SwitchLinesThroughToday(ledger.state()), range,
                                          others ? others->ReadHistories() : QList<OtherHistory>());
    WriteEncodedFile(csvPath, exported.csv);
    SyncFolderOf(csvPath); // the rename survives a power cut
    return LeftOutMessage(QStringLiteral("\"%1\" was written").arg(csvPath), exported.leftOut);
}
