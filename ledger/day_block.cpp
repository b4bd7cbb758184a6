#include "day_block.h"

#include "day_key.h"

#include <QSet>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

QString FirstField(const QString &line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon < 0 ? line : line.left(colon);
}

bool IsLineOfDay(const QString &line, double day, const LocaleValues &locale)
{
    return IsDayKeyOf(FirstField(line), day, locale);
}

qsizetype TrailingDayBlockStart(const QStringList &lines, double day, const LocaleValues &locale)
{
    qsizetype start = lines.size();
    while (start > 0 && IsLineOfDay(lines.at(start - 1), day, locale))
        --start;
    return start;
}

qsizetype LastDayBlockStart(const QStringList &lines, const LocaleValues &locale)
{
    double day = 0;
    if (lines.isEmpty())
        return 0;
    if (!TryStrToDayKey(FirstField(lines.last()), locale, &day))
        return lines.size() - 1;
    return TrailingDayBlockStart(lines, day, locale);
}

namespace {

bool isBlank(const QByteArray &bytes, const LineSpan &line)
{
    return QByteArrayView(bytes).sliced(line.start, line.end - line.start).trimmed().isEmpty();
}

} // namespace

HistoryParts SplitAtLastDayBlock(const QByteArray &bytes, const LocaleValues &locale)
{
    HistoryParts parts;
    // Blank lines at the end (an editor's, "echo >>") belong to no day: the
    // last block is the one before them, and they are left out of its lines,
    // so that a save rebuilds that block in place instead of starting its
    // day again after them.
    qsizetype blockEnd = bytes.size();
    LineSpan line;
    while (blockEnd > 0 && isBlank(bytes, line = LineBefore(bytes, blockEnd)))
        blockEnd = line.start;
    if (blockEnd == 0) {
        parts.lastBlockBytes = bytes;
        return parts;
    }
    double day = 0;
    const bool keyed = TryStrToDayKey(FirstField(DecodeLine(bytes, line.start, line.end)), locale, &day);
    qsizetype split = line.start;
    while (keyed && split > 0) {
        line = LineBefore(bytes, split);
        if (!IsLineOfDay(DecodeLine(bytes, line.start, line.end), day, locale))
            break;
        split = line.start;
    }
    parts.lastBlockBytes = bytes.sliced(split);
    parts.lastBlock = DecodeLines(bytes.sliced(split, blockEnd - split));
    parts.earlierSize = split;
    return parts;
}

HistoryFromDay HistoryFromDayOn(const QByteArray &bytes, double day, const LocaleValues &locale)
{
    HistoryFromDay found;
    qsizetype next = bytes.size();
    // Takes the line before next into lines while it passes the test.
    const auto takeWhile = [&](QStringList &lines, const auto &test) {
        while (next > 0) {
            const LineSpan line = LineBefore(bytes, next);
            QString text = DecodeLine(bytes, line.start, line.end);
            if (!test(text))
                return;
            lines.prepend(std::move(text));
            next = line.start;
        }
    };
    takeWhile(found.later, [&](const QString &line) {
        double key = 0;
        return !TryStrToDayKey(FirstField(line), locale, &key) || key > day;
    });
    takeWhile(found.dayBlock, [&](const QString &line) { return IsLineOfDay(line, day, locale); });
    return found;
}

namespace {

// Where a line's first field ends: at its first colon, or with the line.
qsizetype firstFieldEnd(const QByteArray &bytes, const LineSpan &line)
{
    const qsizetype colon = QByteArrayView(bytes).sliced(line.start, line.end - line.start).indexOf(':');
    return colon < 0 ? line.end : line.start + colon;
}

} // namespace

std::optional<double> PlainKeyValue(const char *begin, const char *end)
{
    static const QByteArray arabicSeparator = QString(kArabicDecimalSeparator).toUtf8();
    char text[24];
    qsizetype size = 0;
    int separators = 0;
    for (const char *at = begin; at < end; ++at) {
        const bool arabic = QByteArrayView(at, end).startsWith(arabicSeparator);
        const bool separator = *at == '.' || *at == ',' || arabic;
        if (size == qsizetype(sizeof text) || (separator ? ++separators > 1 || at == begin : *at < '0' || *at > '9'))
            return std::nullopt;
        text[size++] = separator ? '.' : *at;
        at += arabic ? arabicSeparator.size() - 1 : 0;
    }
    if (size < 3 || text[size - 1] == '.')
        return std::nullopt;
    double value = 0;
    const auto [parsedEnd, error] = std::from_chars(text, text + size, value);
    if (error != std::errc() || parsedEnd != text + size)
        return std::nullopt;
    return value;
}

