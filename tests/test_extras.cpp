// What lies beyond the window: the history export, the tray indicator's menu
// and the away watch, on a ledger in a temporary folder, offscreen. The cases
// of the desktop's services run on a session bus of the test's own; those
// that need an X server (test_extras_xcb) are skipped offscreen.

#include "away_question.h"
#include "away_watch.h"
#include "bus_service.h"
#include "history_export.h"
#include "radio_group.h"
#include "stand_in_compositor.h"
#include "tray_indicator.h"
#include "window_fixture.h"

#include <QActionGroup>
#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QDialog>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

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

// A StatusNotifier watcher with a host registered, as a desktop's panel has.
class FakeStatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)
public:
    std::atomic<int> items{0};
    bool isStatusNotifierHostRegistered() const { return true; }
public slots:
    void RegisterStatusNotifierItem(const QString &) { ++items; }
};

// What a panel hears of Hourwise's StatusChanged signal on the bus.
class StatusListener : public QObject {
    Q_OBJECT
public:
    QList<int> checked;
    QList<int> cafeMinutes; // the second item's
public slots:
    void changed(int checkedItem, const QStringList &, const QList<int> &todayMinutes)
    {
        checked << checkedItem;
        cafeMinutes << todayMinutes.value(1);
    }
};

// The stand-ins' connection to the test's bus, served by a thread of its own.
class BusServices {
public:
    BusServices()
        : bus_(QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), "services"))
    {
        thread_.start();
    }
    ~BusServices()
    {
        // Released before the test goes on, so that a later case finds the names free.
        for (const QString &service : std::as_const(services_))
            bus_.unregisterService(service);
        QDBusConnection::disconnectFromBus("services");
        thread_.quit();
        thread_.wait();
    }
    bool add(QObject &object, const QString &path, const QString &service)
    {
        object.moveToThread(&thread_);
        services_ << service;
        return bus_.registerObject(path, &object, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)
            && bus_.registerService(service);
    }
    bool remove(const QString &service) { return services_.removeAll(service) && bus_.unregisterService(service); }

private:
    QDBusConnection bus_;
    QThread thread_;
    QStringList services_;
};

// An X11 system tray on a connection of its own: it owns the tray selection
// of the first screen and announces itself as a new tray does.
class FakeX11Tray {
public:
    FakeX11Tray() : connection_(xcb_connect(nullptr, nullptr))
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const xcb_atom_t selection = atom("_NET_SYSTEM_TRAY_S0");
        xcb_set_selection_owner(connection_, window_, selection, XCB_CURRENT_TIME);
        xcb_client_message_event_t manager{};
        manager.response_type = XCB_CLIENT_MESSAGE;
        manager.format = 32;
        manager.window = root;
        manager.type = atom("MANAGER");
        manager.data.data32[0] = XCB_CURRENT_TIME;
        manager.data.data32[1] = selection;
        manager.data.data32[2] = window_;
        xcb_send_event(connection_, false, root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&manager));
        xcb_flush(connection_);
    }
    ~FakeX11Tray() { xcb_disconnect(connection_); }

    // Whether an icon has asked to be docked.
    bool dockRequested()
    {
        const xcb_atom_t opcode = atom("_NET_SYSTEM_TRAY_OPCODE");
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection_)) {
            const auto *message = reinterpret_cast<const xcb_client_message_event_t *>(event);
            dockRequested_ |= (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == opcode
                && message->data.data32[1] == 0; // SYSTEM_TRAY_REQUEST_DOCK
            free(event);
        }
        return dockRequested_;
    }
    void quit()
    {
        xcb_destroy_window(connection_, window_);
        xcb_flush(connection_);
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, false, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return atom;
    }

    xcb_connection_t *connection_;
    xcb_window_t window_ = 0;
    bool dockRequested_ = false;
};

