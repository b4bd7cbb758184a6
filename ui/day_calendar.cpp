#include "day_calendar.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QTextCharFormat>
#include <QToolButton>

namespace {

// Sees the keys that a calendar's parts (the year field) leave unhandled on
// their way up to the dialog.
class CalendarEnterFilter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        static_cast<QWidget *>(watched)->setFocus(Qt::OtherFocusReason);
        return true;
    }
};

// Qt's month arrows carry only a picture.
void nameMonthArrow(QCalendarWidget *calendar, const char *objectName, const QString &name)
{
    if (auto *arrow = calendar->findChild<QToolButton *>(QLatin1String(objectName))) {
        arrow->setAccessibleName(name);
        arrow->setToolTip(name);
    }
}

} // namespace

void SetUpDayCalendar(QCalendarWidget *calendar, const QString &name)
{
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    QTextCharFormat dayNames = calendar->headerTextFormat();
    dayNames.setFontPointSize(7);
    calendar->setHeaderTextFormat(dayNames);
    calendar->setAccessibleName(name);
    calendar->focusProxy()->setAccessibleName(name);
    nameMonthArrow(calendar, "qt_calendar_prevmonth", QStringLiteral("Previous month"));
    nameMonthArrow(calendar, "qt_calendar_nextmonth", QStringLiteral("Next month"));
    calendar->installEventFilter(new CalendarEnterFilter(calendar));
}
