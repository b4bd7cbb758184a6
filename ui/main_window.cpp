#include "main_window.h"

#include "appearance.h"
#include "bar_chart_view.h"
#include "correct_day_dialog.h"
#include "date_view_dialog.h"
#include "delete_dialog.h"
#include "history_export.h"
#include "info_window.h"
#include "ledger.h"
#include "move_minutes_dialog.h"
#include "other_computers.h"
#include "prompts.h"
#include "radio_group.h"
#include "range_dialog.h"
#include "save_status.h"
#include "time_dialog.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

const QString kSwitchesToday = QStringLiteral("Switches Today : ");

} // namespace

TForm1::TForm1(Ledger &ledger, Prompts &prompts, QWidget *parent)
    : QMainWindow(parent), Chart1(new BarChartView), Graph(ledger, *Chart1), ledger_(ledger),
      prompts_(prompts), saveStatus_(new SaveStatus(ledger, prompts, this))
{
    setWindowTitle(QStringLiteral("Hourwise"));
    createWidgets();
    createMenus();
    connectLedger();
    connect(&Graph, &GraphBuilder::marksChanged, this, &TForm1::showGraphMarks);
    Chart1->setLocaleValues(ledger_.locale());
}

void TForm1::createWidgets()
{
    auto *client = new QWidget(this);
    client->setFixedSize(705, 497);
    setCentralWidget(client);

    RG1 = new RadioGroup(4, client);
    PlaceChild(RG1, QRect(0, 0, 705, 217));
    connect(RG1, &RadioGroup::itemChecked, this, &TForm1::RG1Click);

    RadioButton1 = new QRadioButton(QStringLiteral("Nothing Selected"), client);
    PlaceChild(RadioButton1, QRect(8, 232, 145, 17));
    RadioButton1->setChecked(true);
    // Checked by a click, a key or an accessibility action alike; mirrorSelection checks it quietly.
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            RadioButton1Click();
    });

    Label2 = new QLabel(QStringLiteral("Time : "), client);
    Label3 = new QLabel(QStringLiteral("Date : "), client);
    Label1 = new QLabel(kSwitchesToday + QLatin1Char('0'), client);
    // Wide enough for the longest time, date and count.
    const auto placeLine = [](QLabel *label, int top) {
        PlaceChild(label, QRect(8, top, 270, label->sizeHint().height()));
    };
    placeLine(Label2, 280);
    placeLine(Label3, 296);
    placeLine(Label1, 312);
    // In the free space between the switch count and the title, left of the chart.
    SaveStatusLine = new QLabel(client);
    PlaceChild(SaveStatusLine, QRect(8, 336, 272, 48));
    SaveStatusLine->setWordWrap(true);
    SaveStatusLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SaveStatusLine->hide();
    // While another program's version holds the saves back, a link asks
    // again whether to save Hourwise's version; Tab reaches it.
    SaveStatusLine->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(SaveStatusLine, &QLabel::linkActivated, saveStatus_, [this] { saveStatus_->askAgain(); });
    connect(saveStatus_, &SaveStatus::changed, SaveStatusLine, [this](const QString &text) {
        const bool link = saveStatus_->offersSaveOver();
        const QString shown = WithVisibleControls(text);
        SaveStatusLine->setTextFormat(link ? Qt::RichText : Qt::PlainText);
        SaveStatusLine->setText(link ? QStringLiteral("%1<br><a href=\"save\">%2</a>")
                                           .arg(shown.toHtmlEscaped(), SaveStatus::kSaveOverLinkText.toHtmlEscaped())
                                     : shown);
        SaveStatusLine->setVisible(!text.isEmpty());
        if (text.isEmpty())
            showSharingNotes();
    });

    StaticText1 = new QLabel(QStringLiteral("Hourwise"), client);
    QFont titleFont(QStringLiteral("Century"));
    titleFont.setPixelSize(19);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    StaticText1->setFont(titleFont);
    PlaceChild(StaticText1, QRect(64, 392, 110, 27));

    Label4 = new QLabel(QStringLiteral("www.example.org"), client);
    PlaceChild(Label4, QRect(64, 424, 101, 13));

    Button1 = new QPushButton(QStringLiteral("Exit"), client);
    PlaceChild(Button1, QRect(8, 464, 75, 25));
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    // Tab runs through the items, "Nothing Selected" and "Exit".
    RG1->setNextInFocusChain(RadioButton1);
    setTabOrder(RadioButton1, Button1);

    Chart1->setParent(client);
    PlaceChild(Chart1, QRect(288, 216, 416, 281));
    Chart1->setContextMenuPolicy(Qt::CustomContextMenu);

    Timer1 = new QTimer(this);
    Timer1->setInterval(60000);
    Timer1->setTimerType(Qt::PreciseTimer); // a coarse timer may drift by seconds a minute
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
}

