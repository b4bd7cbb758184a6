#include "help_text.h"

namespace {

// Hard line breaks keep the paragraphs narrower than the text box, which
// wraps any line that is still too long for it.
const char kHelpText[] = R"(Hourwise gives you an estimate of how you spend your working time. It is
meant for anyone who feels short of hours, or who cannot give each of their
projects the time it deserves. There are no schedules to plan and no diaries
to keep: you tell Hourwise what you are doing, and it counts the minutes.
Over weeks and months it shows you how your use of time changes.

Introduction

When Hourwise starts for the first time it holds one example item, "Add
something". Add your own items, then delete the example if you do not need
it (see below).

Each item has a radio button in the main window. Check the item you are
about to work on and carry on with that task: every minute Hourwise adds
one minute to the checked item. For example, check your email item while
you read your mail, and when you move on to the next task, check that
task's item instead. Check "Nothing Selected" when you take a break.

The minutes are kept for every item and shown as a bar chart in the main
window. You can look at today, at the totals of all days together, or at
any earlier day. The chart follows the minutes once a minute, so a change
of selection takes up to a minute to show in it.

Adding/Removing items

To add an item, choose "Items" > "Add Item" and type the item's name. A name
cannot contain a colon (:) or a line break.

To remove an item, choose "Items" > "Delete Item", pick the item from the
list, press OK and confirm. Removing an item loses its minutes of today and
its total. The records of earlier days keep its lines, so those days can
still be charted with it.

After an item has been added or removed, nothing is selected: check an item
again to go on counting.

You can add as many items as you like, but with fewer than 40 the chart
stays readable.

Editing Time

Sometimes the wrong item stays checked, for instance when you are called to
an urgent meeting and leave without changing the selection. You can then
correct the minutes by hand:

To take minutes away, choose "Edit Time" > "Deduct from Item", pick the
item, type the number of minutes to remove and press OK.

To add minutes, choose "Edit Time" > "Add Time to Item", pick the item, type
the number of minutes to add and press OK.

The change applies to the item's minutes of today and to its total alike.
The amount must be a whole number.

To set any day right, choose "Edit Time" > "Correct Day...", pick the day in
the calendar, type the minutes each item should have had and press OK. The
difference each value makes is shown beside it; every item's total changes
by the same difference.

To move minutes from one item to another, choose "Edit Time" > "Move
Minutes...": the checked item is proposed to move from, today is the day.
Pick the other item, type the minutes and press OK.

"Edit Time" > "Undo" (Ctrl+Z) takes back the last correction, move,
addition or deduction, one at a time; the entry names what it undoes.

A day's minutes cannot go below 0 for an item, nor above 1,440 for all
items together; such a change is refused and nothing is changed.

Graphs

By default the chart shows today's minutes per item ("Graph" > "Today" >
"Value"). "Graph" > "Today" > "Percentage" shows each item's share of today
in percent.

"Graph" > "Total" shows the time since you first used Hourwise: "Value" in
minutes, and the entry below it (spelt "Precentage" in the menu) as each
item's share in percent.

"Graph" > "Choose Date" opens a window with a calendar. Click the date you
want, choose "Value" (minutes) or "Percentage" and press OK. If there are no
data for that date, a message says so and no new chart is drawn. The chosen
day stays on the chart until you choose another view in the "Graph" menu.

"Graph" > "Choose Range..." charts a span of days, such as last week or this
month: pick the first and the last day in the two calendars, or press one of
the buttons "This Week", "Last Week", "This Month", "Last Month" and "This
Year". "Value" and "Percentage" show each item's minutes over the span, or
its share; "Days" shows one bar per day with its minutes, and under it the
day's date and switch count. A long span shows as many days as the chart has
room for: drag with the right mouse button to move along it, and undo a zoom
to come back to the last days. While a span is on the chart, "Export
History..." offers to export only its days.

To look closely at part of the chart, drag a rectangle over it with the left
mouse button, from top left to bottom right; drag the other way to go back
to the whole chart. Drag with the right mouse button to move the picture.

