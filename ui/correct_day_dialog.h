#pragma once

#include "day_correction.h"

#include <QDialog>
#include <QList>

class Ledger;
class Prompts;
class QCalendarWidget;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

// "Correct Day": the minutes of one day's items, to be set right. The
// calendar opens on today; the day shown is the one OK corrects, however
// late it has become. OK takes the typed minutes as differences to those
// shown, has the ledger check them against its limits (a refusal is told,
// and the dialog stays open as it was) and closes; the menu handler then
// applies changes().
//
// Keys as in the date view: Enter presses the focused button, Esc does
// nothing, the close box closes as Cancel does.
class CorrectDayDialog : public QDialog {
    Q_OBJECT
public:
    CorrectDayDialog(Ledger &ledger, Prompts &prompts, QWidget *parent = nullptr);

    QLabel *Label1; // "Select date :"
    QCalendarWidget *MonthCalendar1;
    QLabel *SwitchLabel;  // "Switches : " and the day's count as the log holds it
    QLabel *MinutesLabel; // "Minutes on <date> :"
    QScrollArea *LinesArea;
    QLabel *NoDataLabel = nullptr;   // "No data for <date> exists", in the lines' place
    QList<QLineEdit *> MinuteEdits;  // one per line of the day, in block order
    QList<QLabel *> DifferenceLabels; // what each typed value changes
    QPushButton *Button1; // "OK"
    QPushButton *Button2; // "Cancel"

    QDate chosenDate() const { return day_.date; }
    // The lines OK found changed, each with its difference.
    const QVector<MinuteChange> &changes() const { return changes_; }

    // Runs once per showing: today's lines.
    void FormActivate();
    // Shows the day's lines with their minutes.
    void ShowDay(QDate date);
    void Button1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void addLine(int line, QWidget *lines);
    void showDifference(int line);
    bool readChanges();

    Ledger &ledger_;
    Prompts &prompts_;
    DayMinutes day_;
    QVector<MinuteChange> changes_;
};