// The session's kind and Wayland display for a case's span, with a runtime
// folder of its own where the case's compositor puts its socket.
class WaylandEnvironment {
public:
    WaylandEnvironment()
    {
        for (const char *name : kNames)
            saved_ << qgetenv(name);
        qputenv("XDG_RUNTIME_DIR", folder.path().toLocal8Bit());
    }
    ~WaylandEnvironment()
    {
        for (int i = 0; i < saved_.size(); ++i) {
            if (saved_[i].isEmpty())
                qunsetenv(kNames[i]);
            else
                qputenv(kNames[i], saved_[i]);
        }
    }
    const QByteArray socket = "hourwise-wl-" + QByteArray::number(QCoreApplication::applicationPid());
    QTemporaryDir folder;

private:
    static constexpr const char *kNames[] = {"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"};
    QByteArrayList saved_;
};

bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

QDateTime at(int day, const QString &hhmmss)
{
    return QDateTime(QDate(2026, 12, day), QTime::fromString(hhmmss, "HH:mm:ss"));
}

} // namespace

class TestExtras : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
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
    void waylandSessionIsNeverAskedThroughXWayland();
    void compositorReportsIdleAfterTheTimeout();
    void kwinReportsIdleAfterTheTimeout();
    void trayIconFollowsAStatusNotifierHost();
    void trayIconFollowsAnX11Tray();
    void commandsOnTheSessionBusAreClicks();

private:
    QProcess busDaemon_;
};

// A session bus of the test's own, for the whole run: the program's
// connection to the session bus is made once.
void TestExtras::initTestCase()
{
    busDaemon_.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (busDaemon_.waitForStarted() && busDaemon_.waitForReadyRead())
        qputenv("DBUS_SESSION_BUS_ADDRESS", busDaemon_.readLine().trimmed());
}

void TestExtras::cleanupTestCase()
{
    busDaemon_.kill();
    busDaemon_.waitForFinished();
}

void TestExtras::exportedCsvHoldsEveryDayItemAndSwitchCount()
{
    LedgerFixture f;
    const QString k1 = f.key(QDate(2026, 12, 6));
    QString k2 = f.key(QDate(2026, 12, 7));
    k2.replace('.', ','); // a day written under a comma locale
    QString k3 = f.key(QDate(2026, 12, 8));
    k3.replace('.', QChar(0x066B)); // and one under an Arabic-script locale
    const QByteArray stats = "\xF0\x9F\x93\x8A Stats"; // U+1F4CA, whose second half looks like an escaped byte
    // Seed line, three days (a comma and quotes, a Latin-1 byte, a negative count, formula starts,
    // a torn line, a stray blank line), and a switch log whose first day lies before the history
    // and which has no entry for the last day.
    f.write(Ledger::HistoryFileName,
            "0:\r\n" + k1.toUtf8() + ":Mail, \"urgent\":12:\r\n" + k1.toUtf8() + ":Caf\xE9:$1F:\r\n" + k1.toUtf8()
                + ":Writing:-5:\r\n" + k2.toUtf8() + ":Mail, \"urgent\":3:\r\n" + k2.toUtf8() + ":Caf\xE9:0:\r\n"
                + k2.toUtf8() + ":Writing:7:\r\n" + k3.toUtf8() + ":=HYPERLINK(\"evil.example\"):4:\r\n" + k3.toUtf8()
                + ":-Admin:2:\r\n" + k3.toUtf8() + ":" + stats + ":6:\r\n" + k3.toUtf8() + ":Wri\r\n\r\n");
    f.writeLines(Ledger::SwitchFileName, {f.key(QDate(2026, 12, 5)), "2", k1, "4", k2, "9", k2, "11"});
    const CsvExport exported = HistoryCsv(f.lines(Ledger::HistoryFileName), f.lines(Ledger::SwitchFileName));
    const QString path = f.path("history.csv");
    f.write("history.csv", exported.csv);

    QVERIFY(exported.csv.startsWith("date,item,minutes,switches\r\n"));
    QVERIFY(exported.csv.contains("2026-12-06,Caf\xC3\xA9,31,\r\n"));
    QVERIFY(exported.csv.contains("2026-12-08,\"'=HYPERLINK(\"\"evil.example\"\")\",4,\r\n"));
    QVERIFY(exported.csv.contains("2026-12-08," + stats + ",6,\r\n"));
    QCOMPARE(exported.leftOut, QStringList{"completedata.txc, line 11: " + k3 + ":Wri"});
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
        {"2026-12-07", "", "", "11"}, // a day's last entry counts, as in the date view
        {"2026-12-08", "'=HYPERLINK(\"evil.example\")", "4", ""},
        {"2026-12-08", "'-Admin", "2", ""},
        {"2026-12-08", QString::fromUtf8(stats), "6", ""},
        {"2026-12-08", "", "", "0"},
    };
    QCOMPARE(rows, expected);
}