Printing and saving Graphs

Any chart that is on the screen can be printed or saved. First bring up the
chart you want (see Graphs), then right-click the chart or open the "Graph"
menu, and choose "Print Graph" or "Save Graph". Answer Yes to the question.

"Print Graph" lets you choose a printer and prints the chart on one page in
landscape. "Save Graph" asks for a file name and saves the chart as a bitmap
picture (.bmp).

Switches

The "Switches Today" line in the main window counts how many times today you
switched to an item. A high count at the end of the day means you changed
tasks constantly; a low one means long stretches of steady work. When you
chart an earlier day with "Choose Date", that day's count stands in the
chart's title; over a span of days, the sum stands there.

Several computers

If you work on more than one computer, let every view count them all:
choose "Items" > "Share with Other Computers..." and pick a folder that a
sync tool (Syncthing, Nextcloud, Dropbox) or a network share keeps in step
between them, the same folder on each computer (or start Hourwise with
--shared-folder DIR). Hourwise moves this computer's files into a subfolder
of its own there, named after the computer, and never writes another
computer's subfolder, so the sync tool has nothing to merge. Today, Total,
"Choose Date", "Choose Range" and the export then add up the minutes and
switches of every computer, items matched by name; the chart's title says
how many computers it counts, and "Graph" > "This Computer Only" shows this
one alone. The items, the switch count under them and the away question
stay this computer's. Conflict copies and half-synced files that a sync
tool leaves are not counted; the line under the switch count names them.
"Items" > "Stop Sharing" moves the files back.

Helpful Tips

- Leave Hourwise running all day. It needs very few resources and goes on
counting while its window is minimised.

- Let Hourwise start with your desktop session: add Hourwise in your
desktop's "Startup Applications" settings, or copy its desktop entry,
/usr/share/applications/org.example.Hourwise.desktop, into
~/.config/autostart. Hourwise stores its data every minute, so nothing is
lost when you log off without closing it.

- Avoid blanks in item names and use an underscore instead (Team_meeting
rather than Team meeting). That makes it easier to import the data into
other programs.

Additional information

Hourwise keeps its data in three files in the folder it runs in
(~/.local/share/hourwise when started with the hourwise command or from
the menu): data.txc holds today's and the total minutes, completedata.txc
the minutes of every day, and help.txc the daily switch counts.

The history can be analysed in a spreadsheet or statistics program: open
completedata.txc in a text editor and save a copy under a name ending in
.txt. Never edit the .txc files themselves: Hourwise may stop working if
they are changed.

Import the copy as text delimited by colons. The first column is the date
as a Julian date (2460676.5 is 1 January 2025; subtract 2415018.5 to get a
spreadsheet date), the second the item and the third the minutes of that
item on that date. The first line, "0:", only marks the start of the file.

You can then, for example, compare an item's minutes from day to day or
week to week, work out the average time per day for each item, or see how
much the time you give an item varies.

Two ideas for planned use. Estimate how long each of your tasks should take,
and switch to the next task when its item reaches the estimate. Or, with
every item starting at zero, deduct the planned minutes from each item
("Edit Time" > "Deduct from Item"): more time can be deducted than an item
holds, and the chart then shows a negative bar. Work on a task until its
item is back at zero, then switch to the next.

Versions of Hourwise adapted to other uses can be made on request.
Contact: hourwise@example.org, www.example.org
)";

} // namespace

QString HelpText(int computersCounted)
{
    QString text = QString::fromUtf8(kHelpText);
    if (computersCounted > 1) {
        const QString counted = QStringLiteral("Every view now counts %1 computers: this one and %2 other%3.\n")
                                    .arg(computersCounted)
                                    .arg(computersCounted - 1)
                                    .arg(computersCounted > 2 ? QStringLiteral("s") : QString());
        text.insert(text.indexOf(QStringLiteral("\nHelpful Tips\n")), QStringLiteral("\n") + counted);
    }
    return text;
}