qsizetype FirstLineOfDayKey(const QByteArray &bytes, double day, const LocaleValues &locale)
{
    const bool integralDay = std::floor(day) == day;
    for (qsizetype at = 0; at < bytes.size();) {
        const LineSpan line = LineAt(bytes, at);
        at = line.next;
        const char *begin = bytes.constData() + line.start, *end = bytes.constData() + line.end;
        if (!integralDay && std::all_of(begin, end, [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const std::optional<double> plain = PlainKeyValue(begin, end);
        if (plain ? *plain == day : IsDayKeyOf(DecodeLine(bytes, line.start, line.end), day, locale))
            return line.start;
    }
    return -1;
}

DayLines FindDayLines(const QByteArray &history, double day, const LocaleValues &locale)
{
    DayLines found;
    qsizetype afterLast = 0; // where the line after the day's last line starts
    QByteArrayView previousKey;
    bool previousMatches = false; // no empty key is a day's
    for (qsizetype at = 0; at < history.size();) {
        const LineSpan line = LineAt(history, at);
        const qsizetype keyEnd = firstFieldEnd(history, line);
        const QByteArrayView key = QByteArrayView(history).sliced(line.start, keyEnd - line.start);
        if (key != previousKey) {
            previousMatches = IsDayKeyOf(DecodeLine(history, line.start, keyEnd), day, locale);
            previousKey = key;
        }
        if (previousMatches) {
            ++found.count;
            afterLast = line.next;
        }
        at = line.next;
    }
    for (qsizetype next = afterLast; found.block.size() < found.count;) {
        const LineSpan line = LineBefore(history, next);
        found.block.append(DecodeLine(history, line.start, line.end));
        next = line.start;
    }
    std::reverse(found.block.begin(), found.block.end());
    return found;
}

qsizetype EndBeforeCutSave(const QByteArray &history, const QString &dayKey)
{
    if (history.isEmpty() || history.endsWith('\n')) // a lone CR at the end may be half of a CR LF
        return history.size();
    const LineSpan last = LineBefore(history, history.size());
    QByteArrayView text = QByteArrayView(history).sliced(last.start, last.end - last.start);
    while (text.endsWith('\0'))
        text.chop(1);
    const QByteArray keyField = dayKey.toUtf8() + ':';
    return text.startsWith(keyField) || QByteArrayView(keyField).startsWith(text) ? last.start : history.size();
}

namespace {

// A day's run of lines in a file's bytes: [start, end), and its day, or
// nothing for the lines before the first day.
struct DayRun {
    qsizetype start = 0;
    qsizetype end = 0;
    std::optional<double> day;
};

// The day whose key a line carries as the kind of file puts it, if any.
class LineDays {
public:
    LineDays(DayKeyedFile kind, const LocaleValues &locale) : kind_(kind), locale_(locale) {}

    std::optional<double> of(const QByteArray &bytes, const LineSpan &line)
    {
        const qsizetype keyEnd = kind_ == DayKeyedFile::History ? firstFieldEnd(bytes, line) : line.end;
        const QByteArrayView key = QByteArrayView(bytes).sliced(line.start, keyEnd - line.start);
        if (key != lastKey_) { // a history's lines of one day share their key: read once a day
            lastKey_ = key;
            lastDay_ = read(bytes, line.start, keyEnd);
        }
        return lastDay_;
    }

private:
    std::optional<double> read(const QByteArray &bytes, qsizetype start, qsizetype end) const
    {
        std::optional<double> day = PlainKeyValue(bytes.constData() + start, bytes.constData() + end);
        double value = 0;
        if (!day && TryStrToDayKey(DecodeLine(bytes, start, end), locale_, &value))
            day = value;
        return day && IsMidnightJulian(*day) ? day : std::nullopt;
    }

    DayKeyedFile kind_;
    const LocaleValues &locale_;
    QByteArrayView lastKey_;
    std::optional<double> lastDay_;
};

QVector<DayRun> dayRunsOf(DayKeyedFile kind, const QByteArray &bytes, const LocaleValues &locale)
{
    QVector<DayRun> runs;
    LineDays days(kind, locale);
    for (qsizetype at = 0; at < bytes.size();) {
        const LineSpan line = LineAt(bytes, at);
        const std::optional<double> day = days.of(bytes, line);
        if (runs.isEmpty() || (day && day != runs.last().day))
            runs.append({line.start, line.start, day});
        runs.last().end = line.next;
        at = line.next;
    }
    return runs;
}

void appendRun(QByteArray &out, const QByteArray &bytes, const DayRun &run)
{
    out += QByteArrayView(bytes).sliced(run.start, run.end - run.start);
    if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r'))
        out += "\r\n"; // a cut last line is ended, never joined to the next
}

} // namespace

DayUnion UnionOfDays(DayKeyedFile kind, const QByteArray &theirs, const QByteArray &ours, double leftOut,
                     const LocaleValues &locale)
{
    const QVector<DayRun> theirRuns = dayRunsOf(kind, theirs, locale);
    QSet<double> theirDays;
    for (const DayRun &run : theirRuns)
        if (run.day)
            theirDays.insert(*run.day);
    QVector<DayRun> onlyOurs;
    for (const DayRun &run : dayRunsOf(kind, ours, locale))
        if (run.day && *run.day != leftOut && !theirDays.contains(*run.day))
            onlyOurs.append(run);

    DayUnion result;
    result.bytes.reserve(theirs.size() + (onlyOurs.isEmpty() ? 0 : ours.size()));
    auto nextOfOurs = onlyOurs.cbegin();
    const auto insertOursBefore = [&](double day) {
        for (; nextOfOurs != onlyOurs.cend() && *nextOfOurs->day < day; ++nextOfOurs) {
            appendRun(result.bytes, ours, *nextOfOurs);
            result.addedDays.append(*nextOfOurs->day);
        }
    };
    for (const DayRun &run : theirRuns) {
        if (run.day == leftOut)
            continue;
        if (run.day)
            insertOursBefore(*run.day);
        appendRun(result.bytes, theirs, run);
    }
    insertOursBefore(std::numeric_limits<double>::infinity());
    return result;
}