void TForm1::onTriggered(QAction *action, const std::function<void()> &handler)
{
    connect(action, &QAction::triggered, this, [this, handler] {
        runCommand(handler);
        showGraphMarks(); // a checkable entry toggles itself on a click; the builder's marks rule
    });
}

bool TForm1::runCommand(const std::function<void()> &handler)
{
    const std::optional<QString> error = ErrorOf(handler);
    if (error)
        saveStatus_->commandFailed(*error);
    return !error;
}

void TForm1::createMenus()
{
    QMenu *items = menuBar()->addMenu(QStringLiteral("&Items"));
    AddItem1 = items->addAction(QStringLiteral("&Add Item"));
    DeleteItem1 = items->addAction(QStringLiteral("&Delete Item"));
    items->addSeparator();
    ShareWithOtherComputers1 = items->addAction(QStringLiteral("&Share with Other Computers..."));
    StopSharing1 = items->addAction(QStringLiteral("S&top Sharing"));
    StopSharing1->setVisible(false);

    QMenu *editTime = menuBar()->addMenu(QStringLiteral("&Edit Time"));
    AddTimetoItem1 = editTime->addAction(QStringLiteral("&Add Time to Item"));
    RemoveTimefromItem1 = editTime->addAction(QStringLiteral("&Deduct from Item"));
    editTime->addSeparator();
    CorrectDay1 = editTime->addAction(QStringLiteral("&Correct Day..."));
    MoveMinutes1 = editTime->addAction(QStringLiteral("&Move Minutes..."));
    editTime->addSeparator();
    Undo1 = editTime->addAction(QStringLiteral("&Undo"));
    Undo1->setShortcut(QKeySequence::Undo);
    Undo1->setEnabled(false);

    QMenu *graph = menuBar()->addMenu(QStringLiteral("&Graph"));
    QMenu *today = graph->addMenu(QStringLiteral("&Today"));
    Today1 = today->menuAction();
    Value1 = today->addAction(QStringLiteral("&Value"));
    Percentage1 = today->addAction(QStringLiteral("&Percentage"));
    QMenu *total = graph->addMenu(QStringLiteral("T&otal"));
    Total1 = total->menuAction();
    Value2 = total->addAction(QStringLiteral("&Value"));
    Percentage2 = total->addAction(QStringLiteral("&Precentage"));
    ChooseDate1 = graph->addAction(QStringLiteral("&Choose Date"));
    ChooseRange1 = graph->addAction(QStringLiteral("Choose &Range..."));
    graph->addSeparator();
    PrintGraph1 = graph->addAction(QStringLiteral("&Print Graph"));
    PrintGraph1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    SaveGraph1 = graph->addAction(QStringLiteral("&Save Graph"));
    SaveGraph1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    graph->addSeparator();
    ExportHistory1 = graph->addAction(QStringLiteral("&Export History..."));
    ThisComputerOnly1 = graph->addAction(QStringLiteral("T&his Computer Only"));
    ThisComputerOnly1->setCheckable(true);
    ThisComputerOnly1->setVisible(false); // while sharing
    connect(ThisComputerOnly1, &QAction::toggled, this, [this](bool only) {
        runCommand([&] { Graph.setThisComputerOnly(only); });
        showComputersCounted();
    });
    for (QAction *mark : {Today1, Value1, Percentage1, Total1, Value2, Percentage2, ChooseDate1, ChooseRange1})
        mark->setCheckable(true);
    showGraphMarks();

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    About1 = help->addAction(QStringLiteral("&About"));
    Help2 = help->addAction(QStringLiteral("&Help"));

    PopupMenu1 = new QMenu(this);
    PrintGraph2 = PopupMenu1->addAction(QStringLiteral("&Print Graph"));
    SaveGraph2 = PopupMenu1->addAction(QStringLiteral("&Save Graph"));
    connect(Chart1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(Chart1->mapToGlobal(at)); });

    onTriggered(AddItem1, [this] { AddItem1Click(); });
    onTriggered(DeleteItem1, [this] { DeleteItem1Click(); });
    onTriggered(AddTimetoItem1, [this] { AddTimetoItem1Click(); });
    onTriggered(RemoveTimefromItem1, [this] { RemoveTimefromItem1Click(); });
    onTriggered(CorrectDay1, [this] { CorrectDay1Click(); });
    onTriggered(MoveMinutes1, [this] { MoveMinutes1Click(); });
    onTriggered(Undo1, [this] { Undo1Click(); });
    onTriggered(Value1, [this] { Graph.Value1Click(); });
    onTriggered(Percentage1, [this] { Graph.Percentage1Click(); });
    onTriggered(Value2, [this] { Graph.Value2Click(); });
    onTriggered(Percentage2, [this] { Graph.Percentage2Click(); });
    onTriggered(Today1, [] {});
    onTriggered(Total1, [] {});
    onTriggered(ChooseDate1, [this] { ChooseDate1Click(); });
    onTriggered(ChooseRange1, [this] { ChooseRange1Click(); });
    for (QAction *print : {PrintGraph1, PrintGraph2})
        onTriggered(print, [this] { PrintGraph1Click(); });
    for (QAction *save : {SaveGraph1, SaveGraph2})
        onTriggered(save, [this] { SaveGraph1Click(); });
    onTriggered(About1, [this] { About1Click(); });
    onTriggered(Help2, [this] { Help2Click(); });

    // Ctrl+Q is "Exit".
    auto *exitKey = new QAction(this);
    exitKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    addAction(exitKey);
    connect(exitKey, &QAction::triggered, this, &TForm1::Button1Click);
    onTriggered(ExportHistory1, [this] { ExportHistory1Click(); });
}

