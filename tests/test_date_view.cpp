// "Choose Date" driven through the real main window and date view dialog on
// data files written before start-up: which day is charted, the title, the
// no-data message, errors, and what Cancel and later saves leave on the chart.

#include "bar_chart_view.h"
#include "date_view_dialog.h"
#include "appearance.h"
#include "ledger_fixture.h"
#include "main_window.h"
#include "range_dialog.h"
#include "scripted_prompts.h"
#include "text_clipping.h"

#include <QAccessible>
#include <QCalendarWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

const QDate kToday(2026, 12, 8);
const QDate kPastDay(2026, 12, 1);
const QDate kOtherDay(2026, 11, 13);

// What the chart shows, in one comparable line.
QString picture(const BarChartView &chart)
{
    QStringList bars;
    for (int i = 0; i < chart.Series1.count(); ++i)
        bars << chart.Series1.label(i) + QLatin1Char('=') + QString::number(chart.Series1.value(i));
    const QString marks = chart.Series1.marksStyle() == MarksStyle::smsPercent ? QStringLiteral("%")
                                                                                : QStringLiteral("value");
    return chart.titleLines().join(QLatin1Char('/')) + QStringLiteral(" | ") + chart.leftAxisTitle()
        + QStringLiteral(" | ") + marks + QStringLiteral(" | ") + bars.join(QLatin1Char(' '));
}

GraphMenuMarks chosenDayMarks()
{
    GraphMenuMarks marks;
    marks.Today1 = marks.Value1 = false;
    marks.ChooseDate1 = true;
    return marks;
}

void pickDate(TForm4 &dialog, QDate date)
{
    dialog.MonthCalendar1->setSelectedDate(date);
}

// Types a year into a calendar's year field, which a click on the year
// shown opens, and presses Enter there.
void enterYear(QCalendarWidget *calendar, const QString &year)
{
    calendar->findChild<QToolButton *>(QStringLiteral("qt_calendar_yearbutton"))->click();
    auto *field = calendar->findChild<QSpinBox *>(QStringLiteral("qt_calendar_yearedit"));
    QVERIFY(field->hasFocus());
    QTest::keyClicks(field, year);
    QTest::keyClick(field, Qt::Key_Return);
}

} // namespace

class TestDateView : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<LedgerFixture> files_;
    std::unique_ptr<ScriptedPrompts> prompts_;
    std::unique_ptr<TForm1> form_;

    // Day keys under the fixture's point locale; also used by the _data tables, before init().
    static QString key(QDate date) { return FloatToStr(JulianAtMidnight(date), LocaleValues()); }

    // Starts the program on five items A..E with 1..5 minutes today and
    // 10..50 in total, the given history (today's block is appended by the
    // start-up) and switch log.
    void start(const QStringList &history, const QStringList &switches)
    {
        QStringList data;
        const QStringList names{"A", "B", "C", "D", "E"};
        for (int i = 0; i < names.size(); ++i)
            data << QStringLiteral("%1:%2:%3:").arg(key(kToday), names[i]).arg(i + 1);
        for (int i = 0; i < names.size(); ++i)
            data << QStringLiteral("T:%1:%2:").arg(names[i]).arg(10 * (i + 1));
        files_->writeLines(Ledger::DataFileName, data);
        files_->writeLines(Ledger::HistoryFileName, history);
        files_->writeLines(Ledger::SwitchFileName, switches);
        form_ = std::make_unique<TForm1>(files_->make(), *prompts_);
        form_->CreateDialogs();
        form_->show();
        QVERIFY(files_->ledger->isLoaded());
    }

    // Runs "Graph" > "Choose Date" with the actions done while the dialog is
    // shown. A dialog the actions leave open is cancelled, so the test ends.
    void chooseDate(const std::function<void(TForm4 &)> &actions)
    {
        TForm4 &dialog = *form_->Form4;
        QTimer::singleShot(0, &dialog, [&] {
            actions(dialog);
            if (dialog.isVisible())
                dialog.reject();
        });
        form_->ChooseDate1->trigger();
    }

    // Runs "Graph" > "Choose Range..." as chooseDate runs "Choose Date".
    void chooseRange(const std::function<void(RangeDialog &)> &actions)
    {
        QTimer::singleShot(0, form_.get(), [&] {
            RangeDialog &dialog = *form_->RangeForm;
            actions(dialog);
            if (dialog.isVisible())
                dialog.reject();
        });
        form_->ChooseRange1->trigger();
    }

    // The standard switch log: the past day had 9 switches, today 4.
    static QStringList switchLog() { return {key(kPastDay), "9", key(kToday), "4"}; }

