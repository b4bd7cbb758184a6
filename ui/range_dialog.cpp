#include "range_dialog.h"

#include "appearance.h"
#include "day_calendar.h"
#include "dialog_keys.h"
#include "graph_builder.h"
#include "ledger.h"
#include "left_out.h"
#include "prompts.h"
#include "switch_log.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>

namespace {

// The history's day keys reach from year 1 to 9999, but a range is held day
// by day; these bounds keep the longest one to a few megabytes.
const QDate kEarliestDay(1900, 1, 1);
const QDate kLatestDay(2199, 12, 31);

} // namespace

RangeDialog::RangeDialog(Ledger &ledger, GraphBuilder &graph, Prompts &prompts, QWidget *parent)
    : QDialog(parent), ledger_(ledger), graph_(graph), prompts_(prompts)
{
    setWindowTitle(QStringLiteral("Choose range"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(504, 379);
    createCalendars();
    createFaceAndButtons();
}

// Two calendars as the date view has one, side by side; the first day never
// lies after the last: moving one past the other moves both.
void RangeDialog::createCalendars()
{
    const auto make = [this](QLabel *&label, QCalendarWidget *&calendar, const QString &caption, int left) {
        label = new QLabel(caption, this);
        PlaceChild(label, QRect(QPoint(left - 16, 16), label->sizeHint()));
        calendar = new QCalendarWidget(this);
        PlaceChild(calendar, QRect(left, 40, 191, 154));
        calendar->setDateRange(kEarliestDay, kLatestDay);
        calendar->setFirstDayOfWeek(ledger_.locale().locale.firstDayOfWeek());
        SetUpDayCalendar(calendar, caption);
        label->setBuddy(calendar);
    };
    make(FirstLabel, FirstCalendar, QStringLiteral("First day :"), 32);
    make(LastLabel, LastCalendar, QStringLiteral("Last day :"), 281);
    connect(FirstCalendar, &QCalendarWidget::selectionChanged, this, [this] {
        if (FirstCalendar->selectedDate() > LastCalendar->selectedDate())
            LastCalendar->setSelectedDate(FirstCalendar->selectedDate());
    });
    connect(LastCalendar, &QCalendarWidget::selectionChanged, this, [this] {
        if (LastCalendar->selectedDate() < FirstCalendar->selectedDate())
            FirstCalendar->setSelectedDate(LastCalendar->selectedDate());
    });
}

QPushButton *RangeDialog::addQuickButton(const QString &caption, QuickRange choice, int column)
{
    auto *button = new QPushButton(caption, this);
    PlaceChild(button, QRect(44 + column * 84, 208, 80, 25));
    connect(button, &QPushButton::clicked, this, [this, choice] {
        chooseRange(QuickRangeOf(choice, ledger_.now().date(), ledger_.locale().locale.firstDayOfWeek()));
    });
    return button;
}

void RangeDialog::createFaceAndButtons()
{
    ThisWeekButton = addQuickButton(QStringLiteral("This Week"), QuickRange::ThisWeek, 0);
    LastWeekButton = addQuickButton(QStringLiteral("Last Week"), QuickRange::LastWeek, 1);
    ThisMonthButton = addQuickButton(QStringLiteral("This Month"), QuickRange::ThisMonth, 2);
    LastMonthButton = addQuickButton(QStringLiteral("Last Month"), QuickRange::LastMonth, 3);
    ThisYearButton = addQuickButton(QStringLiteral("This Year"), QuickRange::ThisYear, 4);

    ValueButton = new QRadioButton(QStringLiteral("Value"), this);
    PlaceChild(ValueButton, QRect(24, 248, 113, 17));
    ValueButton->setChecked(true);
    PercentageButton = new QRadioButton(QStringLiteral("Percentage"), this);
    PlaceChild(PercentageButton, QRect(24, 272, 113, 17));
    DaysButton = new QRadioButton(QStringLiteral("Days"), this);
    PlaceChild(DaysButton, QRect(24, 296, 113, 17));

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    PlaceChild(OkButton, QRect(160, 336, 75, 25));
    connect(OkButton, &QPushButton::clicked, this, &RangeDialog::OkButtonClick);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    PlaceChild(CancelButton, QRect(268, 336, 75, 25));
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    // Not auto-default: the dialog would otherwise make OK its default button.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
}

void RangeDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // the window system showing it again, for instance after minimising
    CenterOnScreen(*this);
    FormActivate();
}

void RangeDialog::FormActivate()
{
    ThisWeekButton->click();
    ValueButton->setChecked(true);
    FirstCalendar->setFocus();
}

void RangeDialog::keyPressEvent(QKeyEvent *event)
{
    if (!HandleButtonlessDialogKey(this, event))
        QDialog::keyPressEvent(event);
}

bool RangeDialog::focusNextPrevChild(bool next)
{
    const QList<QWidget *> chain{FirstCalendar,   LastCalendar,   ThisWeekButton, LastWeekButton,
                                 ThisMonthButton, LastMonthButton, ThisYearButton, ValueButton,
                                 PercentageButton, DaysButton,     OkButton,       CancelButton};
    return MoveFocusAlongChain(chain, focusWidget(), next) || QDialog::focusNextPrevChild(next);
}

DayRange RangeDialog::chosenRange() const
{
    return {FirstCalendar->selectedDate(), LastCalendar->selectedDate()};
}

void RangeDialog::chooseRange(const DayRange &range)
{
    // The last day first, so that the first never passes it on the way.
    LastCalendar->setSelectedDate(kLatestDay);
    FirstCalendar->setSelectedDate(range.first);
    LastCalendar->setSelectedDate(range.last);
    FirstCalendar->setCurrentPage(range.first.year(), range.first.month());
    LastCalendar->setCurrentPage(range.last.year(), range.last.month());
}

int RangeDialog::chosenMode() const
{
    if (PercentageButton->isChecked())
        return 8;
    return DaysButton->isChecked() ? 9 : 7;
}

void RangeDialog::OkButtonClick()
{
    // A history file that cannot be read is shown in the standard error box; the dialog stays open.
    RunGuarded(prompts_, [this] { ChartRange(); });
}

void RangeDialog::ChartRange()
{
    const HistoryRange range = graph_.ReadRange(chosenRange());
    const QString rangeText = RangeText(range.range, ledger_.locale());
    if (!range.hasLines()) {
        prompts_.Information(QStringLiteral("No data for ") + rangeText + QStringLiteral(" exists"));
        return;
    }
    leftOutMessage_ = LeftOutMessage(QStringLiteral("The chart of ") + rangeText + QStringLiteral(" was drawn"),
                                     range.leftOut);
    graph_.SetRangeView(range, chosenMode());
    accept();
}