// The first proposal lies in the documents folder; lines that cannot be
// read are reported; an existing file is replaced only after a Yes.
void TestExtras::exportCommandSavesFirstAndReportsWriteFailures()
{
    WindowFixture f;
    QVERIFY(QDir(f.dir.path()).mkdir("Papers"));
    f.write("user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + f.path("Papers").toUtf8() + "\"\n");
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", f.dir.path().toUtf8());
    const auto restore = qScopeGuard([&] {
        configHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", configHome);
    });
    f.writeItems({"Writing"});
    f.writeLines(Ledger::SwitchFileName, {f.key(QDate(2026, 12, 1)), "many"});
    TForm1 &w = f.open();
    w.RG1->button(0)->click();
    f.now = f.now.addSecs(60);
    w.Timer1Timer();
    w.RadioButton1->click();
    w.RG1->button(0)->click(); // a second switch, in memory only until a save

    f.prompts.csvAnswers << f.path("out.csv");
    w.ExportHistory1->trigger();
    QCOMPARE(f.prompts.log.size(), 2);
    QCOMPARE(f.prompts.log.at(0), "SaveCsv: " + f.path("Papers/history.csv"));
    QVERIFY2(f.prompts.log.at(1).startsWith("Error: \"" + f.path("out.csv") + "\" was written without 1 line "),
             qPrintable(f.prompts.log.at(1)));
    QVERIFY(f.prompts.log.at(1).endsWith("\nhelp.txc, line 2: many"));
    QCOMPARE(pythonCsvRows(f.path("out.csv")).mid(1),
             (QList<QStringList>{{"2026-12-08", "Writing", "1", ""}, {"2026-12-08", "", "", "2"}}));

    // The next export proposes the last path. Replacing a file is asked: No asks for another name.
    f.prompts.log.clear();
    f.prompts.csvAnswers << f.path("out.csv") << f.path("out.csv");
    f.prompts.lossAnswers << false << true;
    f.write("out.csv", "keep\r\n");
    w.ExportHistory1->trigger();
    const QString replace = "ConfirmLoss: \"" + f.path("out.csv") + "\" already exists. Do you want to replace it?";
    QCOMPARE(f.prompts.log.mid(0, 4), (QStringList{"SaveCsv: " + f.path("out.csv"), replace,
                                                   "SaveCsv: " + f.path("out.csv"), replace}));
    QVERIFY(f.bytes("out.csv").startsWith("date,"));

    // One that cannot be written is reported and nothing is left.
    const QString blocked = f.path("no folder/out.csv");
    f.prompts.csvAnswers << blocked;
    w.ExportHistory1->trigger();
    QCOMPARE(f.prompts.standardErrors.size(), 1);
    QVERIFY(f.prompts.standardErrors.first().startsWith("Cannot create file \"" + blocked + "\". "));
    QVERIFY(!QFile::exists(blocked));
    QVERIFY(w.isVisible());
}

void TestExtras::trayMenuListsItemsThenItsCommands()
{
    WindowFixture f;
    f.writeItems({"Writing", "Fish & Chips"});
    f.open();
    QCOMPARE(menuTexts(f.session->Tray->menu()),
             (QStringList{"Writing", "Fish && Chips", "-", "Nothing Selected", "-", "Show Hourwise", "Exit"}));
    QVERIFY(entry(f.session->Tray->menu(), "Nothing Selected")->isChecked());
    QVERIFY(!entry(f.session->Tray->menu(), "Writing")->isChecked());
    QVERIFY(!f.session->Tray->trayIcon()); // offscreen there is no tray, and nothing else changes
    QCOMPARE(f.session->Tray->toolTip(), QStringLiteral("Hourwise: Nothing Selected"));
}

