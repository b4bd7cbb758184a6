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

// The question put to the user about a span, e.g. "You were away from 12:03
// to 12:48 (45 minutes) while "Writing" was checked. Keep these minutes?"
QString AwayQuestionText(const AwaySpan &span);

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
    // Takes the span's minutes back from the item's today and total minutes
    // exactly as "Deduct from Item" does: adjust, re-parse, save, check the
    // item that was checked again (a switch). Removes nothing and returns 0
    // when the day of the span is over or the item is no longer in its place;
    // else returns the minutes removed. Throws as SaveAll does.
    int RemoveAwayMinutes(const AwaySpan &span);

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
