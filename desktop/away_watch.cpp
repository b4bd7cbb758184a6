#include "away_watch.h"

#include "ledger.h"
#include "line_file.h"

#include <algorithm>

namespace {

// The two clocks (the ledger's and the desktop's idle counter) are read a
// moment apart: a last input this much later than before is the same input.
constexpr qint64 kSameInputMs = 2000;

QDateTime toMinute(const QDateTime &at)
{
    QDateTime minute = at;
    minute.setTime(QTime(at.time().hour(), at.time().minute()));
    return minute;
}

QString minutesText(qint64 minutes)
{
    return minutes == 1 ? QStringLiteral("1 minute") : QStringLiteral("%1 minutes").arg(minutes);
}

} // namespace

QString AwayQuestionText(const QList<AwaySpan> &spans)
{
    const QString hhmm = QStringLiteral("HH:mm");
    QStringList lines;
    for (const AwaySpan &span : spans) {
        QString line = QStringLiteral("You were away from %1 to %2 (%3) while \"%4\" was checked.")
                           .arg(span.from.toString(hhmm), span.to.toString(hhmm),
                                minutesText(toMinute(span.from).secsTo(toMinute(span.to)) / 60),
                                ReadableText(span.name));
        if (span.creditedEarlier > 0)
            line += QStringLiteral(" The %1 credited before midnight stay with the day before.")
                        .arg(minutesText(span.creditedEarlier));
        lines << line;
    }
    return lines.join(QLatin1Char('\n')) + (lines.size() > 1 ? QStringLiteral("\n") : QStringLiteral(" "))
        + QStringLiteral("Keep these minutes?");
}

QString AwayShortfallText(const AwaySpan &span, const AwayRemoval &removal)
{
    const QString hhmm = QStringLiteral("HH:mm");
    const QString absence =
        QStringLiteral("the absence from %1 to %2").arg(span.from.toString(hhmm), span.to.toString(hhmm));
    const QString name = ReadableText(span.name);
    switch (removal.outcome) {
    case AwayRemoval::DayOver:
        return QStringLiteral("No minutes were removed for %1: the day they were credited on is over, and minutes "
                              "are only removed from the day they were credited on.")
            .arg(absence);
    case AwayRemoval::ItemChanged:
        return QStringLiteral("No minutes were removed for %1: the items have changed since, and \"%2\" is no "
                              "longer in its place.")
            .arg(absence, name);
    case AwayRemoval::Removed:
        break;
    }
    if (removal.minutes >= span.creditedToday)
        return {};
    if (removal.minutes == 0)
        return QStringLiteral("No minutes were removed for %1: \"%2\" has no minutes left today.").arg(absence, name);
    return QStringLiteral("Only %1 of the %2 were removed for %3: that is all \"%4\" still had today.")
        .arg(minutesText(removal.minutes), minutesText(span.creditedToday), absence, name);
}

AwayWatch::AwayWatch(Ledger &ledger, std::unique_ptr<IdleSource> source, QObject *parent)
    : QObject(parent), ledger_(ledger), source_(std::move(source))
{
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &AwayWatch::Poll);
    poll_.start();
}

void AwayWatch::Poll()
{
    const std::optional<IdleReading> reading = source_->read();
    if (!reading)
        return;
    const QDateTime now = ledger_.now();
    QDateTime lastInput = now.addMSecs(-reading->idleMs);
    if (previous_ && reading->locked)
        lastInput = std::min(lastInput, previous_->lastInput);
    if (previous_ && previous_->lastInput.msecsTo(lastInput) > kSameInputMs)
        endAbsence(previous_->lastInput, previous_->at);
    previous_ = Look{now, lastInput};
    // A minute credited before the last input belongs to no absence to come;
    // one stamped later than now was stamped before the clock was set back,
    // and might else be counted again in an absence of the new times.
    credits_.erase(std::remove_if(credits_.begin(), credits_.end(),
                                  [&](const Credit &credit) { return credit.at <= lastInput || credit.at > now; }),
                   credits_.end());
}

void AwayWatch::MinuteTicked()
{
    const LedgerState &state = ledger_.state();
    if (!ledger_.isLoaded() || state.CheckedIndex < 0)
        return;
    credits_.append({ledger_.now(), state.CheckedIndex, state.ItemTable.Names.value(state.CheckedIndex),
                     state.TodayJulian});
}

void AwayWatch::endAbsence(const QDateTime &from, const QDateTime &to)
{
    if (from.msecsTo(to) < kAwayMs)
        return;
    AwaySpan span{from, to, -1, QString(), ledger_.state().TodayJulian, 0, 0};
    for (const Credit &credit : std::as_const(credits_)) {
        if (credit.at <= from || credit.at > to)
            continue;
        if (span.item < 0) {
            span.item = credit.item;
            span.name = credit.name;
        }
        if (credit.item != span.item || credit.name != span.name)
            continue;
        ++(credit.day == span.day ? span.creditedToday : span.creditedEarlier);
    }
    if (span.creditedToday > 0)
        emit awayEnded(span);
}

QList<AwayRemoval> AwayWatch::RemoveAwayMinutes(const QList<AwaySpan> &spans)
{
    QList<AwayRemoval> removals;
    for (const AwaySpan &span : spans) {
        if (!ledger_.IsStillDay(span.day))
            removals.append({AwayRemoval::DayOver, 0});
        else if (ledger_.state().ItemTable.Names.value(span.item) != span.name)
            removals.append({AwayRemoval::ItemChanged, 0});
        else
            removals.append({AwayRemoval::Removed, ledger_.TakeBackMinutes(span.item, span.day, span.creditedToday)});
    }
    if (std::any_of(removals.begin(), removals.end(), [](const AwayRemoval &removal) { return removal.minutes > 0; }))
        ledger_.SaveAll();
    return removals;
}
