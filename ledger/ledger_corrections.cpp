// The ledger's corrections of any day, moves of minutes between items and
// the undo stack.

#include "ledger.h"

#include "day_key.h"
#include "switch_log.h"

namespace {

QString minutesField(const QString &line)
{
    return line.section(QLatin1Char(':'), 2, 2);
}

QVector<MinuteChange> inverseOf(QVector<MinuteChange> changes)
{
    for (MinuteChange &change : changes)
        change.minutes = -change.minutes;
    return changes;
}

} // namespace

DayMinutes Ledger::MinutesOfDay(QDate date) const
{
    DayMinutes day;
    day.date = date;
    day.isToday = date == DateOfJulian(s_.TodayJulian);
    if (day.isToday) {
        day.names = s_.ItemTable.Names;
        day.minutes = s_.ItemTable.TodayMinutes;
    } else {
        const QByteArray history = historyBytes();
        const ByteSpan run = LastRunOfDay(history, JulianAtMidnight(date), locale_);
        for (const QString &line : DecodeLines(history.sliced(run.start, run.end - run.start))) {
            day.names << line.section(QLatin1Char(':'), 1, 1);
            day.minutes << StrToInt(minutesField(line));
        }
    }
    const QStringList switchLines = SwitchLinesThroughToday(s_);
    const SwitchEntries entries = FindSwitchEntries(switchLines, locale_);
    const auto entry = entries.lastKeyLine.constFind(date);
    if (entry != entries.lastKeyLine.cend())
        day.switchCount = switchLines.value(*entry + 1);
    return day;
}

Ledger::DayChangePlan Ledger::planDayChange(QDate date, const QVector<MinuteChange> &changes) const
{
    DayChangePlan plan;
    plan.day = MinutesOfDay(date);
    const QString dateText = locale_.formatShortDate(date);
    if (!plan.day.hasData())
        throw RefusedChange(QStringLiteral("No data for %1 exists").arg(dateText));
    plan.after = QVector<qint64>(plan.day.minutes.begin(), plan.day.minutes.end());
    for (const MinuteChange &change : changes) {
        const int line = LineOfRef(plan.day.names, change.line);
        if (line < 0)
            throw LineGone(QStringLiteral("\"%1\" has no minutes on %2 any more. Nothing has been changed.")
                                    .arg(ReadableText(change.line.name), dateText));
        plan.after[line] += change.minutes;
    }
    const QString problem = DayMinutesProblem(plan.day, plan.after, locale_);
    if (!problem.isEmpty())
        throw RefusedChange(problem);
    for (int line = 0; line < plan.day.names.size(); ++line) {
        const int item = plan.day.isToday ? line : LineOfRef(s_.ItemTable.Names, RefOfLine(plan.day.names, line));
        plan.itemOfLine << item;
        const qint64 change = plan.after.at(line) - plan.day.minutes.at(line);
        const qint64 total = item < 0 ? 0 : s_.ItemTable.TotalMinutes.at(item) + change;
        if (total < std::numeric_limits<qint32>::min() || total > std::numeric_limits<qint32>::max())
            throw RefusedChange(OutOfRangeMessage(plan.day.names.at(line)));
    }
    return plan;
}

QString Ledger::WhyNotCorrect(QDate date, const QVector<MinuteChange> &changes) const
{
    try {
        planDayChange(date, changes);
    } catch (const HourwiseError &error) {
        return error.message();
    }
    return {};
}

namespace {

QString moveProblem(const DayLineRef &from, const DayLineRef &to, qint32 minutes)
{
    if (from == to)
        return QStringLiteral("Minutes can only be moved between two different items.");
    if (minutes <= 0)
        return QStringLiteral("The minutes to move must be a whole number above 0.");
    return {};
}

QVector<MinuteChange> moveChanges(const DayLineRef &from, const DayLineRef &to, qint32 minutes)
{
    return {{from, -qint64(minutes)}, {to, qint64(minutes)}};
}

} // namespace

QString Ledger::WhyNotMove(QDate date, const DayLineRef &from, const DayLineRef &to, qint32 minutes) const
{
    const QString problem = moveProblem(from, to, minutes);
    return problem.isEmpty() ? WhyNotCorrect(date, moveChanges(from, to, minutes)) : problem;
}

void Ledger::CorrectDay(QDate date, const QVector<MinuteChange> &changes)
{
    changeMinutesOfDay(date, changes);
    pushUndo(date, changes, QStringLiteral("Undo Correction of %1").arg(locale_.formatShortDate(date)));
    finishDayChange(date);
}

