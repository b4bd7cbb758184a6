#pragma once

class QCalendarWidget;
class QString;

// Sets up a month calendar of the date and range dialogs: no week numbers
// (they would leave too little room for the day names in its 191 pixels),
// small day names, and names for screen readers: the calendar's and its day
// table's (which takes the focus) `name`, the month arrows' what they do.
//
// Enter in the calendar's year field takes the year and gives the focus
// back to the days; it goes no further. The calendar hides the field before
// the key reaches the dialog, by which time the focus has moved on to the
// next control of the dialog's chain, a button that Enter would press.
void SetUpDayCalendar(QCalendarWidget *calendar, const QString &name);
