#include "correct_day_dialog.h"

#include "date_view_dialog.h"
#include "appearance.h"
#include "dialog_keys.h"
#include "ledger.h"
#include "line_file.h"
#include "prompts.h"
#include "text_convert.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

CorrectDayDialog::CorrectDayDialog(Ledger &ledger, Prompts &prompts, QWidget *parent)
    : QDialog(parent), ledger_(ledger), prompts_(prompts)
{
    setWindowTitle(QStringLiteral("Correct Day"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(520, 339);

    Label1 = new QLabel(QStringLiteral("Select date :"), this);
    PlaceChild(Label1, QRect(QPoint(16, 16), Label1->sizeHint()));
    MonthCalendar1 = CreateDayCalendar(Label1, this);
    connect(MonthCalendar1, &QCalendarWidget::selectionChanged, this,
            [this] { RunGuarded(prompts_, [this] { ShowDay(MonthCalendar1->selectedDate()); }); });
    SwitchLabel = new QLabel(this);
    PlaceChild(SwitchLabel, QRect(32, 224, 191, 17));

    MinutesLabel = new QLabel(this);
    PlaceChild(MinutesLabel, QRect(256, 16, 248, 17));
    LinesArea = new QScrollArea(this);
    PlaceChild(LinesArea, QRect(256, 40, 248, 240));
    LinesArea->setWidgetResizable(true);
    LinesArea->setFocusPolicy(Qt::NoFocus); // the fields inside take the focus
    MinutesLabel->setBuddy(LinesArea);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    PlaceChild(Button1, QRect(320, 296, 75, 25));
    connect(Button1, &QPushButton::clicked, this, &CorrectDayDialog::Button1Click);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    PlaceChild(Button2, QRect(416, 296, 75, 25));
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    for (QPushButton *button : {Button1, Button2})
        button->setAutoDefault(false); // no default button, as in the date view
}

void CorrectDayDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    CenterOnScreen(*this);
    FormActivate();
}

void CorrectDayDialog::FormActivate()
{
    const QDate today = ledger_.now().date();
    const QSignalBlocker quiet(MonthCalendar1);
    MonthCalendar1->setSelectedDate(today);
    MonthCalendar1->setCurrentPage(today.year(), today.month());
    RunGuarded(prompts_, [&] { ShowDay(today); });
    MonthCalendar1->setFocus();
}

void CorrectDayDialog::ShowDay(QDate date)
{
    // The day is fixed here: a minute counted or midnight passing while the
    // dialog is open leaves the day and the minutes the typed ones differ from.
    MinuteEdits.clear();
    DifferenceLabels.clear();
    NoDataLabel = nullptr;
    day_ = DayMinutes();
    day_.date = date;
    auto *lines = new QWidget;
    LinesArea->setWidget(lines); // deletes the previous day's fields
    const QString dateText = ledger_.locale().formatShortDate(date);
    MinutesLabel->setText(QStringLiteral("Minutes on %1 :").arg(dateText));
    LinesArea->setAccessibleName(MinutesLabel->text());
    SwitchLabel->clear();
    day_ = ledger_.MinutesOfDay(date);
    SwitchLabel->setText(QStringLiteral("Switches : ") + day_.switchCount);
    auto *grid = new QGridLayout(lines);
    grid->setAlignment(Qt::AlignTop);
    if (!day_.hasData()) {
        NoDataLabel = new QLabel(QStringLiteral("No data for %1 exists").arg(dateText), lines);
        grid->addWidget(NoDataLabel, 0, 0);
        return;
    }
    for (int line = 0; line < day_.names.size(); ++line)
        addLine(line, lines);
}

void CorrectDayDialog::addLine(int line, QWidget *lines)
{
    auto *grid = static_cast<QGridLayout *>(lines->layout());
    const DayLineRef ref = RefOfLine(day_.names, line);
    QString name = ReadableText(ref.name);
    const bool deleted = !day_.isToday && LineOfRef(ledger_.state().ItemTable.Names, ref) < 0;
    const QString shownName = deleted ? name + QStringLiteral(" (deleted)") : name;
    auto *label = new QLabel(lines);
    auto *edit = new QLineEdit(IntToStr(day_.minutes.at(line)), lines);
    edit->setFixedWidth(56);
    edit->setAccessibleName(QStringLiteral("Minutes of %1").arg(shownName));
    label->setBuddy(edit);
    auto *difference = new QLabel(lines);
    difference->setMinimumWidth(40);
    // A long name is shortened to the room its field leaves, with the whole
    // name in its tool tip, rather than cut off mid-letter.
    const QMargins margins = grid->contentsMargins();
    const int room = LinesArea->width() - 2 * LinesArea->frameWidth()
        - LinesArea->verticalScrollBar()->sizeHint().width() - margins.left() - margins.right()
        - edit->width() - difference->minimumWidth() - 2 * std::max(0, grid->horizontalSpacing());
    label->setFixedWidth(room);
    label->setText(label->fontMetrics().elidedText(shownName, Qt::ElideRight, room));
    if (label->text() != shownName) {
        label->setToolTip(shownName);
        label->setAccessibleName(shownName);
    }
    grid->addWidget(label, line, 0);
    grid->addWidget(edit, line, 1);
    grid->addWidget(difference, line, 2);
    MinuteEdits << edit;
    DifferenceLabels << difference;
    connect(edit, &QLineEdit::textChanged, this, [this, line] { showDifference(line); });
}

void CorrectDayDialog::showDifference(int line)
{
    bool ok = false;
    const qint64 typed = TryStrToInt(MinuteEdits.at(line)->text(), &ok);
    const qint64 difference = typed - day_.minutes.at(line);
    QString text;
    if (!ok)
        text = QStringLiteral("?");
    else if (difference != 0)
        text = (difference > 0 ? QStringLiteral("+") : QString()) + QString::number(difference);
    DifferenceLabels.at(line)->setText(text);
    DifferenceLabels.at(line)->setAccessibleName(text.isEmpty() ? QStringLiteral("unchanged") : text);
}

void CorrectDayDialog::keyPressEvent(QKeyEvent *event)
{
    if (!HandleButtonlessDialogKey(this, event))
        QDialog::keyPressEvent(event);
}

// Tab runs through the calendar, the day's fields, OK and Cancel.
bool CorrectDayDialog::focusNextPrevChild(bool next)
{
    QList<QWidget *> chain{MonthCalendar1};
    for (QLineEdit *edit : MinuteEdits)
        chain << edit;
    chain << Button1 << Button2;
    return MoveFocusAlongChain(chain, focusWidget(), next) || QDialog::focusNextPrevChild(next);
}

bool CorrectDayDialog::readChanges()
{
    changes_.clear();
    for (int line = 0; line < MinuteEdits.size(); ++line) {
        bool ok = false;
        const qint32 typed = TryStrToInt(MinuteEdits.at(line)->text(), &ok);
        if (!ok) {
            prompts_.Error(QStringLiteral("The minutes of \"%1\" must be an integer value.")
                               .arg(ReadableText(day_.names.at(line))));
            MinuteEdits.at(line)->setFocus();
            return false;
        }
        if (typed != day_.minutes.at(line))
            changes_.append({RefOfLine(day_.names, line), qint64(typed) - day_.minutes.at(line)});
    }
    return true;
}

void CorrectDayDialog::Button1Click()
{
    if (!readChanges())
        return;
    if (!changes_.isEmpty()) {
        const QString refusal = ledger_.WhyNotCorrect(day_.date, changes_);
        if (!refusal.isEmpty()) {
            prompts_.Error(refusal);
            return;
        }
    }
    accept();
}