void TestExtras::trayChoiceIsOneClickInTheRadioGroup()
{
    WindowFixture f;
    f.writeItems({"Writing", "Mail"});
    TForm1 &w = f.open();
    QMenu *menu = f.session->Tray->menu();
    // Shown as one radio choice, not as check boxes.
    QActionGroup *choice = entry(menu, "Mail")->actionGroup();
    QVERIFY(choice && choice->isExclusive());
    QCOMPARE(choice->actions().size(), 3);
    QCOMPARE(entry(menu, "Nothing Selected")->actionGroup(), choice);
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
    QVERIFY(entry(f.session->Tray->menu(), "Writing")->isChecked());
    QVERIFY(!entry(f.session->Tray->menu(), "Nothing Selected")->isChecked());
    w.Timer1Timer();
    w.Timer1Timer();
    QCOMPARE(f.session->Tray->toolTip(), QStringLiteral("Hourwise: \"Writing\" checked, 2 min today"));

    f.prompts.inputAnswers << "Reading";
    w.AddItem1->trigger();
    QCOMPARE(menuTexts(f.session->Tray->menu()).mid(0, 4), (QStringList{"Writing", "Mail", "Reading", "-"}));
    QVERIFY(entry(f.session->Tray->menu(), "Nothing Selected")->isChecked());
    QCOMPARE(f.session->Tray->toolTip(), QStringLiteral("Hourwise: Nothing Selected"));
}

void TestExtras::trayShowsTheWindowAndExits()
{
    WindowFixture f;
    f.writeItems({"Writing"});
    TForm1 &w = f.open();
    w.showMinimized();
    entry(f.session->Tray->menu(), "Show Hourwise")->trigger();
    QVERIFY(w.isVisible() && !w.isMinimized());

    entry(f.session->Tray->menu(), "Writing")->trigger();
    entry(f.session->Tray->menu(), "Exit")->trigger();
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
    if (busDaemon_.state() != QProcess::Running)
        QSKIP("dbus-daemon is not available");
    QVERIFY(!CreateDBusIdleSource()); // nothing answers: the watch stays off

    FakeMutterIdleMonitor mutter;
    FakeScreenSaver screenSaver;
    BusServices services;
    QVERIFY(services.add(screenSaver, "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"));
    screenSaver.idleSeconds = 75;
    std::unique_ptr<IdleSource> freedesktop = CreateDBusIdleSource();
    QVERIFY(freedesktop);
    QCOMPARE(freedesktop->read()->idleMs, 75000);

    QVERIFY(services.add(mutter, "/org/gnome/Mutter/IdleMonitor/Core", "org.gnome.Mutter.IdleMonitor"));
    mutter.idleMs = 123456;
    std::unique_ptr<IdleSource> gnome = CreateDBusIdleSource();
    QCOMPARE(gnome->read()->idleMs, 123456);
    QVERIFY(!gnome->read()->locked);
    screenSaver.active = true;
    QVERIFY(gnome->read()->locked);
}

// XWayland's idle time counts typing in Wayland windows as idle: in a Wayland
// session only the compositor's own services are asked, GNOME's first, and
// without one nothing is.
void TestExtras::waylandSessionIsNeverAskedThroughXWayland()
{
    if (!onX11() || busDaemon_.state() != QProcess::Running)
        QSKIP("needs an X server and dbus-daemon");
    WaylandEnvironment session;
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("XDG_SESSION_TYPE", "x11");
    QVERIFY(CreateDesktopIdleSource()); // an X11 session: the X server answers

    qputenv("WAYLAND_DISPLAY", "wayland-0"); // no compositor listens there
    QVERIFY(!CreateDesktopIdleSource());
    FakeScreenSaver screenSaver;
    screenSaver.idleSeconds = 75;
    BusServices services;
    QVERIFY(services.add(screenSaver, "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"));
    QCOMPARE(CreateDesktopIdleSource()->read()->idleMs, 75000);

    StandInCompositor compositor(session.socket);
    QVERIFY(compositor.listening());
    qputenv("WAYLAND_DISPLAY", session.socket);
    QCOMPARE(CreateDesktopIdleSource()->read()->idleMs, 0); // the compositor's notification: not idle yet

    FakeMutterIdleMonitor mutter;
    mutter.idleMs = 123456;
    QVERIFY(services.add(mutter, "/org/gnome/Mutter/IdleMonitor/Core", "org.gnome.Mutter.IdleMonitor"));
    QCOMPARE(CreateDesktopIdleSource()->read()->idleMs, 123456);
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("XDG_SESSION_TYPE", "wayland");
    QCOMPARE(CreateDesktopIdleSource()->read()->idleMs, 123456);
}

