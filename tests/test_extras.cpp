// What lies beyond the window: the history export, the tray indicator's menu
// and the away watch, on a ledger in a temporary folder, offscreen.

#include "away_question.h"
#include "away_watch.h"
#include "history_export.h"
#include "radio_group.h"
#include "tray_indicator.h"
#include "window_fixture.h"

#include <QDBusConnection>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QThread>

#include <atomic>

namespace {

// The rows of a CSV file as Python's csv module reads them (strict quoting).
QList<QStringList> pythonCsvRows(const QString &path)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        return {};
    QProcess process;
    process.start(python, {"-c",
                           "import csv, json, sys\n"
                           "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                           "    print(json.dumps(list(csv.reader(f, strict=True))))\n",
                           path});
    process.waitForFinished();
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(process.readAllStandardOutput()).array())
        rows << row.toVariant().toStringList();
    return rows;
}

QStringList menuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QAction *entry(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

struct FakeIdle : IdleSource {
    IdleReading reading;
    std::optional<IdleReading> read() override { return reading; }
};

// A day at the desk, ten seconds at a time: the minute tick on every whole
// minute, a look at the idle time every ten seconds.
struct Desk {
    LedgerFixture f;
    FakeIdle *idle = new FakeIdle;
    std::unique_ptr<AwayWatch> watch;
    QDateTime lastInput;
    QList<AwaySpan> asked;

    // Starts at `start` with the items Writing and Mail, Writing checked.
    explicit Desk(const QDateTime &start)
    {
        f.now = start;
        f.writeItems({"Writing", "Mail"});
        f.start().SelectItem(0);
        watch = std::make_unique<AwayWatch>(*f.ledger, std::unique_ptr<IdleSource>(idle));
        QObject::connect(watch.get(), &AwayWatch::awayEnded, [this](const AwaySpan &span) { asked << span; });
        input();
    }

    void input() { lastInput = f.now; }

    // Runs the clock on to `until`; with `locked`, the screen is locked and any input is the password.
    void runUntil(const QDateTime &until, bool locked = false)
    {
        while (f.now < until) {
            f.now = f.now.addSecs(10);
            if (f.now.time().second() == 0) {
                f.ledger->MinuteTick();
                watch->MinuteTicked();
            }
            idle->reading = IdleReading{lastInput.msecsTo(f.now), locked};
            watch->Poll();
        }
    }

    qint32 today(int item) const { return f.ledger->state().ItemTable.TodayMinutes.at(item); }
    qint32 total(int item) const { return f.ledger->state().ItemTable.TotalMinutes.at(item); }
};

// Stand-ins for the desktop's idle services, answering from a thread of their own.
class FakeMutterIdleMonitor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.IdleMonitor")
public:
    std::atomic<qulonglong> idleMs{0};
public slots:
    qulonglong GetIdletime() { return idleMs; }
};

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    std::atomic<bool> active{false};
    std::atomic<uint> idleSeconds{0};
public slots:
    bool GetActive() { return active; }
    uint GetSessionIdleTime() { return idleSeconds; }
};

QDateTime at(int day, const QString &hhmmss)
{
    return QDateTime(QDate(2026, 12, day), QTime::fromString(hhmmss, "HH:mm:ss"));
}

} // namespace

class TestExtras : public QObject {
    Q_OBJECT
private slots:
    void exportedCsvHoldsEveryDayItemAndSwitchCount();
    void exportCommandSavesFirstAndReportsWriteFailures();
    void trayMenuListsItemsThenItsCommands();
    void trayChoiceIsOneClickInTheRadioGroup();
    void trayFollowsTheLedger();
    void trayShowsTheWindowAndExits();
    void awayQuestionAfterTenMinutesIdle();
    void shortOrUncreditedAbsenceAsksNothing();
    void removeTakesBackNoMoreThanTodayHolds();
    void awayAcrossMidnightKeepsTheEarlierDay();
    void lockedScreenInputDoesNotEndTheAbsence();
    void removeRefusesWhenTheItemMovedOrTheDayIsOver();
    void clockSetBackCountsNoMinuteTwice();
    void questionIsNotModalAndKeepsByDefault();
    void oneQuestionAnsweredUnderAModalDialog();
    void idleTimeFromTheDesktopsDBusServices();
};

