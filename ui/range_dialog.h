#pragma once

#include "history_range.h"

#include <QDialog>

class GraphBuilder;
class Ledger;
class Prompts;
class QCalendarWidget;
class QLabel;
class QPushButton;
class QRadioButton;

// "Choose range": chart a span of days of the history, each item's minutes
// summed over it (view 7) or as shares (view 8), or the minutes of each day
// with its switches (view 9). Looks and behaves as the date view does: its
// fonts, buttons, keys and accessible names. exec() returns Accepted only
// after a successful OK, which has filled the graph builder's bar state and
// set the menu marks; nothing changes before that. OK reads the history as
// the ledger holds it and writes nothing; lines of the range's days that
// cannot be read are left out of the chart and named, as the export names them.
class RangeDialog : public QDialog {
    Q_OBJECT
public:
    RangeDialog(Ledger &ledger, GraphBuilder &graph, Prompts &prompts, QWidget *parent = nullptr);

    QLabel *FirstLabel;
    QCalendarWidget *FirstCalendar;
    QLabel *LastLabel;
    QCalendarWidget *LastCalendar;
    QPushButton *ThisWeekButton;
    QPushButton *LastWeekButton;
    QPushButton *ThisMonthButton;
    QPushButton *LastMonthButton;
    QPushButton *ThisYearButton;
    QRadioButton *ValueButton;      // view 7
    QRadioButton *PercentageButton; // view 8
    QRadioButton *DaysButton;       // view 9
    QPushButton *OkButton;
    QPushButton *CancelButton;

    DayRange chosenRange() const;
    void chooseRange(const DayRange &range);
    // Runs once per showing: this week, "Value".
    void FormActivate();
    void OkButtonClick();
    // After a successful OK, what the user is told about lines of the
    // range's days that cannot be read and were left out; empty for none.
    const QString &leftOutMessage() const { return leftOutMessage_; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void createCalendars();
    QPushButton *addQuickButton(const QString &caption, QuickRange choice, int column);
    void createFaceAndButtons();
    int chosenMode() const;
    // OK's steps; throws HourwiseError when the history file cannot be read.
    void ChartRange();

    Ledger &ledger_;
    GraphBuilder &graph_;
    Prompts &prompts_;
    QString leftOutMessage_;
};
