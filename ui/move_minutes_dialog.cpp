#include "move_minutes_dialog.h"

#include "appearance.h"
#include "day_calendar.h"
#include "ledger.h"
#include "prompts.h"
#include "text_fit.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

MoveMinutesDialog::MoveMinutesDialog(Ledger &ledger, Prompts &prompts, QWidget *parent)
    : ItemDialog(QStringLiteral("Move Minutes"), QSize(254, 282), parent),
      Label1(new QLabel(QStringLiteral("Move minutes from:"), this)), ComboBox1(new ItemComboBox(this)),
      Label2(new QLabel(QStringLiteral("to:"), this)), ComboBox2(new ItemComboBox(this)),
      Label3(new QLabel(QStringLiteral("Minutes to move:"), this)), Edit1(new QLineEdit(this)),
      Label4(new QLabel(QStringLiteral("On the day:"), this)), DateEdit1(new QDateEdit(this)),
      Button1(new QPushButton(QStringLiteral("OK"), this)), Button2(new QPushButton(QStringLiteral("Cancel"), this)),
      ledger_(ledger), prompts_(prompts)
{
    PlaceChild(Label1, QRect(QPoint(24, 16), Label1->sizeHint()));
    PlaceChild(ComboBox1, QRect(24, 32, 209, 21));
    PlaceChild(Label2, QRect(QPoint(24, 64), Label2->sizeHint()));
    PlaceChild(ComboBox2, QRect(24, 80, 209, 21));
    PlaceChild(Label3, QRect(QPoint(24, 112), Label3->sizeHint()));
    PlaceChild(Edit1, QRect(24, 128, 209, 21));
    PlaceChild(Label4, QRect(QPoint(24, 160), Label4->sizeHint()));
    PlaceChild(DateEdit1, QRect(24, 176, 209, 21));
    DateEdit1->setCalendarPopup(true);
    // Its pop-up calendar looks, reads out and takes Enter as the dialogs' calendars do.
    SetUpDayCalendar(DateEdit1->calendarWidget(), Label4->text());
    PlaceChild(Button1, QRect(32, 232, 81, 25));
    PlaceChild(Button2, QRect(136, 232, 81, 25));
    Label1->setBuddy(ComboBox1);
    Label2->setBuddy(ComboBox2);
    Label3->setBuddy(Edit1);
    Label4->setBuddy(DateEdit1);
    ComboBox1->setAccessibleLabel(Label1->text());
    ComboBox2->setAccessibleLabel(QStringLiteral("Move minutes to:"));
    Edit1->setAccessibleName(Label3->text());
    DateEdit1->setAccessibleName(Label4->text());
    setTabOrder(ComboBox1, ComboBox2);
    setTabOrder(ComboBox2, Edit1);
    setTabOrder(Edit1, DateEdit1);
    setTabOrder(DateEdit1, Button1);
    setTabOrder(Button1, Button2);
    connect(DateEdit1, &QDateEdit::dateChanged, this,
            [this](QDate date) { RunGuarded(prompts_, [&] { ShowDay(date); }); });
    connect(Button1, &QPushButton::clicked, this, &MoveMinutesDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void MoveMinutesDialog::FormActivate()
{
    const QDate today = ledger_.now().date();
    DateEdit1->setDisplayFormat(ledger_.locale().shortDateFormat);
    for (QLabel *label : {Label1, Label2, Label3, Label4})
        KeepWholeText(label); // measured in the font the dialog is shown with
    {
        const QSignalBlocker quiet(DateEdit1);
        DateEdit1->setDate(today);
    }
    RunGuarded(prompts_, [&] { ShowDay(today); });
    const int checked = ledger_.state().CheckedIndex;
    if (day_.isToday && checked >= 0)
        ComboBox1->setCurrentIndex(checked);
    Edit1->setText(QStringLiteral("0"));
    Edit1->selectAll();
    (checked >= 0 ? static_cast<QWidget *>(ComboBox2) : ComboBox1)->setFocus();
}

void MoveMinutesDialog::ShowDay(QDate date)
{
    // The day is fixed here, as the lists it fills: midnight passing while
    // the dialog is open does not move the minutes to another day.
    day_ = DayMinutes();
    day_.date = date;
    ComboBox1->fillItems({});
    ComboBox2->fillItems({});
    day_ = ledger_.MinutesOfDay(date);
    ComboBox1->fillItems(day_.names);
    ComboBox2->fillItems(day_.names);
}

void MoveMinutesDialog::Button1Click()
{
    const int fromLine = ComboBox1->chosenIndex(), toLine = ComboBox2->chosenIndex();
    if (fromLine < 0 || toLine < 0)
        return;
    bool ok = false;
    const qint32 minutes = TryStrToInt(Edit1->text(), &ok);
    const DayLineRef from = RefOfLine(day_.names, fromLine), to = RefOfLine(day_.names, toLine);
    // Text that is no number is refused as no minutes are.
    const QString refusal = ledger_.WhyNotMove(day_.date, from, to, ok ? minutes : 0);
    if (!refusal.isEmpty()) {
        prompts_.Error(refusal);
        return;
    }
    from_ = from;
    to_ = to;
    minutes_ = minutes;
    accept();
}