void TestExtras::exportedCsvHoldsEveryDayItemAndSwitchCount()
{
    LedgerFixture f;
    const QString k1 = f.key(QDate(2026, 12, 6));
    QString k2 = f.key(QDate(2026, 12, 7));
    k2.replace('.', ','); // a day written under a comma locale
    // Seed line, two days of three items (a comma and quotes, a Latin-1 byte, a negative count),
    // and a switch log whose first day lies before the history.
    f.write(Ledger::HistoryFileName, "0:\r\n" + k1.toUtf8() + ":Mail, \"urgent\":12:\r\n" + k1.toUtf8()
                                         + ":Caf\xE9:$1F:\r\n" + k1.toUtf8() + ":Writing:-5:\r\n" + k2.toUtf8()
                                         + ":Mail, \"urgent\":3:\r\n" + k2.toUtf8() + ":Caf\xE9:0:\r\n"
                                         + k2.toUtf8() + ":Writing:7:\r\n");
    f.writeLines(Ledger::SwitchFileName, {f.key(QDate(2026, 12, 5)), "2", k1, "4", k2, "9", k2, "11"});
    const QByteArray csv = HistoryCsv(f.lines(Ledger::HistoryFileName), f.lines(Ledger::SwitchFileName));
    const QString path = f.path("history.csv");
    f.write("history.csv", csv);

    QVERIFY(csv.startsWith("date,item,minutes,switches\r\n"));
    QVERIFY(csv.contains("2026-12-06,Caf\xC3\xA9,31,\r\n"));
    const QList<QStringList> rows = pythonCsvRows(path);
    if (rows.isEmpty())
        QSKIP("python3 is not installed");
    const QList<QStringList> expected{
        {"date", "item", "minutes", "switches"},
        {"2026-12-05", "", "", "2"},
        {"2026-12-06", "Mail, \"urgent\"", "12", ""},
        {"2026-12-06", "Café", "31", ""},
        {"2026-12-06", "Writing", "-5", ""},
        {"2026-12-06", "", "", "4"},
        {"2026-12-07", "Mail, \"urgent\"", "3", ""},
        {"2026-12-07", "Café", "0", ""},
        {"2026-12-07", "Writing", "7", ""},
        {"2026-12-07", "", "", "9"}, // a day's first entry counts, as at start-up
    };
    QCOMPARE(rows, expected);
}

void TestExtras::exportCommandSavesFirstAndReportsWriteFailures()
{
    WindowFixture f;
    f.writeItems({"Writing"});
    TForm1 &w = f.open();
    w.RG1->button(0)->click();
    f.now = f.now.addSecs(60);
    w.Timer1Timer();
    w.RadioButton1->click();
    w.RG1->button(0)->click(); // a second switch, in memory only until a save

    f.prompts.csvAnswers << f.path("out.csv");
    w.ExportHistory1->trigger();
    QVERIFY(f.prompts.log.contains("SaveCsv: history.csv"));
    QCOMPARE(pythonCsvRows(f.path("out.csv")).mid(1),
             (QList<QStringList>{{"2026-12-08", "Writing", "1", ""}, {"2026-12-08", "", "", "2"}}));

    // The next export proposes the last path; one that cannot be written is reported and nothing is left.
    const QString blocked = f.path("no folder/out.csv");
    f.prompts.csvAnswers << blocked;
    w.ExportHistory1->trigger();
    QVERIFY(f.prompts.log.contains("SaveCsv: " + f.path("out.csv")));
    QCOMPARE(f.prompts.standardErrors.size(), 1);
    QVERIFY(f.prompts.standardErrors.first().startsWith("Cannot create file \"" + blocked + "\". "));
    QVERIFY(!QFile::exists(blocked));
    QVERIFY(w.isVisible());
}