// The compositor reports the seat idle once the notification's timeout has
// passed without input: the idle time then counts from the last input, it is
// 0 again at input, and nothing once the compositor is gone.
void TestExtras::compositorReportsIdleAfterTheTimeout()
{
    WaylandEnvironment session;
    qputenv("WAYLAND_DISPLAY", session.socket);
    QVERIFY(!CreateWaylandIdleSource(1000)); // no compositor

    auto compositor = std::make_unique<StandInCompositor>(session.socket);
    QVERIFY(compositor->listening());
    std::unique_ptr<IdleSource> idle = CreateWaylandIdleSource(1000);
    QVERIFY(idle);
    QCOMPARE(idle->read()->idleMs, 0);
    QTRY_VERIFY(idle->read()->idleMs > 0);
    QVERIFY(idle->read()->idleMs >= 1000); // the last input was a timeout before the report
    compositor->pressKey();
    QTRY_COMPARE(idle->read()->idleMs, 0);
    compositor->releaseKey();
    QTRY_VERIFY(idle->read()->idleMs > 0);
    QVERIFY(idle->read()->idleMs >= 1000);

    compositor.reset();
    QTRY_VERIFY(!idle->read());
}

// The same against KWin run headless, where it is installed: it offers the protocol.
void TestExtras::kwinReportsIdleAfterTheTimeout()
{
    const QString kwin = QStandardPaths::findExecutable(QStringLiteral("kwin_wayland"));
    if (kwin.isEmpty())
        QSKIP("kwin_wayland is not installed (Debian package kwin-wayland)");
    WaylandEnvironment session;
    qputenv("WAYLAND_DISPLAY", session.socket);
    // A copy runs without the file capability Debian gives the program, which
    // a container may not grant (the start then fails with EPERM).
    const QString copy = session.folder.filePath(QStringLiteral("kwin_wayland"));
    QVERIFY(QFile::copy(kwin, copy));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name)); // nothing of the test's desktop and bus
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), session.folder.filePath(QStringLiteral("config")));
    QProcess compositor;
    compositor.setProcessEnvironment(environment);
    compositor.setStandardOutputFile(QProcess::nullDevice());
    compositor.setStandardErrorFile(QProcess::nullDevice());
    compositor.start(copy, {"--virtual", "--socket", QString::fromLatin1(session.socket)});
    QVERIFY(compositor.waitForStarted());

    std::unique_ptr<IdleSource> idle;
    QTRY_VERIFY_WITH_TIMEOUT((idle = CreateWaylandIdleSource(1000)) || compositor.state() != QProcess::Running,
                             60000);
    QVERIFY2(idle, "kwin_wayland --virtual ended before it offered the idle notifier (run it by hand to see why)");
    QCOMPARE(idle->read()->idleMs, 0);
    QTRY_VERIFY_WITH_TIMEOUT(idle->read()->idleMs > 0, 20000);
    QVERIFY(idle->read()->idleMs >= 1000);
    compositor.terminate();
    QVERIFY(compositor.waitForFinished());
}

