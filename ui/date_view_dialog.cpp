#include "date_view_dialog.h"

#include "day_block.h"
#include "day_calendar.h"
#include "day_key.h"
#include "appearance.h"
#include "dialog_keys.h"
#include "graph_builder.h"
#include "ledger.h"
#include "line_file.h"
#include "prompts.h"
#include "switch_log.h"
#include "text_convert.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <utility>

namespace {

const QString kTitleGap = QStringLiteral("   ");

// Field n (0-based) of a history line: the text between colons n−1 and n.
// A line with fewer colons gives the rest of the line as its last field and
// empty text for the fields beyond it.
QString historyField(const QString &line, int n)
{
    return line.section(QLatin1Char(':'), n, n);
}

} // namespace

TForm4::TForm4(Ledger &ledger, GraphBuilder &graph, Prompts &prompts, QWidget *parent)
    : QDialog(parent), ledger_(ledger), graph_(graph), prompts_(prompts)
{
    setWindowTitle(QStringLiteral("Choose date"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(252, 339);
    createWidgets();
}

void TForm4::createWidgets()
{
    Label1 = new QLabel(QStringLiteral("Select date :"), this);
    PlaceChild(Label1, QRect(QPoint(16, 16), Label1->sizeHint()));

    // Qt's calendar draws today like any other day, so no mark needs removing.
    MonthCalendar1 = CreateDayCalendar(Label1, this);
    // The day shown selected is the chosen day, however it was selected: a
    // click, the keys or a screen reader.
    connect(MonthCalendar1, &QCalendarWidget::selectionChanged, this,
            [this] { MonthCalendar1Click(MonthCalendar1->selectedDate()); });

    RadioButton2 = new QRadioButton(QStringLiteral("Value"), this);
    PlaceChild(RadioButton2, QRect(24, 224, 113, 17));
    RadioButton2->setChecked(true);
    connect(RadioButton2, &QRadioButton::clicked, this, &TForm4::RadioButton2Click);
    RadioButton1 = new QRadioButton(QStringLiteral("Percentage"), this);
    PlaceChild(RadioButton1, QRect(24, 248, 113, 17));
    connect(RadioButton1, &QRadioButton::clicked, this, &TForm4::RadioButton1Click);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    PlaceChild(Button1, QRect(40, 296, 75, 25));
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    PlaceChild(Button2, QRect(144, 296, 75, 25));
    connect(Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
    // Not auto-default: the dialog would otherwise make OK its default button.
    for (QPushButton *button : {Button1, Button2})
        button->setAutoDefault(false);

    // The tab chain: see focusNextPrevChild.
}

QCalendarWidget *CreateDayCalendar(QLabel *label, QWidget *parent)
{
    auto *calendar = new QCalendarWidget(parent);
    PlaceChild(calendar, QRect(32, 40, 191, 154));
    SetUpDayCalendar(calendar, label->text());
    label->setBuddy(calendar);
    return calendar;
}

void TForm4::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // the window system showing it again, for instance after minimising
    CenterOnScreen(*this);
    FormActivate();
}

void TForm4::FormActivate()
{
    const QDate today = ledger_.now().date();
    ChosenJulian = JulianAtMidnight(today);
    MonthCalendar1->setSelectedDate(today);
    MonthCalendar1->setCurrentPage(today.year(), today.month());
    RadioButton2->setChecked(true);
    graph_.GraphMode = 5;
    MonthCalendar1->setFocus();
}

void TForm4::keyPressEvent(QKeyEvent *event)
{
    if (!HandleButtonlessDialogKey(this, event))
        QDialog::keyPressEvent(event);
}

// The dialog's chain stops at each of its five controls in turn.
bool TForm4::focusNextPrevChild(bool next)
{
    const QList<QWidget *> chain{MonthCalendar1, Button1, RadioButton1, RadioButton2, Button2};
    return MoveFocusAlongChain(chain, focusWidget(), next) || QDialog::focusNextPrevChild(next);
}

void TForm4::MonthCalendar1Click(QDate date)
{
    ChosenJulian = JulianAtMidnight(date);
}

void TForm4::RadioButton2Click()
{
    graph_.GraphMode = 5;
}

void TForm4::RadioButton1Click()
{
    graph_.GraphMode = 6;
}

void TForm4::Button2Click()
{
    reject();
}

void TForm4::Button1Click()
{
    // A file or number error is shown in the standard error box; the dialog stays open.
    RunGuarded(prompts_, [this] { ChartChosenDay(); });
}

void TForm4::ChartChosenDay()
{
    ChosenDayKey = FloatToStr(ChosenJulian, ledger_.locale());
    DayBlock.clear();
    DayLineCount = 0;
    // Every line counts, so a day written in two runs (the clock set back)
    // counts twice. Keys match by value: a history written under a locale
    // with the other decimal separator shows its days all the same.
    DayLines found = FindDayLines(ReadFileBytes(ledger_.filePath(Ledger::HistoryFileName)), ChosenJulian,
                                  ledger_.locale());
    DayLineCount = found.count;
    DayBlock = std::move(found.block);
    DaySwitchText = findSwitchText();
    // This computer's lines; the graph builder adds the other computers'.
    GraphViewState::ChosenDay day{DateOfJulian(ChosenJulian), {}, {}, dateTextOfKey(ChosenDayKey), DaySwitchText, {}};
    for (const QString &line : std::as_const(DayBlock)) {
        day.title = dateTextOfKey(historyField(line, 0));
        day.labels << historyField(line, 1);
        day.minutes << StrToInt(historyField(line, 2));
    }
    bool whole = false;
    if (const qint32 count = TryStrToInt(DaySwitchText.section(QStringLiteral(" : "), 1), &whole); whole)
        day.switches = count;
    const GraphViewState before = graph_.viewState();
    graph_.SetDayView(day);
    if (graph_.BarCount == 0) {
        graph_.restoreViewState(before); // the menu's marks too
        prompts_.Information(QStringLiteral("No data for ") + dateTextOfKey(ChosenDayKey)
                             + QStringLiteral(" exists"));
        return;
    }
    accept();
}

QString TForm4::findSwitchText() const
{
    // The count stored in the day's entry as every view takes it, shown as
    // it stands in the log.
    const QStringList lines = SwitchLinesThroughToday(ledger_.state());
    const SwitchEntries entries = FindSwitchEntries(lines, ledger_.locale());
    const auto entry = entries.lastKeyLine.constFind(DateOfJulian(ChosenJulian));
    return entry == entries.lastKeyLine.cend() ? QString() : QStringLiteral("Switches : ") + lines.value(*entry + 1);
}

QString TForm4::dateTextOfKey(const QString &key) const
{
    return ledger_.locale().formatShortDate(DateOfJulian(StrToDayKey(key, ledger_.locale())));
}