void TestExtras::trayMenuListsItemsThenItsCommands()
{
    WindowFixture f;
    f.writeItems({"Writing", "Fish & Chips"});
    TForm1 &w = f.open();
    QCOMPARE(menuTexts(w.Tray->menu()),
             (QStringList{"Writing", "Fish && Chips", "-", "Nothing Selected", "-", "Show Hourwise", "Exit"}));
    QVERIFY(entry(w.Tray->menu(), "Nothing Selected")->isChecked());
    QVERIFY(!entry(w.Tray->menu(), "Writing")->isChecked());
    QVERIFY(!w.Tray->trayIcon()); // offscreen there is no tray, and nothing else changes
    QCOMPARE(w.Tray->toolTip(), QStringLiteral("Hourwise: Nothing Selected"));
}

void TestExtras::trayChoiceIsOneClickInTheRadioGroup()
{
    WindowFixture f;
    f.writeItems({"Writing", "Mail"});
    TForm1 &w = f.open();
    QMenu *menu = w.Tray->menu();
    entry(menu, "Mail")->trigger();
    QCOMPARE(f.ledger->state().CheckedIndex, 1);
    QVERIFY(w.RG1->button(1)->isChecked());
    QVERIFY(!w.RadioButton1->isChecked());
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 1"));
    // Choosing the checked item again counts nothing and leaves its entry checked.
    entry(menu, "Mail")->trigger();
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 1"));
    QVERIFY(entry(menu, "Mail")->isChecked());

    entry(menu, "Nothing Selected")->trigger();
    QCOMPARE(f.ledger->state().CheckedIndex, -1);
    QVERIFY(w.RadioButton1->isChecked());
    QVERIFY(entry(menu, "Nothing Selected")->isChecked());
    QVERIFY(!entry(menu, "Mail")->isChecked());
    entry(menu, "Mail")->trigger();
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 2"));
}

void TestExtras::trayFollowsTheLedger()
{
    WindowFixture f;
    f.writeItems({"Writing", "Mail"});
    TForm1 &w = f.open();
    w.RG1->button(0)->click();
    QVERIFY(entry(w.Tray->menu(), "Writing")->isChecked());
    QVERIFY(!entry(w.Tray->menu(), "Nothing Selected")->isChecked());
    w.Timer1Timer();
    w.Timer1Timer();
    QCOMPARE(w.Tray->toolTip(), QStringLiteral("Hourwise: \"Writing\" checked, 2 min today"));

    f.prompts.inputAnswers << "Reading";
    w.AddItem1->trigger();
    QCOMPARE(menuTexts(w.Tray->menu()).mid(0, 4), (QStringList{"Writing", "Mail", "Reading", "-"}));
    QVERIFY(entry(w.Tray->menu(), "Nothing Selected")->isChecked());
    QCOMPARE(w.Tray->toolTip(), QStringLiteral("Hourwise: Nothing Selected"));
}

void TestExtras::trayShowsTheWindowAndExits()
{
    WindowFixture f;
    f.writeItems({"Writing"});
    TForm1 &w = f.open();
    w.showMinimized();
    entry(w.Tray->menu(), "Show Hourwise")->trigger();
    QVERIFY(w.isVisible() && !w.isMinimized());

    entry(w.Tray->menu(), "Writing")->trigger();
    entry(w.Tray->menu(), "Exit")->trigger();
    QVERIFY(!w.isVisible());
    QCOMPARE(f.lines(Ledger::SwitchFileName).last(), QStringLiteral("1"));
}

void TestExtras::awayQuestionAfterTenMinutesIdle()
{
    Desk desk(at(8, "12:00:00"));
    desk.runUntil(at(8, "12:03:20"));
    desk.input();
    desk.runUntil(at(8, "12:48:30")); // the user comes back just before this look
    desk.input();
    desk.runUntil(at(8, "12:50:00"));
    QCOMPARE(desk.asked.size(), 1);
    const AwaySpan &span = desk.asked.first();
    QCOMPARE(AwayQuestionText({span}),
             QStringLiteral("You were away from 12:03 to 12:48 (45 minutes) while \"Writing\" was checked. "
                            "Keep these minutes?"));
    // The ticks of 12:04 to 12:48: every minute credited while surely away, none after.
    QCOMPARE(span.creditedToday, 45);
    QCOMPARE(span.creditedEarlier, 0);
    QCOMPARE(span.item, 0);
}