void TForm1::setOtherComputers(OtherComputers *others)
{
    if (others_)
        disconnect(others_, nullptr, this, nullptr);
    others_ = others;
    Graph.setOtherComputers(others);
    StopSharing1->setVisible(others);
    ThisComputerOnly1->setVisible(others);
    ShareWithOtherComputers1->setVisible(!others);
    if (others) {
        connect(others, &OtherComputers::changed, this, [this] {
            showComputersCounted();
            showSharingNotes();
        });
    }
    showComputersCounted();
    showSharingNotes();
    if (ledger_.isLoaded())
        runCommand([this] { ledger_.SaveAll(); }); // redraws the view with the computers now counted
}

void TForm1::showComputersCounted()
{
    const int computers = Graph.ComputersCounted();
    setWindowTitle(computers > 1 ? QStringLiteral("Hourwise (%1 computers)").arg(computers)
                                 : QStringLiteral("Hourwise"));
}

// What the other computers' folders hold that is not counted, in the status
// line while no failed save needs it; the whole list in its tooltip.
void TForm1::showSharingNotes()
{
    const QStringList notes = others_ ? others_->skipped() : QStringList();
    SaveStatusLine->setToolTip(notes.join(QLatin1Char('\n')));
    if (!saveStatus_->text().isEmpty())
        return;
    QString text;
    if (!notes.isEmpty())
        text = notes.first()
            + (notes.size() > 1 ? QStringLiteral(" (and %1 more)").arg(notes.size() - 1) : QString());
    SaveStatusLine->setTextFormat(Qt::PlainText);
    SaveStatusLine->setText(WithVisibleControls(text));
    SaveStatusLine->setAccessibleDescription(notes.join(QLatin1Char('\n')));
    SaveStatusLine->setVisible(!text.isEmpty());
}

void TForm1::showGraphMarks()
{
    const GraphMenuMarks &marks = Graph.Marks;
    Today1->setChecked(marks.Today1);
    Value1->setChecked(marks.Value1);
    Percentage1->setChecked(marks.Percentage1);
    Total1->setChecked(marks.Total1);
    Value2->setChecked(marks.Value2);
    Percentage2->setChecked(marks.Percentage2);
    ChooseDate1->setChecked(marks.ChooseDate1);
    ChooseRange1->setChecked(marks.ChooseRange1);
}