private slots:
    // The fonts the program uses, so that the texts are measured as users see them.
    void initTestCase() { ApplyDesktopFonts(); }
    void init()
    {
        files_ = std::make_unique<LedgerFixture>();
        files_->now = QDateTime(kToday, QTime(9, 0));
        prompts_ = std::make_unique<ScriptedPrompts>();
    }

    void cleanup()
    {
        form_.reset();
        prompts_.reset();
        files_.reset();
    }

    void okAtOnceChartsToday()
    {
        start({}, switchLog());
        bool activated = false;
        chooseDate([&](TForm4 &dialog) {
            activated = dialog.MonthCalendar1->selectedDate() == kToday && dialog.RadioButton2->isChecked()
                && form_->Graph.GraphMode == 5;
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        });
        QVERIFY(activated);
        QCOMPARE(form_->Form4->result(), int(QDialog::Accepted));
        QCOMPARE(picture(*form_->Chart1),
                 QStringLiteral("08/12/2026   Switches : 4 | Minutes | value | A=1 B=2 C=3 D=4 E=5"));
        QCOMPARE(form_->Graph.GraphMode, 5);
        QVERIFY(form_->Graph.Marks == chosenDayMarks());
        QVERIFY(form_->ChooseDate1->isChecked());
        QVERIFY(!form_->Today1->isChecked() && !form_->Value1->isChecked());
    }

    void chartsChosenDay_data()
    {
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("percentage");
        QTest::addColumn<int>("dayLines");
        QTest::addColumn<QString>("expected");
        const QString past = key(kPastDay);
        const QString other = key(kOtherDay);
        QTest::newRow("three lines while five items exist")
            << QStringList{past + ":Old:7:", past + ":Mail:8:", past + ":Calls:9:"} << switchLog() << kPastDay << false << 3
            << "01/12/2026   Switches : 9 | Minutes | value | Old=7 Mail=8 Calls=9";
        QTest::newRow("no switch entry: three spaces end the title")
            << QStringList{other + ":A:5:"} << switchLog() << kOtherDay << false << 1 << "13/11/2026    | Minutes | value | A=5";
        QTest::newRow("percentage of 1 and 7")
            << QStringList{past + ":A:1:", past + ":B:7:"} << switchLog() << kPastDay << true << 2
            << "01/12/2026   Switches : 9 | Percentage | % | A=12 B=87";
        QTest::newRow("a day in two runs: the block ends with its last line")
            << QStringList{past + ":A:1:", past + ":B:2:", other + ":A:3:", other + ":B:4:", past + ":C:5:"}
            << switchLog() << kPastDay << false << 3
            << "01/12/2026   Switches : 9 | Minutes | value | A=3 B=4 C=5";
        QTest::newRow("a line without its last colon")
            << QStringList{past + ":A:6"} << switchLog() << kPastDay << false << 1
            << "01/12/2026   Switches : 9 | Minutes | value | A=6";
        QTest::newRow("the last matching switch entry wins")
            << QStringList{past + ":A:1:"} << QStringList{past, "2", past, "3", key(kToday), "0"} << kPastDay << false << 1
            << "01/12/2026   Switches : 3 | Minutes | value | A=1";
    }

    void chartsChosenDay()
    {
        QFETCH(QStringList, history);
        QFETCH(QStringList, switches);
        QFETCH(QDate, day);
        QFETCH(bool, percentage);
        QFETCH(int, dayLines);
        QFETCH(QString, expected);
        start(history, switches);
        chooseDate([&](TForm4 &dialog) {
            if (percentage)
                QTest::mouseClick(dialog.RadioButton1, Qt::LeftButton);
            pickDate(dialog, day);
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        });
        QVERIFY(prompts_->log.isEmpty());
        QCOMPARE(picture(*form_->Chart1), expected);
        QCOMPARE(form_->Graph.GraphMode, percentage ? 6 : 5);
        QCOMPARE(form_->Form4->DayLineCount, dayLines);
    }

    void noDataKeepsDialogOpen()
    {
        start({key(kPastDay) + ":A:1:", key(kPastDay) + ":B:7:"}, switchLog());
        const QString before = picture(*form_->Chart1);
        const GraphMenuMarks marksBefore = form_->Graph.Marks;
        bool stayedOpen = false;
        QString whileOpen;
        chooseDate([&](TForm4 &dialog) {
            QTest::mouseClick(dialog.RadioButton1, Qt::LeftButton);
            pickDate(dialog, QDate(2026, 12, 20));
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
            stayedOpen = dialog.isVisible() && form_->Graph.Marks == marksBefore;
            whileOpen = picture(*form_->Chart1);
            pickDate(dialog, kPastDay);
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        });
        QCOMPARE(prompts_->log, QStringList{"Information: No data for 20/12/2026 exists"});
        QVERIFY(stayedOpen);
        QCOMPARE(whileOpen, before);
        // The face chosen before the message still applies.
        QCOMPARE(picture(*form_->Chart1),
                 QStringLiteral("01/12/2026   Switches : 9 | Percentage | % | A=12 B=87"));
    }

    // A history and switch log written under a comma locale chart under the
    // point locale: keys match by value, and a count line that holds the
    // key's whole part is not taken for the key.
    void historyOfAnotherDecimalSeparatorIsCharted()
    {
        LocaleValues comma;
        comma.decimalSeparator = QLatin1Char(',');
        comma.thousandsSeparator = QLatin1Char('.');
        const QString commaKey = FloatToStr(JulianAtMidnight(kPastDay), comma);
        QVERIFY(commaKey != key(kPastDay));
        const QString wholePart = commaKey.section(QLatin1Char(','), 0, 0);
        start({commaKey + ":A:1:", commaKey + ":B:7:"}, {key(kPastDay.addDays(-1)), wholePart, commaKey, "3"});
        chooseDate([&](TForm4 &dialog) {
            pickDate(dialog, kPastDay);
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        });
        QVERIFY(prompts_->log.isEmpty());
        QCOMPARE(picture(*form_->Chart1), QStringLiteral("01/12/2026   Switches : 3 | Minutes | value | A=1 B=7"));
    }

    void errorsKeepDialogOpen_data()
    {
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<QString>("error");
        const QString past = key(kPastDay);
        QTest::newRow("minutes not a number") << QStringList{past + ":A:1:", past + ":B:x:"}
                                              << "'x' is not a valid integer value.";
        QTest::newRow("a key without fields") << QStringList{past} << "'' is not a valid integer value.";
        QTest::newRow("a key in the block not a number")
            << QStringList{past + ":A:1:", "junk:B:2:", past + ":C:3:"}
            << "'junk' is not a valid floating point value.";
    }

    void errorsKeepDialogOpen()
    {
        QFETCH(QStringList, history);
        QFETCH(QString, error);
        start(history, switchLog());
        const QString before = picture(*form_->Chart1);
        bool stayedOpen = false;
        chooseDate([&](TForm4 &dialog) {
            pickDate(dialog, kPastDay);
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
            stayedOpen = dialog.isVisible();
        });
        QCOMPARE(prompts_->standardErrors, QStringList{error});
        QVERIFY(stayedOpen);
        // Closed without a successful OK: the partly filled day is not drawn.
        QCOMPARE(picture(*form_->Chart1), before);
        QCOMPARE(form_->Graph.GraphMode, 1);
    }

    void unreadableHistoryIsReported()
    {
        start({}, switchLog());
        bool stayedOpen = false;
        chooseDate([&](TForm4 &dialog) {
            const QString history = files_->path(Ledger::HistoryFileName);
            QVERIFY(QFile::remove(history) && QDir().mkdir(history));
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
            stayedOpen = dialog.isVisible();
        });
        QCOMPARE(prompts_->standardErrors.size(), 1);
        QVERIFY2(prompts_->standardErrors.first().startsWith(
                     QStringLiteral("Cannot open file \"%1\". ").arg(files_->path(Ledger::HistoryFileName))),
                 qPrintable(prompts_->standardErrors.first()));
        QVERIFY(stayedOpen);
        QVERIFY(form_->Form4->DayBlock.isEmpty());
    }

    void closingWithoutOkKeepsPreviousView_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("Enter on Cancel") << "enter";
    }

    void closingWithoutOkKeepsPreviousView()
    {
        QFETCH(QString, how);
        start({}, switchLog());
        form_->Graph.Value2Click();
        const QString before = picture(*form_->Chart1);
        const GraphMenuMarks marksBefore = form_->Graph.Marks;
        chooseDate([&](TForm4 &dialog) {
            QTest::mouseClick(dialog.RadioButton1, Qt::LeftButton);
            if (how == "cancel") {
                QTest::mouseClick(dialog.Button2, Qt::LeftButton);
            } else if (how == "close") {
                dialog.close();
            } else {
                dialog.Button2->setFocus();
                QTest::keyClick(dialog.Button2, Qt::Key_Return);
            }
        });
        QCOMPARE(form_->Form4->result(), int(QDialog::Rejected));
        QCOMPARE(form_->Graph.GraphMode, 3);
        QVERIFY(form_->Graph.Marks == marksBefore);
        QVERIFY(form_->Value2->isChecked() && !form_->ChooseDate1->isChecked());
        QCOMPARE(picture(*form_->Chart1), before);

        // The live view goes on following the saves.
        files_->ledger->SelectItem(0);
        files_->ledger->MinuteTick();
        QCOMPARE(form_->Chart1->Series1.value(0), 11.0);
    }

    void keysOfTheDialog()
    {
        start({}, switchLog());
        bool openAfterEscape = false;
        bool openAfterEnterInCalendar = false;
        chooseDate([&](TForm4 &dialog) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            openAfterEscape = dialog.isVisible();
            dialog.MonthCalendar1->setFocus();
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
            openAfterEnterInCalendar = dialog.isVisible();
            dialog.Button1->setFocus();
            QTest::keyClick(dialog.Button1, Qt::Key_Return);
        });
        QVERIFY(openAfterEscape);
        QVERIFY(openAfterEnterInCalendar);
        QVERIFY(!form_->Form4->Button1->isDefault() && !form_->Form4->Button2->isDefault());
        QCOMPARE(form_->Form4->result(), int(QDialog::Accepted));
    }

    // Enter in a calendar's year field shows that year's month and leaves
    // the focus on the calendar: the control after it in the chain (OK,
    // "This Week") is not pressed, and the dialogs stay open.
    void enterInAYearFieldTakesOnlyTheYear()
    {
        start({}, switchLog());
        QStringList seen;
        const auto note = [&seen](QDialog &dialog, QCalendarWidget *calendar) {
            seen << QStringLiteral("%1 %2/%3 %4")
                        .arg(dialog.isVisible() ? "open" : "closed")
                        .arg(calendar->monthShown())
                        .arg(calendar->yearShown())
                        .arg(dialog.focusWidget() == calendar->focusProxy() ? "calendar" : "elsewhere");
        };
        chooseDate([&](TForm4 &dialog) {
            QApplication::setActiveWindow(&dialog);
            enterYear(dialog.MonthCalendar1, "2025");
            note(dialog, dialog.MonthCalendar1);
        });
        chooseRange([&](RangeDialog &dialog) {
            QApplication::setActiveWindow(&dialog);
            dialog.LastMonthButton->click();
            for (QCalendarWidget *calendar : {dialog.FirstCalendar, dialog.LastCalendar}) {
                enterYear(calendar, "2025");
                note(dialog, calendar);
            }
            seen << dialog.chosenRange().first.toString(Qt::ISODate) + " " + dialog.chosenRange().last.toString(Qt::ISODate);
        });
        QCOMPARE(seen, (QStringList{"open 12/2025 calendar", "open 11/2025 calendar", "open 11/2025 calendar",
                                    "2026-11-01 2026-11-30"}));
    }

    // Keys alone: an arrow picks the day before, Tab runs calendar, OK,
    // "Percentage", "Value", "Cancel", and OK charts the day shown selected.
    void keyboardPicksTheDay()
    {
        const QDate yesterday = kToday.addDays(-1);
        start({key(yesterday) + ":A:6:"}, switchLog());
        QList<QWidget *> visited;
        QString calendarName;
        chooseDate([&](TForm4 &dialog) {
            QApplication::setActiveWindow(&dialog);
            QCOMPARE(dialog.focusWidget(), dialog.MonthCalendar1->focusProxy());
            calendarName = QAccessible::queryAccessibleInterface(dialog.focusWidget())->text(QAccessible::Name);
            for (const char *arrow : {"qt_calendar_prevmonth", "qt_calendar_nextmonth"})
                calendarName += " | " + dialog.MonthCalendar1->findChild<QToolButton *>(arrow)->accessibleName();
            QCOMPARE(ClippedTexts(&dialog).join(" | "), QString());
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Left);
            for (int i = 0; i < 5; ++i) {
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
                visited << dialog.focusWidget();
            }
            dialog.Button1->setFocus();
            QTest::keyClick(dialog.Button1, Qt::Key_Space);
        });
        QCOMPARE(visited, (QList<QWidget *>{form_->Form4->Button1, form_->Form4->RadioButton1,
                                            form_->Form4->RadioButton2, form_->Form4->Button2,
                                            form_->Form4->MonthCalendar1->focusProxy()}));
        QCOMPARE(calendarName, QStringLiteral("Select date : | Previous month | Next month"));
        QCOMPARE(picture(*form_->Chart1), QStringLiteral("07/12/2026    | Minutes | value | A=6"));
    }

    void chosenDayStaysUntilViewCommand()
    {
        start({key(kPastDay) + ":A:7:"}, switchLog());
        chooseDate([&](TForm4 &dialog) {
            QTest::mouseClick(dialog.RadioButton1, Qt::LeftButton);
            pickDate(dialog, kPastDay);
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        });
        const QString chosen = picture(*form_->Chart1);
        QCOMPARE(chosen, QStringLiteral("01/12/2026   Switches : 9 | Percentage | % | A=100"));

        files_->ledger->SelectItem(0);
        files_->ledger->MinuteTick();
        files_->ledger->SaveAll();
        QCOMPARE(picture(*form_->Chart1), chosen);
        QVERIFY(files_->lines(Ledger::HistoryFileName).contains(key(kToday) + ":A:2:"));

        // Every showing starts afresh on today with "Value".
        bool fresh = false;
        chooseDate([&](TForm4 &dialog) {
            fresh = dialog.RadioButton2->isChecked() && !dialog.RadioButton1->isChecked()
                && dialog.MonthCalendar1->selectedDate() == kToday
                && dialog.ChosenJulian == JulianAtMidnight(kToday);
        });
        QVERIFY(fresh);
        QCOMPARE(form_->Graph.GraphMode, 6);

        form_->Value1->trigger();
        QCOMPARE(picture(*form_->Chart1),
                 QStringLiteral("Today: 08/12/2026 | Minutes | value | A=2 B=2 C=3 D=4 E=5"));
        QVERIFY(form_->Value1->isChecked() && !form_->ChooseDate1->isChecked());
    }

    // A correction of the chosen day, or of a day in the charted range, is
    // drawn at once; one of another day leaves the chart as it was.
    void correctedDayIsDrawnAgain()
    {
        start({key(kPastDay) + ":A:7:", key(kPastDay) + ":B:1:"}, switchLog());
        chooseDate([&](TForm4 &dialog) {
            pickDate(dialog, kPastDay);
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        });
        files_->ledger->CorrectDay(kPastDay, {{{"A", 0}, -4}});
        const QString day = picture(*form_->Chart1);
        QCOMPARE(day, QStringLiteral("01/12/2026   Switches : 9 | Minutes | value | A=3 B=1"));
        files_->ledger->CorrectDay(kToday, {{{"A", 0}, 5}});
        QCOMPARE(picture(*form_->Chart1), day);

        chooseRange([&](RangeDialog &dialog) {
            dialog.chooseRange({kPastDay, kToday});
            QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
        });
        QVERIFY(picture(*form_->Chart1).endsWith("A=9 B=3 C=3 D=4 E=5"));
        files_->ledger->MoveMinutes(kPastDay, {"B", 0}, {"A", 0}, 1);
        QVERIFY(picture(*form_->Chart1).endsWith("A=10 B=2 C=3 D=4 E=5"));
    }

    // The quick choices cover whole weeks from the locale's first day, whole
    // months and the year; today 8 Dec 2026 is a Tuesday, 13 Dec a Sunday.
    void quickChoicesFollowTheWeekStart_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        const QDate sunday(2026, 12, 13);
        QTest::newRow("Sunday-first this week") << "en_US" << kToday << "This Week" << QDate(2026, 12, 6) << QDate(2026, 12, 12);
        QTest::newRow("Monday-first this week") << "de_DE" << kToday << "This Week" << QDate(2026, 12, 7) << QDate(2026, 12, 13);
        QTest::newRow("Sunday-first on a Sunday") << "en_US" << sunday << "This Week" << sunday << QDate(2026, 12, 19);
        QTest::newRow("Monday-first on a Sunday") << "de_DE" << sunday << "This Week" << QDate(2026, 12, 7) << sunday;
        QTest::newRow("Sunday-first last week") << "en_US" << kToday << "Last Week" << QDate(2026, 11, 29) << QDate(2026, 12, 5);
        QTest::newRow("Monday-first last week") << "de_DE" << kToday << "Last Week" << QDate(2026, 11, 30) << QDate(2026, 12, 6);
        QTest::newRow("this month") << "de_DE" << kToday << "This Month" << QDate(2026, 12, 1) << QDate(2026, 12, 31);
        QTest::newRow("last month in January") << "en_US" << QDate(2026, 1, 15) << "Last Month" << QDate(2025, 12, 1) << QDate(2025, 12, 31);
        QTest::newRow("this year") << "en_US" << kToday << "This Year" << QDate(2026, 1, 1) << QDate(2026, 12, 31);
    }

    void quickChoicesFollowTheWeekStart()
    {
        QFETCH(QString, locale);
        QFETCH(QDate, today);
        QFETCH(QString, button);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        files_->locale.locale = QLocale(locale);
        files_->now = QDateTime(today, QTime(9, 0));
        start({}, {});
        DayRange chosen;
        chooseRange([&](RangeDialog &dialog) {
            for (QPushButton *quick : dialog.findChildren<QPushButton *>())
                if (quick->text() == button)
                    QTest::mouseClick(quick, Qt::LeftButton);
            chosen = dialog.chosenRange();
        });
        QCOMPARE(chosen.first, first);
        QCOMPARE(chosen.last, last);
    }

    // A range with no data says so and stays open; OK then charts the range
    // in the face chosen, leaving out a damaged line and naming it, and the
    // range stays on the chart through saves until a view command. Export
    // offers the range shown.
    void rangeIsChartedUntilViewCommand()
    {
        start({key(kOtherDay) + ":X:5:", key(kPastDay) + ":A:1:", key(kPastDay) + ":B:7:", key(kPastDay) + ":C:3x0:"},
              switchLog());
        bool stayedOpen = false;
        chooseRange([&](RangeDialog &dialog) {
            QCOMPARE(ClippedTexts(&dialog).join(" | "), QString());
            QCOMPARE(dialog.chosenRange(), (DayRange{QDate(2026, 12, 7), QDate(2026, 12, 13)})); // Monday-first C locale
            dialog.chooseRange({QDate(2026, 11, 14), QDate(2026, 11, 30)});
            QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
            stayedOpen = dialog.isVisible();
            dialog.chooseRange({kPastDay, kToday});
            QTest::mouseClick(dialog.PercentageButton, Qt::LeftButton);
            dialog.OkButton->setFocus();
            QTest::keyClick(dialog.OkButton, Qt::Key_Return);
        });
        QCOMPARE(prompts_->log,
                 (QStringList{"Information: No data for 14/11/2026 \u2013 30/11/2026 exists",
                              "Error: The chart of 01/12/2026 \u2013 08/12/2026 was drawn without 1 line of the "
                              "history that cannot be read: a day that is no date, or minutes or a switch count "
                              "that is no whole number.\ncompletedata.txc, line 4: "
                                  + key(kPastDay) + ":C:3x0:"}));
        QVERIFY(stayedOpen);
        const QString range = QStringLiteral("01/12/2026 \u2013 08/12/2026   Switches : 13 | Percentage | % | ");
        QCOMPARE(picture(*form_->Chart1), range + "A=9 B=39 C=13 D=17 E=22");
        QVERIFY(form_->ChooseRange1->isChecked() && !form_->ChooseDate1->isChecked() && !form_->Today1->isChecked());
        form_->Timer1Timer();
        QCOMPARE(picture(*form_->Chart1), range + "A=9 B=39 C=13 D=17 E=22");

        prompts_->csvAnswers << files_->path("range.csv");
        form_->ExportHistory1->trigger();
        QVERIFY(prompts_->log.contains("Confirm: Export only the days on the chart, 01/12/2026 \u2013 08/12/2026 ?"));
        const QByteArray csv = files_->bytes("range.csv");
        QVERIFY(csv.contains("2026-12-01,A,1,\r\n") && csv.contains("2026-12-08,E,5,\r\n"));
        QVERIFY(!csv.contains("2026-11-13"));

        form_->Value2->trigger();
        QCOMPARE(form_->Graph.GraphMode, 3);
        QVERIFY(!form_->ChooseRange1->isChecked());
    }

    // A day that stands twice in the switch log has the count of its last
    // entry in the date view, the range's title, its Days label and the
    // export; today's is the entry counted into, the first of its two.
    void dayLoggedTwiceHasOneCountEverywhere()
    {
        const QDate between = kPastDay.addDays(1);
        start({key(kPastDay) + ":A:1:", key(between) + ":A:2:"},
              {key(kPastDay), "5", key(between), "2", key(kPastDay), "9", key(kToday), "4", key(kToday), "7"});
        chooseDate([&](TForm4 &dialog) {
            pickDate(dialog, kPastDay);
            QTest::mouseClick(dialog.Button1, Qt::LeftButton);
        });
        QCOMPARE(form_->Chart1->titleLines(), QStringList{"01/12/2026   Switches : 9"});

        chooseRange([&](RangeDialog &dialog) {
            dialog.chooseRange({kPastDay, kToday});
            // On its circle: the short "Days" ends before the button's middle, where a click misses.
            QTest::mouseClick(dialog.DaysButton, Qt::LeftButton, {}, QPoint(8, 8));
            QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
        });
        const BarChartView &chart = *form_->Chart1;
        QCOMPARE(chart.titleLines(), QStringList{"01/12/2026 \u2013 08/12/2026   Switches : 15"});
        QCOMPARE(chart.Series1.label(0), QStringLiteral("Tue 1 Dec \u00b7 9 switches"));
        QCOMPARE(chart.Series1.label(7), QStringLiteral("Tue 8 Dec \u00b7 4 switches"));

        prompts_->csvAnswers << files_->path("days.csv");
        form_->ExportHistory1->trigger();
        const QByteArray csv = files_->bytes("days.csv");
        QVERIFY(csv.contains("2026-12-01,,,9\r\n") && csv.contains("2026-12-08,,,4\r\n"));
        QVERIFY(!prompts_->log.join('\n').contains("Error"));
    }
};

QTEST_MAIN(TestDateView)
#include "test_date_view.moc"