void Ledger::MoveMinutes(QDate date, const DayLineRef &from, const DayLineRef &to, qint32 minutes)
{
    const QString problem = moveProblem(from, to, minutes);
    if (!problem.isEmpty())
        throw RefusedChange(problem);
    const QVector<MinuteChange> changes = moveChanges(from, to, minutes);
    changeMinutesOfDay(date, changes);
    QString caption = QStringLiteral("Undo Move %1 min from %2 to %3")
                          .arg(minutes)
                          .arg(ReadableText(from.name), ReadableText(to.name));
    if (date != DateOfJulian(s_.TodayJulian))
        caption += QStringLiteral(" on ") + locale_.formatShortDate(date);
    pushUndo(date, changes, caption);
    finishDayChange(date);
}

QString Ledger::UndoCaption() const
{
    return undo_.isEmpty() ? QString() : undo_.last().caption;
}

void Ledger::Undo()
{
    if (undo_.isEmpty())
        return;
    const UndoEntry entry = undo_.last();
    try {
        changeMinutesOfDay(entry.date, entry.changes);
    } catch (const LineGone &) {
        undo_.removeLast();
        emit undoChanged();
        throw;
    }
    undo_.removeLast();
    emit undoChanged();
    finishDayChange(entry.date);
}

void Ledger::changeMinutesOfDay(QDate date, const QVector<MinuteChange> &changes)
{
    // A day that midnight has made an earlier one is closed first, as the
    // minute tick would close it, so its minutes stand in the history.
    // Another program's version of a file is taken over (or holds the
    // change back) before anything changes.
    startDayKeepingSelection();
    takeOverOutsideChanges();
    const DayChangePlan plan = planDayChange(date, changes);
    if (plan.day.isToday)
        changeTodaysMinutes(plan);
    else
        changeEarlierDaysMinutes(plan);
    for (int line = 0; line < plan.day.names.size(); ++line) {
        const int item = plan.itemOfLine.at(line);
        if (item < 0 || plan.after.at(line) == plan.day.minutes.at(line))
            continue;
        s_.ItemTable.TotalMinutes[item] += qint32(plan.after.at(line) - plan.day.minutes.at(line));
        s_.DataLines[s_.ItemCount + item] = TotalLine(item);
    }
}

void Ledger::changeTodaysMinutes(const DayChangePlan &plan)
{
    for (int item = 0; item < s_.ItemCount; ++item) {
        s_.ItemTable.TodayMinutes[item] = qint32(plan.after.at(item));
        s_.DataLines[item] = TodayLine(item);
    }
    rebuildBlockOfDay(s_.TodayJulian);
}

void Ledger::changeEarlierDaysMinutes(const DayChangePlan &plan)
{
    // The day's block lies before today's, among the bytes kept as the file
    // holds them: they are copied, the block is encoded anew in their
    // midst, and the next save writes the file whole and atomically, since
    // its end is no longer all that changed.
    settleHistory();
    QByteArray earlier = earlierHistoryBytes();
    const ByteSpan run = LastRunOfDay(earlier, JulianAtMidnight(plan.day.date), locale_);
    QStringList lines = DecodeLines(earlier.sliced(run.start, run.end - run.start));
    if (lines.size() != plan.day.names.size())
        throw HourwiseError(QStringLiteral("The lines of %1 could not be found again. Nothing has been changed.")
                                .arg(locale_.formatShortDate(plan.day.date)));
    for (int line = 0; line < lines.size(); ++line)
        if (plan.after.at(line) != plan.day.minutes.at(line))
            lines[line] = WithMinutes(lines.at(line), qint32(plan.after.at(line)));
    earlier.replace(run.start, run.end - run.start, EncodeLines(lines));
    s_.HistoryEarlier = std::move(earlier);
    historyEnd_ = {};
    asRead_.historyEarlierSize = -1;
}

void Ledger::startDayKeepingSelection()
{
    const int checked = s_.CheckedIndex;
    startDayIfDateChanged();
    SelectItem(checked); // a new day re-parsed the items; checking again counts, as at the tick
}

void Ledger::pushUndo(QDate date, const QVector<MinuteChange> &changes, const QString &caption)
{
    undo_.append({date, inverseOf(changes), caption});
    emit undoChanged();
}

void Ledger::finishDayChange(QDate date)
{
    // Today's block was rebuilt and an earlier day's bytes replaced in
    // memory, so the views can read the day before the files are written.
    emit dayCorrected(date);
    SaveAll();
}
