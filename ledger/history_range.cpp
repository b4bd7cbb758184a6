#include "history_range.h"

#include "day_block.h"
#include "day_key.h"
#include "ledger.h"
#include "left_out.h"
#include "line_file.h"
#include "switch_log.h"

#include <QHash>

#include <algorithm>
#include <charconv>
#include <optional>

QString RangeText(const DayRange &range, const LocaleValues &locale)
{
    QString text = locale.formatShortDate(range.first);
    if (range.last != range.first)
        text += QStringLiteral(" \u2013 ") + locale.formatShortDate(range.last);
    return text;
}

DayRange QuickRangeOf(QuickRange choice, QDate today, Qt::DayOfWeek firstDayOfWeek)
{
    const QDate weekStart = today.addDays(-((today.dayOfWeek() - int(firstDayOfWeek) + 7) % 7));
    const QDate monthStart(today.year(), today.month(), 1);
    switch (choice) {
    case QuickRange::ThisWeek:
        return {weekStart, weekStart.addDays(6)};
    case QuickRange::LastWeek:
        return {weekStart.addDays(-7), weekStart.addDays(-1)};
    case QuickRange::ThisMonth:
        return {monthStart, monthStart.addMonths(1).addDays(-1)};
    case QuickRange::LastMonth:
        return {monthStart.addMonths(-1), monthStart.addDays(-1)};
    case QuickRange::ThisYear:
        break;
    }
    return {QDate(today.year(), 1, 1), QDate(today.year(), 12, 31)};
}

namespace {

// A history line "key:name:minutes:" split at its colons, one field at a
// time, so that lines of days outside the range are split no further than
// their key.
class FieldReader {
public:
    explicit FieldReader(QByteArrayView line) : rest_(line) {}

    QByteArrayView next()
    {
        const qsizetype colon = rest_.indexOf(':');
        const QByteArrayView field = colon < 0 ? rest_ : rest_.first(colon);
        rest_ = colon < 0 ? QByteArrayView() : rest_.sliced(colon + 1);
        return field;
    }

private:
    QByteArrayView rest_;
};

QString decoded(QByteArrayView bytes)
{
    const QByteArray copy = bytes.toByteArray();
    return DecodeLine(copy, 0, copy.size());
}

// The date a key names; an invalid date for text that names none (the seed
// "0", a count line, a damaged line).
QDate dateOfKey(QByteArrayView key, const LocaleValues &locale)
{
    double day = 0;
    if (const std::optional<double> plain = PlainKeyValue(key.begin(), key.end()))
        day = *plain;
    else if (!TryStrToDayKey(decoded(key), locale, &day))
        return QDate();
    return IsMidnightJulian(day) ? DateOfJulian(day) : QDate();
}

// Plain decimal digits straight from the bytes; any other form (a sign,
// hexadecimal, blanks) through the full conversion. Nothing for text that is
// no integer.
std::optional<qint64> integerOf(QByteArrayView text)
{
    qint32 value = 0;
    const auto [end, error] = std::from_chars(text.begin(), text.end(), value);
    if (error == std::errc() && end == text.end() && !text.isEmpty())
        return value;
    bool ok = false;
    value = TryStrToInt(decoded(text), &ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

class RangeSummer {
public:
    RangeSummer(const DayRange &range, const LocaleValues &locale) : locale_(locale)
    {
        sum_.range = range;
        const qint64 count = std::max<qint64>(0, range.dayCount());
        sum_.days.resize(count);
        for (qint64 i = 0; i < count; ++i)
            sum_.days[i].date = range.first.addDays(i);
    }

    // A key's date is looked up only where the key differs from the line
    // before's, which in a history is once per day.
    void addHistory(const QByteArray &bytes)
    {
        QByteArrayView previousKey;
        RangeDay *day = nullptr;
        int position = 0; // of the line in its day's run, the likely item
        for (qsizetype at = 0; at < bytes.size(); ++lineIndex_) {
            const LineSpan span = LineAt(bytes, at);
            at = span.next;
            const QByteArrayView line = QByteArrayView(bytes).sliced(span.start, span.end - span.start);
            FieldReader fields(line);
            const QByteArrayView key = fields.next();
            if (key != previousKey || previousKey.isNull()) {
                previousKey = key;
                day = dayOf(dateOfKey(key, locale_));
                position = 0;
            }
            if (!day)
                continue;
            const QByteArrayView name = fields.next();
            const std::optional<qint64> minutes = integerOf(fields.next());
            if (!minutes) {
                sum_.leftOut << LeftOutLine(Ledger::HistoryFileName, lineIndex_, decoded(line));
                continue;
            }
            sum_.itemMinutes[itemIndex(name, position++)] += *minutes;
            day->minutes += *minutes;
            day->hasData = true;
        }
    }

    void addSwitchLog(const QStringList &lines)
    {
        const SwitchCounts counts = ReadSwitchCounts(lines, locale_, sum_.range);
        for (auto count = counts.byDay.cbegin(); count != counts.byDay.cend(); ++count) {
            dayOf(count.key())->switches = count.value();
            sum_.switches += count.value();
        }
        sum_.leftOut << counts.leftOut;
    }

    HistoryRange take() { return std::move(sum_); }

private:
    RangeDay *dayOf(QDate date)
    {
        if (!date.isValid() || !sum_.range.contains(date))
            return nullptr;
        return &sum_.days[sum_.range.first.daysTo(date)];
    }

    // Days list their items in the same order, so the line's position in its
    // day mostly finds the item without hashing.
    int itemIndex(QByteArrayView name, int position)
    {
        if (position < nameBytes_.size() && nameBytes_.at(position) == name)
            return position;
        const QByteArray key = name.toByteArray();
        const auto found = byName_.constFind(key);
        if (found != byName_.constEnd())
            return *found;
        const int index = int(nameBytes_.size());
        byName_.insert(key, index);
        nameBytes_.append(key);
        sum_.names.append(decoded(name));
        sum_.itemMinutes.append(0);
        return index;
    }

    const LocaleValues &locale_;
    HistoryRange sum_;
    qsizetype lineIndex_ = 0; // of the history line read, across the parts
    QVector<QByteArray> nameBytes_;
    QHash<QByteArray, int> byName_;
};

} // namespace

HistoryRange ReadHistoryRange(const DayRange &range, const QList<QByteArray> &historyParts,
                              const QStringList &switchLines, const LocaleValues &locale)
{
    RangeSummer summer(range, locale);
    for (const QByteArray &part : historyParts)
        summer.addHistory(part);
    summer.addSwitchLog(switchLines);
    return summer.take();
}