void TForm1::connectLedger()
{
    connect(&ledger_, &Ledger::itemsReloaded, this, [this] { RG1->setItems(ledger_.state().ItemTable.Names); });
    connect(&ledger_, &Ledger::selectionChanged, this, &TForm1::mirrorSelection);
    connect(&ledger_, &Ledger::switchCountChanged, this,
            [this](int count) { Label1->setText(kSwitchesToday + QString::number(count)); });
    connect(&ledger_, &Ledger::undoChanged, this, [this] {
        const QString caption = ledger_.UndoCaption();
        const QString shown = QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
        Undo1->setText(caption.isEmpty() ? QStringLiteral("&Undo") : QLatin1Char('&') + shown);
        Undo1->setEnabled(!caption.isEmpty());
    });
}

void TForm1::mirrorSelection(int checkedIndex)
{
    RG1->setCheckedIndex(checkedIndex);
    const QSignalBlocker quiet(RadioButton1); // mirroring the ledger is no selection
    RadioButton1->setAutoExclusive(false);
    RadioButton1->setChecked(checkedIndex == -1);
    RadioButton1->setAutoExclusive(true);
    QFont font = RadioButton1->font();
    font.setBold(ledger_.state().NothingSelectedBold);
    RadioButton1->setFont(font);
}