// The tray usually comes up after the program at login: the icon follows it.
// Qt decides at its first icon whether its icons use the StatusNotifier
// protocol or X11's, so each kind of tray has a run of its own.
void TestExtras::trayIconFollowsAStatusNotifierHost()
{
    if (busDaemon_.state() != QProcess::Running)
        QSKIP("dbus-daemon is not available");
    LedgerFixture f;
    f.writeItems({"Writing"});
    f.start();
    TrayIndicator tray(*f.ledger, TrayCommands{}, [] { return QIcon(QStringLiteral(":/logo.bmp")); });
    tray.showIcon();
    QVERIFY(!tray.trayIcon());

    FakeStatusNotifierWatcher watcher;
    BusServices services;
    QVERIFY(services.add(watcher, "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher"));
    QTRY_VERIFY(tray.trayIcon());
    if (onX11()) // offscreen, Qt's icon speaks to no tray
        QTRY_COMPARE(watcher.items.load(), 1);
    QVERIFY(services.remove("org.kde.StatusNotifierWatcher"));
    QTRY_VERIFY(!tray.trayIcon());
}

void TestExtras::trayIconFollowsAnX11Tray()
{
    if (!onX11())
        QSKIP("needs an X server");
    LedgerFixture f;
    f.writeItems({"Writing"});
    f.start();
    TrayIndicator tray(*f.ledger, TrayCommands{}, [] { return QIcon(QStringLiteral(":/logo.bmp")); });
    tray.showIcon();
    QVERIFY(!tray.trayIcon());

    FakeX11Tray x11Tray;
    QTRY_VERIFY(tray.trayIcon());
    QTRY_VERIFY(x11Tray.dockRequested()); // Qt's icon asked the tray to take it
    x11Tray.quit();
    QTRY_VERIFY(!tray.trayIcon());
}

// The bus offers what the command line does: a select is one click, an
// unknown name an error, and the signal follows selections and minutes.
void TestExtras::commandsOnTheSessionBusAreClicks()
{
    if (busDaemon_.state() != QProcess::Running)
        QSKIP("dbus-daemon is not available");
    WindowFixture f;
    f.write(Ledger::DataFileName,
            f.today().toUtf8() + ":Writing:0:\r\n" + f.today().toUtf8() + ":Caf\xE9:0:\r\nT:Writing:0:\r\nT:Caf\xE9:0:\r\n");
    TForm1 &w = f.open();
    QTRY_VERIFY(f.session->Bus);
    QDBusConnection client = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), "client");
    const auto scope = qScopeGuard([] { QDBusConnection::disconnectFromBus("client"); });
    StatusListener listener;
    QVERIFY(client.connect(BusService::ServiceName, BusService::ObjectPath, BusService::ServiceName, "StatusChanged",
                           &listener, SLOT(changed(int, QStringList, QList<int>))));
    const auto call = [&](const QString &method, const QVariantList &arguments = {}) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(BusService::ServiceName, BusService::ObjectPath, BusService::ServiceName, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client.asyncCall(message);
        while (!pending.isFinished()) // answered by this thread's events; a call ends at the bus's timeout
            QTest::qWait(5);
        return pending.reply();
    };

    QCOMPARE(call("Select", {"Writing"}).type(), QDBusMessage::ReplyMessage);
    call("Select", {"Writing"});
    QVERIFY(w.RG1->button(0)->isChecked());
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 1"));
    const QDBusMessage unknown = call("Select", {"Caf\u00E9 "});
    QCOMPARE(unknown.errorName(), QStringLiteral("org.example.Hourwise.Error.UnknownItem"));
    call("Select", {QStringLiteral("Caf\u00E9")}); // the stored byte E9, as the bus shows it
    QCOMPARE(f.ledger->state().CheckedIndex, 1);
    f.ledger->MinuteTick();
    call("Stop");
    QVERIFY(w.RadioButton1->isChecked());
    f.ledger->MinuteTick(); // nothing changes: no signal
    const QDBusMessage status = call("Status");
    QCOMPARE(status.arguments().value(0).toInt(), -1);
    QCOMPARE(status.arguments().value(1).toStringList(), QStringList({"Writing", QStringLiteral("Caf\u00E9")}));
    QCOMPARE(status.signature(), QStringLiteral("iasai"));
    QTRY_COMPARE(listener.checked, QList<int>({0, 1, 1, -1})); // the third: Café's minute
    QCOMPARE(listener.cafeMinutes, QList<int>({0, 0, 1, 1}));
}

QTEST_MAIN(TestExtras)
#include "test_extras.moc"