void TestExtras::shortOrUncreditedAbsenceAsksNothing()
{
    Desk desk(at(8, "12:00:00"));
    desk.runUntil(at(8, "12:09:50")); // idle 9 min 50 s
    desk.input();
    desk.f.ledger->SelectItem(-1);
    desk.runUntil(at(8, "12:40:00")); // away half an hour, but nothing checked
    desk.input();
    desk.runUntil(at(8, "12:41:00"));
    QVERIFY(desk.asked.isEmpty());
}

// Remove takes the minutes back and saves, but the user switched nothing:
// no switch is counted and the item stays checked. It never takes more
// than the item still has today.
void TestExtras::removeTakesBackNoMoreThanTodayHolds()
{
    Desk desk(at(8, "12:00:00"));
    desk.runUntil(at(8, "12:30:00"));
    desk.input();
    desk.runUntil(at(8, "12:30:10"));
    QCOMPARE(desk.asked.size(), 1);
    QCOMPARE(desk.asked.first().creditedToday, 30);
    const LedgerState &state = desk.f.ledger->state();
    const int switches = state.SwitchCount;

    QCOMPARE(desk.watch->RemoveAwayMinutes(desk.asked).first().minutes, 30);
    QCOMPARE(desk.today(0), 0);
    QCOMPARE(desk.total(0), 0);
    const QString k = desk.f.today();
    QCOMPARE(desk.f.lines(Ledger::DataFileName),
             (QStringList{k + ":Writing:0:", k + ":Mail:0:", "T:Writing:0:", "T:Mail:0:"}));
    QCOMPARE(desk.f.lines(Ledger::HistoryFileName).mid(1), (QStringList{k + ":Writing:0:", k + ":Mail:0:"}));
    QCOMPARE(state.CheckedIndex, 0);
    QCOMPARE(state.SwitchCount, switches);

    // 20 more minutes away, of which the user has already deducted 15 by hand.
    desk.runUntil(at(8, "12:50:00"));
    desk.input();
    desk.runUntil(at(8, "12:50:10"));
    QCOMPARE(desk.asked.size(), 2);
    QVERIFY(desk.f.ledger->AdjustTime(0, 15, false));
    desk.f.ledger->ReloadSaveAndRestore(0);
    const AwayRemoval removal = desk.watch->RemoveAwayMinutes({desk.asked.last()}).first();
    QCOMPARE(removal.minutes, 5);
    QCOMPARE(desk.today(0), 0);
    QCOMPARE(desk.total(0), 0);
    QCOMPARE(AwayShortfallText(desk.asked.last(), removal),
             QStringLiteral("Only 5 minutes of the 20 minutes were removed for the absence from 12:30 to 12:50: "
                            "that is all \"Writing\" still had today."));
}

void TestExtras::awayAcrossMidnightKeepsTheEarlierDay()
{
    Desk desk(at(7, "23:35:00"));
    desk.runUntil(at(7, "23:40:30"));
    desk.input();
    desk.runUntil(at(8, "00:30:30"));
    desk.input();
    desk.runUntil(at(8, "00:30:40"));
    QCOMPARE(desk.asked.size(), 1);
    const AwaySpan &span = desk.asked.first();
    QCOMPARE(span.creditedEarlier, 19); // 23:41 to 23:59
    QCOMPARE(span.creditedToday, 31);   // 00:00 to 00:30
    QCOMPARE(AwayQuestionText({span}),
             QStringLiteral("You were away from 23:40 to 00:30 (50 minutes) while \"Writing\" was checked. "
                            "The 19 minutes credited before midnight stay with the day before. Keep these minutes?"));
    const QStringList before = desk.f.lines(Ledger::HistoryFileName);
    QCOMPARE(desk.watch->RemoveAwayMinutes({span}).first().minutes, 31);
    QCOMPARE(desk.today(0), 0);
    QCOMPARE(desk.total(0), 24); // 5 + 19 minutes of the day before stay
    const QStringList after = desk.f.lines(Ledger::HistoryFileName);
    QCOMPARE(after.mid(0, 3), before.mid(0, 3)); // the earlier day's block is untouched
    QCOMPARE(after.at(3), desk.f.today() + ":Writing:0:");
}

