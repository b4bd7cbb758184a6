#pragma once

#include <QDialog>
#include <QStringList>

class GraphBuilder;
class Ledger;
class Prompts;
class QCalendarWidget;
class QDate;
class QLabel;
class QPushButton;
class QRadioButton;

// The date view's calendar, at its place under label, which names it: the
// dialogs that choose one day share it.
QCalendarWidget *CreateDayCalendar(QLabel *label, QWidget *parent);

// "Choose date": chart one day of the history. exec() returns Accepted only
// after a successful OK, which has filled the graph builder's bar state
// (GraphMode 5 or 6, the day's bars and title) and set the menu marks.
// The dialog reads completedata.txc afresh at every OK and writes nothing.
//
// Neither button is the default or the cancel button: Enter presses the
// focused button and Esc does nothing; the close box closes as Cancel does.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    TForm4(Ledger &ledger, GraphBuilder &graph, Prompts &prompts, QWidget *parent = nullptr);

    QLabel *Label1;
    QCalendarWidget *MonthCalendar1;
    QRadioButton *RadioButton2; // "Value": view 5
    QRadioButton *RadioButton1; // "Percentage": view 6
    QPushButton *Button1;       // "OK"
    QPushButton *Button2;       // "Cancel"

    double ChosenJulian = 0;      // Julian date of 00:00 of the chosen day
    QString ChosenDayKey;         // ChosenJulian as text, made at OK
    qint32 DayLineCount = 0;      // lines of completedata.txc that carry ChosenDayKey, at the last OK
    QStringList DayBlock;         // the DayLineCount lines that end with the last of them
    QString DaySwitchText;        // "Switches : " and the day's count, or empty

    // Runs once per showing: today chosen and selected, "Value", view 5.
    void FormActivate();
    // The calendar's selection changed, by a click, a key or a screen reader.
    void MonthCalendar1Click(QDate date);
    void RadioButton2Click();
    void RadioButton1Click();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void createWidgets();
    // OK's steps; throws HourwiseError on a file or conversion error.
    void ChartChosenDay();
    QString findSwitchText() const;
    QString dateTextOfKey(const QString &key) const;

    Ledger &ledger_;
    GraphBuilder &graph_;
    Prompts &prompts_;
};