void TForm1::CreateDialogs()
{
    if (Form2)
        return;
    Form2 = new TForm2(ledger_, prompts_, this);
    Form3 = new TForm3(ledger_, prompts_, Modes, this);
    Form4 = new TForm4(ledger_, Graph, prompts_, this);
    Form5 = new TForm5(Modes, this);
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::FormShow()
{
    Timer2Timer();
    const bool loaded = runCommand([this] { ledger_.StartupLoad(); });
    if (!loaded && !ledger_.isLoaded()) {
        // The files could not be read: end without writing any of them.
        startupFailed_ = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    Timer1->start();
    Timer2->start();
    // What watches the desktop may ask the session bus: after the window is up.
    QTimer::singleShot(0, this, [this] { emit started(); });
}

void TForm1::Timer1Timer()
{
    // No box opens in here: the timer would not fire again until it closed.
    const std::optional<QString> error = ErrorOf([this] { ledger_.MinuteTick(); });
    if (error)
        saveStatus_->tickFailed(*error);
}

void TForm1::Timer2Timer()
{
    const QDateTime now = ledger_.now();
    const LocaleValues &locale = ledger_.locale();
    const QString time = QStringLiteral("Time : ") + locale.formatLongTime(now.time());
    const QString date = QStringLiteral("Date : ") + locale.formatShortDate(now.date());
    // Only a changed text repaints, which keeps the idle cost low.
    if (Label2->text() != time)
        Label2->setText(time);
    if (Label3->text() != date)
        Label3->setText(date);
}

void TForm1::RG1Click(int index)
{
    RunGuarded(prompts_, [this, index] { ledger_.SelectItem(index); });
    mirrorSelection(ledger_.state().CheckedIndex);
}

void TForm1::RadioButton1Click()
{
    ledger_.SelectItem(-1);
    mirrorSelection(ledger_.state().CheckedIndex);
}

void TForm1::Button1Click()
{
    // Saves, then closes, which saves again. A failure is not shown here:
    // the close's own save then fails too and asks whether to quit anyway,
    // the same question as the close box.
    [[maybe_unused]] const std::optional<QString> error = ErrorOf([this] { ledger_.SaveAll(); });
    close();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // FormClose. When this last save fails, quitting would lose what it did
    // not write: the user decides, and by default the program keeps running.
    const std::optional<QString> error = ErrorOf([this] { ledger_.SaveAll(); });
    if (error && !saveStatus_->confirmQuitUnsaved(*error)) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TForm1::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LocaleChange) {
        ledger_.setLocale(LocaleValues::fromSystem());
        Chart1->setLocaleValues(ledger_.locale());
    }
    QMainWindow::changeEvent(event);
}

void TForm1::AddItem1Click()
{
    const QString name
        = prompts_.InputBox(QStringLiteral("Add item"), QStringLiteral("Name of new item"), QString());
    if (name.isEmpty())
        return;
    const QString problem = Ledger::NameProblem(name);
    if (!problem.isEmpty()) {
        prompts_.Error(problem);
        return;
    }
    ledger_.AddItem(name);
}

void TForm1::DeleteItem1Click()
{
    CreateDialogs();
    Form2->exec();
    ledger_.SaveAll();
}

void TForm1::showTimeDialog(bool add)
{
    CreateDialogs();
    const int checked = ledger_.state().CheckedIndex;
    Form3->setWindowTitle(add ? QStringLiteral("Add Time") : QStringLiteral("Deduct Time"));
    Form3->Label1->setText(add ? QStringLiteral("Select item to add time to:")
                               : QStringLiteral("Select item to remove time from:"));
    Form3->Label2->setText(add ? QStringLiteral("Amount to add (minutes)")
                               : QStringLiteral("Amount to deduct (minutes)"));
    Modes.TimeEditMode = add ? 1 : 0;
    Form3->exec();
    ledger_.ReloadSaveAndRestore(checked);
}

void TForm1::AddTimetoItem1Click()
{
    showTimeDialog(true);
}

void TForm1::RemoveTimefromItem1Click()
{
    showTimeDialog(false);
}

void TForm1::ChooseDate1Click()
{
    CreateDialogs();
    const GraphViewState previous = Graph.viewState();
    if (Form4->exec() == QDialog::Accepted)
        Graph.DrawGraph();
    else
        Graph.restoreViewState(previous); // nothing the user did not confirm changes the chart
}

void TForm1::ChooseRange1Click()
{
    if (!RangeForm)
        RangeForm = new RangeDialog(ledger_, Graph, prompts_, this);
    if (RangeForm->exec() != QDialog::Accepted)
        return;
    Graph.DrawGraph();
    // Told over the chart, as the export tells it over the written file.
    if (!RangeForm->leftOutMessage().isEmpty())
        prompts_.Error(RangeForm->leftOutMessage());
}

void TForm1::CorrectDay1Click()
{
    if (!CorrectForm)
        CorrectForm = new CorrectDayDialog(ledger_, prompts_, this);
    if (CorrectForm->exec() == QDialog::Accepted && !CorrectForm->changes().isEmpty())
        ledger_.CorrectDay(CorrectForm->chosenDate(), CorrectForm->changes());
}

void TForm1::MoveMinutes1Click()
{
    if (!MoveForm)
        MoveForm = new MoveMinutesDialog(ledger_, prompts_, this);
    if (MoveForm->exec() == QDialog::Accepted)
        ledger_.MoveMinutes(MoveForm->chosenDate(), MoveForm->from(), MoveForm->to(), MoveForm->minutes());
}

void TForm1::Undo1Click()
{
    ledger_.Undo();
}

void TForm1::PrintGraph1Click()
{
    if (!prompts_.Confirm(QStringLiteral("Do you want to print the current graph ?")))
        return;
    if (!printer_)
        printer_ = std::make_unique<QPrinter>();
    if (!prompts_.ChoosePrinter(*printer_))
        return;
    Chart1->PrintGraphPage(*printer_);
}

void TForm1::SaveGraph1Click()
{
    if (!prompts_.Confirm(QStringLiteral("Do you want to save the current graph ?")))
        return;
    const QString path = prompts_.SavePictureFileName(lastPicturePath_);
    if (path.isEmpty())
        return;
    lastPicturePath_ = path;
    Chart1->SaveChartBitmap(path);
}

void TForm1::ExportHistory1Click()
{
    std::optional<DayRange> range;
    if (Graph.showsRange()
        && prompts_.Confirm(QStringLiteral("Export only the days on the chart, ")
                            + RangeText(Graph.ShownRange, ledger_.locale()) + QStringLiteral(" ?")))
        range = Graph.ShownRange;
    // The file dialog does not ask about replacing a file; this does, and
    // a No opens the dialog again on the same name.
    QString path = lastCsvPath_.isEmpty() ? ProposedExportPath() : lastCsvPath_;
    do {
        path = prompts_.SaveCsvFileName(path);
        if (path.isEmpty())
            return;
    } while (QFileInfo::exists(path)
             && !prompts_.ConfirmLoss(QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(path)));
    lastCsvPath_ = path;
    const QString leftOut = ExportHistory(ledger_, path, range, Graph.countedOthers());
    if (!leftOut.isEmpty())
        prompts_.Error(leftOut);
}

void TForm1::About1Click()
{
    CreateDialogs();
    Modes.InfoMode = 2;
    Form5->exec();
}

void TForm1::Help2Click()
{
    CreateDialogs();
    Modes.InfoMode = 1;
    Modes.ComputersCounted = Graph.ComputersCounted();
    Form5->exec();
}