void TestExtras::lockedScreenInputDoesNotEndTheAbsence()
{
    Desk desk(at(8, "12:00:00"));
    desk.runUntil(at(8, "12:20:00"), true);
    desk.input(); // the password typed into the locker
    desk.runUntil(at(8, "12:20:30"), true);
    QVERIFY(desk.asked.isEmpty());
    desk.runUntil(at(8, "12:21:00")); // unlocked: the input of 12:20 is the return
    QCOMPARE(desk.asked.size(), 1);
    QCOMPARE(desk.asked.first().creditedToday, 20);
}

void TestExtras::removeRefusesWhenTheItemMovedOrTheDayIsOver()
{
    Desk desk(at(8, "23:00:00"));
    desk.runUntil(at(8, "23:15:00"));
    desk.input();
    desk.runUntil(at(8, "23:15:10"));
    QCOMPARE(desk.asked.size(), 1);
    const AwaySpan span = desk.asked.first();

    desk.f.ledger->DeleteItem(0); // Mail now stands where Writing stood
    QCOMPARE(desk.watch->RemoveAwayMinutes({span}).first().outcome, AwayRemoval::ItemChanged);
    QCOMPARE(desk.today(0), 0);

    // Answered after midnight, before the new day's first tick: the minutes
    // of the day before stay, and the new day loses none.
    Desk late(at(8, "23:00:00"));
    late.runUntil(at(8, "23:15:00"));
    late.input();
    late.runUntil(at(8, "23:59:50"));
    late.f.now = at(9, "00:00:05");
    const QByteArray history = late.f.bytes(Ledger::HistoryFileName);
    const AwayRemoval removal = late.watch->RemoveAwayMinutes(late.asked).first();
    QCOMPARE(removal.outcome, AwayRemoval::DayOver);
    QCOMPARE(AwayShortfallText(late.asked.first(), removal),
             QStringLiteral("No minutes were removed for the absence from 23:00 to 23:15: the day they were "
                            "credited on is over, and minutes are only removed from the day they were credited on."));
    QCOMPARE(late.f.bytes(Ledger::HistoryFileName), history);
    late.f.ledger->MinuteTick();
    QCOMPARE(late.today(0), 1);
    QCOMPARE(late.total(0), 60); // 23:01 to 23:59 and 00:00, all kept
    QCOMPARE(late.watch->RemoveAwayMinutes(late.asked).first().outcome, AwayRemoval::DayOver);
}

void TestExtras::clockSetBackCountsNoMinuteTwice()
{
    Desk desk(at(8, "13:00:00"));
    desk.runUntil(at(8, "13:05:30")); // 13:01 to 13:05 credited after the last input
    desk.f.now = at(8, "12:05:30");   // the clock set back an hour; the idle counter goes on
    desk.lastInput = desk.lastInput.addSecs(-3600);
    desk.input();
    desk.runUntil(at(8, "13:20:00"));
    desk.input();
    desk.runUntil(at(8, "13:20:10"));
    QCOMPARE(desk.asked.size(), 1);
    QCOMPARE(desk.asked.first().creditedToday, 75); // 12:06 to 13:20, the stamps of 13:01 to 13:05 not again
}

void TestExtras::questionIsNotModalAndKeepsByDefault()
{
    Desk desk(at(8, "12:00:00"));
    desk.runUntil(at(8, "12:20:00"));
    desk.input();
    desk.runUntil(at(8, "12:20:10"));
    ScriptedPrompts prompts;
    QWidget window;
    window.show();

    QPointer<AwayQuestion> kept = AwayQuestion::Ask(desk.asked.first(), *desk.watch, prompts, &window);
    QVERIFY(!kept->isModal() && !QApplication::activeModalWidget());
    QCOMPARE(kept->defaultButton(), kept->keepButton());
    QTest::keyClick(kept, Qt::Key_Escape);
    QTRY_VERIFY(!kept); // answered Keep and gone
    QCOMPARE(desk.today(0), 20);

    AwayQuestion *removed = AwayQuestion::Ask(desk.asked.first(), *desk.watch, prompts, &window);
    removed->removeButton()->click();
    QCOMPARE(desk.today(0), 0);
    QVERIFY(prompts.log.isEmpty());
}

