// completedata.txc two ways: through the start-up load and SaveAll, and read
// as the date view reads it, line by line: the first field as a day key and
// as a date, the name (second field), the minutes (third field) as an integer.
// The partial readings (the last day's block alone, one day's lines found in
// the bytes) must agree with reading every line.

#include "day_block.h"
#include "day_key.h"
#include "fuzz_folder.h"
#include "line_file.h"

#include <algorithm>
#include <cmath>

namespace {

void ReadLikeTheDateView(const QByteArray &bytes, const LocaleValues &locale)
{
    for (const QString &line : DecodeLines(bytes)) {
        try {
            const double day = StrToDayKey(line.section(QLatin1Char(':'), 0, 0), locale);
            const QDate date = DateOfJulian(day);
            if (date.isValid() && JulianAtMidnight(date) != day && day == std::floor(day) + 0.5)
                std::abort(); // a key of the form n.5 must come back from its date
            (void)line.section(QLatin1Char(':'), 1, 1);
            (void)StrToInt(line.section(QLatin1Char(':'), 2, 2));
        } catch (const HourwiseError &) {
        }
    }
}

bool isBlank(const QString &line)
{
    return std::all_of(line.begin(), line.end(),
                       [](QChar c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; });
}

void ReadPartly(const QByteArray &bytes, const LocaleValues &locale)
{
    QStringList lines = DecodeLines(bytes);
    while (!lines.isEmpty() && isBlank(lines.last())) // blank lines at the end are in no block
        lines.removeLast();
    const HistoryParts parts = SplitAtLastDayBlock(bytes, locale);
    const QByteArray earlier = bytes.first(parts.earlierSize);
    const bool earlierAsSaved = EndsEveryLineWithCrLf(earlier);
    const QByteArray kept = earlierAsSaved ? earlier : EncodeLines(DecodeLines(earlier));
    if (kept + EncodeLines(parts.lastBlock) != EncodeLines(lines)
        || parts.lastBlock.size() != lines.size() - LastDayBlockStart(lines, locale)
        || earlier + parts.lastBlockBytes != bytes || (earlierAsSaved && kept != EncodeLines(DecodeLines(earlier))))
        std::abort();
    double day = 0;
    if (lines.isEmpty() || !TryStrToDayKey(lines.first().section(QLatin1Char(':'), 0, 0), locale, &day))
        return;
    const DayLines found = FindDayLines(bytes, day, locale);
    qsizetype last = -1, count = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (IsLineOfDay(lines.at(i), day, locale)) {
            ++count;
            last = i;
        }
    }
    if (found.count != count || found.block != lines.mid(last - count + 1, count))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray history = fuzz::Bytes(data, size);
    fuzz::WriteFile(Ledger::DataFileName, "2461382.5:Writing:5:\r\n2461382.5:Mail:1:\r\nT:Writing:50:\r\nT:Mail:9:\r\n");
    fuzz::WriteFile(Ledger::HistoryFileName, history);
    fuzz::WriteFile(Ledger::SwitchFileName, "2461382.5\r\n3\r\n");
    fuzz::LoadAndRun(fuzz::Locale(false));
    ReadLikeTheDateView(history, fuzz::Locale(false));
    ReadLikeTheDateView(history, fuzz::Locale(true));
    ReadPartly(history, fuzz::Locale(false));
    ReadPartly(history, fuzz::Locale(true));
    return 0;
}
