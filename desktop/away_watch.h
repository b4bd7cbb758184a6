#pragma once

#include "idle_source.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <QVector>

#include <memory>
#include <optional>

class Ledger;

// A time away from the desk during which the minute tick credited an item.
struct AwaySpan {
    QDateTime from;          // the last input before the user went away
    QDateTime to;            // the last look at the idle time that still found the user away
    int item = -1;           // position of the item credited
    QString name;            // its name then; checked again before anything is removed
    double day = 0;          // the ledger's day (TodayJulian) when the span ended
    int creditedToday = 0;   // minutes credited to the item during the span on that day
    int creditedEarlier = 0; // minutes credited on an earlier day (away across midnight): these stay
};

// What "Remove" did with one span.
struct AwayRemoval {
    enum Outcome { Removed, DayOver, ItemChanged } outcome = Removed;
    int minutes = 0; // removed: at most the span's creditedToday, and no more than the item had today
};

// The question put to the user about the spans not yet answered, one line
// each, e.g. "You were away from 12:03 to 12:48 (45 minutes) while
// "Writing" was checked. Keep these minutes?"
QString AwayQuestionText(const QList<AwaySpan> &spans);

// Why not all of a span's minutes were removed, or an empty text when they were.
QString AwayShortfallText(const AwaySpan &span, const AwayRemoval &removal);

// Watches the session's idle time and, when input returns after ten minutes
// or more without any, reports the span if the minute tick credited an item
// in it. The span counts only what is certain: from the last input before
// the absence to the last look that still found the user idle; so a minute
// is never taken back for time the user was present. Input on a locked
// screen (typing the password) does not end an absence.
class AwayWatch : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kAwayMs = 10 * 60 * 1000;
    static constexpr int kPollMs = 15 * 1000;

    // Times come from the ledger's clock. Polls the source every kPollMs.
    AwayWatch(Ledger &ledger, std::unique_ptr<IdleSource> source, QObject *parent = nullptr);

    // One look at the idle time.
    void Poll();
    // Run after each minute tick: remembers the minute the tick credited.
    void MinuteTicked();
    // Takes each span's minutes back from its item's today and total
    // minutes, as far as the item still has them today, and saves; no
    // switch is counted and the selection stays. A span whose day is over
    // (even before the new day's first tick) or whose item is no longer in
    // its place keeps its minutes. Throws as SaveAll does, the minutes
    // already taken back in memory (the next save writes them).
    QList<AwayRemoval> RemoveAwayMinutes(const QList<AwaySpan> &spans);

signals:
    void awayEnded(const AwaySpan &span);

private:
    struct Credit {
        QDateTime at;
        int item;
        QString name;
        double day;
    };
    struct Look {
        QDateTime at;
        QDateTime lastInput;
    };

    void endAbsence(const QDateTime &from, const QDateTime &to);

    Ledger &ledger_;
    std::unique_ptr<IdleSource> source_;
    QTimer poll_;
    std::optional<Look> previous_;
    QVector<Credit> credits_; // minutes credited since the last input seen
};