// One question at a time: an absence that ends while the question waits
// joins it. The question takes clicks while a modal dialog is open.
void TestExtras::oneQuestionAnsweredUnderAModalDialog()
{
    Desk desk(at(8, "12:00:00"));
    desk.runUntil(at(8, "12:20:00"));
    desk.input();
    desk.runUntil(at(8, "12:40:00"));
    desk.input();
    desk.runUntil(at(8, "12:40:10"));
    QCOMPARE(desk.asked.size(), 2);
    ScriptedPrompts prompts;
    QWidget window;
    window.show();
    QDialog dialog(&window);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();

    QPointer<AwayQuestion> question = AwayQuestion::Ask(desk.asked.first(), *desk.watch, prompts, &window);
    QCOMPARE(AwayQuestion::Ask(desk.asked.last(), *desk.watch, prompts, &window), question.data());
    QCOMPARE(window.findChildren<AwayQuestion *>().size(), 1);
    QCOMPARE(question->text(),
             QStringLiteral("You were away from 12:00 to 12:20 (20 minutes) while \"Writing\" was checked.\n"
                            "You were away from 12:20 to 12:40 (20 minutes) while \"Writing\" was checked.\n"
                            "Keep these minutes?"));
    QCOMPARE(desk.today(0), 40);

    // A click as the window system delivers it, which a blocked window ignores.
    QPushButton *remove = question->removeButton();
    QTest::mouseClick(question->windowHandle(), Qt::LeftButton, {}, remove->mapTo(question, remove->rect().center()));
    QCOMPARE(desk.today(0), 0);
    QTRY_VERIFY(!question);
    QVERIFY(dialog.isVisible());
    QVERIFY(prompts.log.isEmpty());
}

void TestExtras::idleTimeFromTheDesktopsDBusServices()
{
    // A session bus of the test's own, with the services on a connection served by another thread.
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (!daemon.waitForStarted() || !daemon.waitForReadyRead())
        QSKIP("dbus-daemon is not available");
    const QByteArray address = daemon.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QVERIFY(!CreateDBusIdleSource()); // nothing answers: the watch stays off

    QThread serviceThread;
    serviceThread.start();
    FakeMutterIdleMonitor mutter;
    FakeScreenSaver screenSaver;
    mutter.moveToThread(&serviceThread);
    screenSaver.moveToThread(&serviceThread);
    QDBusConnection services = QDBusConnection::connectToBus(QString::fromLatin1(address), "services");
    QVERIFY(services.registerObject("/org/freedesktop/ScreenSaver", &screenSaver, QDBusConnection::ExportAllSlots));
    QVERIFY(services.registerService("org.freedesktop.ScreenSaver"));
    screenSaver.idleSeconds = 75;
    std::unique_ptr<IdleSource> freedesktop = CreateDBusIdleSource();
    QVERIFY(freedesktop);
    QCOMPARE(freedesktop->read()->idleMs, 75000);

    QVERIFY(services.registerObject("/org/gnome/Mutter/IdleMonitor/Core", &mutter, QDBusConnection::ExportAllSlots));
    QVERIFY(services.registerService("org.gnome.Mutter.IdleMonitor"));
    mutter.idleMs = 123456;
    std::unique_ptr<IdleSource> gnome = CreateDBusIdleSource();
    QCOMPARE(gnome->read()->idleMs, 123456);
    QVERIFY(!gnome->read()->locked);
    screenSaver.active = true;
    QVERIFY(gnome->read()->locked);

    QDBusConnection::disconnectFromBus("services");
    serviceThread.quit();
    serviceThread.wait();
    daemon.kill();
    daemon.waitForFinished();
}

QTEST_MAIN(TestExtras)
#include "test_extras.moc"
