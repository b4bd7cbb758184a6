#pragma once

#include "day_correction.h"
#include "item_combo_box.h"

class Ledger;
class Prompts;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

// "Move Minutes": minutes of one day moved from one item to another. It
// opens on today with the checked item as the one to move from, so "the
// last 90 minutes were Writing, not Mail" takes the other item, the
// minutes and OK. The day shown is the one OK changes, however late it has
// become. OK has the ledger check the move (a refusal is told, and the
// dialog stays open as it was) and closes; the menu handler then moves.
class MoveMinutesDialog : public ItemDialog {
    Q_OBJECT
public:
    MoveMinutesDialog(Ledger &ledger, Prompts &prompts, QWidget *parent = nullptr);

    QLabel *Label1; // "Move minutes from:"
    ItemComboBox *ComboBox1;
    QLabel *Label2; // "to:"
    ItemComboBox *ComboBox2;
    QLabel *Label3; // "Minutes to move:"
    QLineEdit *Edit1;
    QLabel *Label4; // "On the day:"
    QDateEdit *DateEdit1;
    QPushButton *Button1; // "OK"
    QPushButton *Button2; // "Cancel"

    QDate chosenDate() const { return day_.date; }
    const DayLineRef &from() const { return from_; }
    const DayLineRef &to() const { return to_; }
    qint32 minutes() const { return minutes_; }

    void FormActivate() override;
    // Lists the day's lines in both lists.
    void ShowDay(QDate date);
    // With both entries chosen, reads the minutes and closes when the
    // ledger finds the move sound; otherwise says why and stays open.
    void Button1Click();

private:
    Ledger &ledger_;
    Prompts &prompts_;
    DayMinutes day_;
    DayLineRef from_, to_;
    qint32 minutes_ = 0;
};
