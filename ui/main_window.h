#pragma once

#include "dialog_modes.h"
#include "graph_builder.h"

#include <QMainWindow>
#include <QPrinter>

#include <functional>
#include <memory>

class BarChartView;
class CorrectDayDialog;
class MoveMinutesDialog;
class Ledger;
class OtherComputers;
class Prompts;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class RadioGroup;
class RangeDialog;
class SaveStatus;
class TForm2;
class TForm3;
class TForm4;
class TForm5;

// The main window: the items as radio buttons, the clock, the switch count,
// the chart and the menus. Its handlers read widgets and call the ledger or
// the graph builder; the widgets mirror what the ledger reports.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(Ledger &ledger, Prompts &prompts, QWidget *parent = nullptr);

    // Creates the four dialogs, in order, unless they exist. The commands
    // that open one call it, so a start does not pay for dialogs (the date
    // view's calendar above all) that a day's use may never open.
    void CreateDialogs();

    RadioGroup *RG1;
    QRadioButton *RadioButton1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *StaticText1;
    QLabel *SaveStatusLine; // "Not saved since ..." while saves fail, else hidden
    QPushButton *Button1;
    BarChartView *Chart1;
    QTimer *Timer1;
    QTimer *Timer2;
    QMenu *PopupMenu1;

    QAction *AddItem1, *DeleteItem1;
    QAction *ShareWithOtherComputers1, *StopSharing1; // the second shown while sharing, in place of the first
    QAction *ThisComputerOnly1;                       // shown while sharing
    QAction *AddTimetoItem1, *RemoveTimefromItem1;
    QAction *CorrectDay1, *MoveMinutes1, *Undo1;
    QAction *Today1, *Value1, *Percentage1, *Total1, *Value2, *Percentage2, *ChooseDate1;
    QAction *ChooseRange1;
    QAction *PrintGraph1, *SaveGraph1, *PrintGraph2, *SaveGraph2;
    QAction *About1, *Help2;
    QAction *ExportHistory1;

    GraphBuilder Graph;
    DialogModes Modes;

    TForm2 *Form2 = nullptr;
    TForm3 *Form3 = nullptr;
    TForm4 *Form4 = nullptr;
    TForm5 *Form5 = nullptr;
    RangeDialog *RangeForm = nullptr; // made when "Choose Range..." is first chosen
    CorrectDayDialog *CorrectForm = nullptr; // made when first chosen, as the two below
    MoveMinutesDialog *MoveForm = nullptr;

    // True when the data files could not be read at start: the window then
    // closes without writing anything.
    bool startupFailed() const { return startupFailed_; }

    // The other computers that the views count, or null while not sharing:
    // the sharing entries of the menus, the title and the status line follow.
    void setOtherComputers(OtherComputers *others);

    // Connects an action to a handler that runs through the error guard.
    void onTriggered(QAction *action, const std::function<void()> &handler);

    void FormShow();
    void Timer1Timer();
    void Timer2Timer();
    void RG1Click(int index);
    void RadioButton1Click();
    void Button1Click();
    void AddItem1Click();
    void DeleteItem1Click();
    void AddTimetoItem1Click();
    void RemoveTimefromItem1Click();
    void ChooseDate1Click();
    void ChooseRange1Click();
    void CorrectDay1Click();
    void MoveMinutes1Click();
    void Undo1Click();
    void PrintGraph1Click();
    void SaveGraph1Click();
    void About1Click();
    void Help2Click();
    void ExportHistory1Click();

signals:
    // The files are loaded and the clock runs: sent once, after the window is up.
    void started();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createWidgets();
    void createMenus();
    void connectLedger();
    void showGraphMarks();
    void showTimeDialog(bool add);
    void mirrorSelection(int checkedIndex);
    void showComputersCounted();
    void showSharingNotes();
    // Runs a handler; its error is shown, and a failed save is noted in the
    // save status. Returns false when the handler was abandoned that way.
    bool runCommand(const std::function<void()> &handler);

    Ledger &ledger_;
    Prompts &prompts_;
    SaveStatus *saveStatus_;
    // Made at the first print and kept, with the user's choices, for the
    // next: a printer loads the print system (its libraries take megabytes).
    std::unique_ptr<QPrinter> printer_;
    QString lastPicturePath_ = QStringLiteral("*.bmp");
    QString lastCsvPath_; // empty until the first export, which proposes ProposedExportPath()
    OtherComputers *others_ = nullptr;
    bool shown_ = false;
    bool startupFailed_ = false;
};
