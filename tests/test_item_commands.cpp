// Adding and deleting items and adjusting minutes, on the ledger alone: what
// reaches data.txc, today's history block and the switch log.

#include "ledger_fixture.h"

#include <limits>

namespace {

const QDate kDay1(2026, 12, 7);
const QDate kDay2(2026, 12, 8);

struct Item {
    QString name;
    int today;
    int total;
};

// Writes data.txc with the items' lines of the fixture's day, then starts the
// ledger there; the start-up save begins the history block and switch entry.
Ledger &startWith(LedgerFixture &f, const QList<Item> &items)
{
    QStringList lines;
    for (const Item &item : items)
        lines << QStringLiteral("%1:%2:%3:").arg(f.today(), item.name).arg(item.today);
    for (const Item &item : items)
        lines << QStringLiteral("T:%1:%2:").arg(item.name).arg(item.total);
    f.writeLines(Ledger::DataFileName, lines);
    return f.start();
}

QList<Item> threeItems()
{
    return {{"Writing", 5, 50}, {"Mail", 6, 60}, {"Reading", 7, 70}};
}

} // namespace

class TestItemCommands : public QObject {
    Q_OBJECT
private slots:
    void deleteKeepsOtherItemsAndEarlierBlocks();
    void deleteOnlyItem_data();
    void deleteOnlyItem();
    void tickAfterDeletingOnlyItem_data();
    void tickAfterDeletingOnlyItem();
    void addItem_data();
    void addItem();
    void commandAfterMidnightBeforeTick_data();
    void commandAfterMidnightBeforeTick();
    void commandCutOffAfterTheDataFile_data();
    void commandCutOffAfterTheDataFile();
    void adjustTime_data();
    void adjustTime();
};

void TestItemCommands::deleteKeepsOtherItemsAndEarlierBlocks()
{
    LedgerFixture f;
    f.now.setDate(kDay1);
    Ledger &ledger = startWith(f, threeItems());
    const QString k1 = f.today();
    f.now.setDate(kDay2);
    ledger.MinuteTick();
    QVERIFY(ledger.AdjustTime(0, 3, true));
    QVERIFY(ledger.AdjustTime(2, 4, true));
    ledger.SaveAll();
    const QString k2 = f.today();

    ledger.DeleteItem(1);
    ledger.SaveAll();

    QCOMPARE(f.lines(Ledger::DataFileName),
             QStringList({k2 + ":Writing:3:", k2 + ":Reading:4:", "T:Writing:53:", "T:Reading:74:"}));
    QCOMPARE(f.lines(Ledger::HistoryFileName),
             QStringList({"0:", k1 + ":Writing:5:", k1 + ":Mail:6:", k1 + ":Reading:7:", k2 + ":Writing:3:",
                          k2 + ":Reading:4:"}));
    QCOMPARE(ledger.state().ItemTable.Names, QStringList({"Writing", "Reading"}));
    QCOMPARE(ledger.state().CheckedIndex, -1);
    QVERIFY(ledger.state().NothingSelectedBold);
}

void TestItemCommands::deleteOnlyItem_data()
{
    QTest::addColumn<bool>("laterDay");
    QTest::newRow("on a later day") << true;
    QTest::newRow("on the very first day") << false;
}

void TestItemCommands::deleteOnlyItem()
{
    QFETCH(bool, laterDay);
    LedgerFixture f;
    if (laterDay)
        f.now.setDate(kDay1);
    Ledger &ledger = startWith(f, {{"Solo", 5, 50}});
    if (laterDay) {
        f.now.setDate(kDay2);
        ledger.MinuteTick();
    }
    const QStringList historyBefore = f.lines(Ledger::HistoryFileName);
    const QStringList switchesBefore = f.lines(Ledger::SwitchFileName);

    ledger.DeleteItem(0);
    ledger.SaveAll();

    const QString seedToday = f.today() + ":Add something:0:";
    QCOMPARE(f.lines(Ledger::DataFileName), QStringList({seedToday, "T:Add something:0:"}));
    QStringList history = historyBefore;
    history.last() = seedToday; // today's block is the seed item alone
    QCOMPARE(f.lines(Ledger::HistoryFileName), history);
    QCOMPARE(f.lines(Ledger::SwitchFileName), switchesBefore);
}

void TestItemCommands::tickAfterDeletingOnlyItem_data()
{
    QTest::addColumn<bool>("checkedBeforeTick");
    QTest::newRow("seed item checked") << true;
    QTest::newRow("nothing checked") << false;
}

void TestItemCommands::tickAfterDeletingOnlyItem()
{
    QFETCH(bool, checkedBeforeTick);
    LedgerFixture f;
    Ledger &ledger = startWith(f, {{"Solo", 5, 50}});
    ledger.DeleteItem(0);
    ledger.SaveAll();
    if (checkedBeforeTick)
        ledger.SelectItem(0);
    const int switches = ledger.state().SwitchCount;

    ledger.MinuteTick();

    // The seed line read at deletion carries day 0, so the tick re-parses and restores the selection.
    QCOMPARE(ledger.state().LineDay, ledger.state().TodayJulian);
    QCOMPARE(ledger.state().SwitchCount, switches + (checkedBeforeTick ? 1 : 0));
    QCOMPARE(ledger.state().CheckedIndex, checkedBeforeTick ? 0 : -1);
    QCOMPARE(ledger.state().ItemTable.TodayMinutes.at(0), checkedBeforeTick ? 1 : 0);
}

void TestItemCommands::addItem_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("new name") << "Reading";
    QTest::newRow("name of an existing item") << "Mail";
    QTest::newRow("blanks only") << "   ";
}

void TestItemCommands::addItem()
{
    QFETCH(QString, name);
    LedgerFixture f;
    Ledger &ledger = startWith(f, {{"Writing", 5, 50}, {"Mail", 6, 60}});
    const QString k = f.today();

    ledger.AddItem(name);

    QCOMPARE(f.lines(Ledger::DataFileName),
             QStringList({k + ":Writing:5:", k + ":Mail:6:", k + ":" + name + ":0:", "T:Writing:50:", "T:Mail:60:",
                          "T:" + name + ":0:"}));
    QCOMPARE(f.lines(Ledger::HistoryFileName),
             QStringList({"0:", k + ":Writing:5:", k + ":Mail:6:", k + ":" + name + ":0:"}));
    QCOMPARE(ledger.state().CheckedIndex, -1);
    QVERIFY(ledger.state().NothingSelectedBold);

    // The new item reads back from the files as a separate item of its own.
    const LedgerState &reloaded = f.start().state();
    QCOMPARE(reloaded.ItemTable.Names, QStringList({"Writing", "Mail", name}));
    QCOMPARE(reloaded.ItemTable.TotalMinutes, QVector<qint32>({50, 60, 0}));
}

void TestItemCommands::commandAfterMidnightBeforeTick_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("newBlock");
    QTest::addColumn<QStringList>("totals");
    QTest::newRow("add") << "add" << QStringList({"Writing:0:", "Mail:0:", "Reading:0:"})
                         << QStringList({"T:Writing:51:", "T:Mail:60:", "T:Reading:0:"});
    QTest::newRow("delete") << "delete" << QStringList({"Writing:0:"}) << QStringList({"T:Writing:51:"});
    QTest::newRow("add time") << "add time" << QStringList({"Writing:0:", "Mail:10:"})
                              << QStringList({"T:Writing:51:", "T:Mail:70:"});
}

void TestItemCommands::commandAfterMidnightBeforeTick()
{
    QFETCH(QString, command);
    QFETCH(QStringList, newBlock);
    QFETCH(QStringList, totals);
    LedgerFixture f;
    f.now.setDate(kDay1);
    Ledger &ledger = startWith(f, {{"Writing", 5, 50}, {"Mail", 6, 60}});
    ledger.SelectItem(0);
    ledger.MinuteTick();
    const QStringList historyBefore = f.lines(Ledger::HistoryFileName);
    const QStringList switchesBefore = f.lines(Ledger::SwitchFileName);
    f.now.setDate(kDay2);
    const QString k2 = f.today();

    if (command == "add") {
        ledger.AddItem("Reading");
    } else if (command == "delete") {
        ledger.DeleteItem(1);
        ledger.SaveAll();
    } else {
        QVERIFY(ledger.AdjustTime(1, 10, true));
        ledger.ReloadSaveAndRestore(-1);
    }

    QStringList history = historyBefore;
    QStringList data;
    for (const QString &line : newBlock)
        data << k2 + ":" + line;
    history << data;
    data << totals;
    QCOMPARE(f.lines(Ledger::HistoryFileName), history);
    QCOMPARE(f.lines(Ledger::DataFileName), data);
    QCOMPARE(f.lines(Ledger::SwitchFileName), switchesBefore + QStringList({k2, "0"}));
    QCOMPARE(ledger.state().SwitchCount, 0);
}

void TestItemCommands::commandCutOffAfterTheDataFile_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("items");
    QTest::addColumn<bool>("restartNextDay");
    for (const bool nextDay : {false, true}) {
        const char *when = nextDay ? ", restart the next day" : ", restart the same day";
        QTest::addRow("add%s", when) << "add" << 3 << nextDay;
        QTest::addRow("delete%s", when) << "delete" << 3 << nextDay;
        QTest::addRow("delete the only item%s", when) << "delete" << 1 << nextDay;
        QTest::addRow("add time%s", when) << "add time" << 3 << nextDay;
        QTest::addRow("the day's last tick%s", when) << "tick" << 3 << nextDay;
    }
}

// Each command writes data.txc first; a kill (or a full disk) right after
// it leaves the history and the switch log as they were. At the next start
// the block of the data's day is rebuilt from data.txc, before a new day is
// begun, and no line of an earlier day changes.
void TestItemCommands::commandCutOffAfterTheDataFile()
{
    QFETCH(QString, command);
    QFETCH(int, items);
    QFETCH(bool, restartNextDay);
    LedgerFixture f;
    f.now = QDateTime(kDay1, QTime(23, 58));
    Ledger &ledger = startWith(f, threeItems().mid(0, items));
    f.now = QDateTime(kDay2, QTime(23, 58)); // day 1's block is now an earlier day's
    ledger.MinuteTick();
    ledger.SelectItem(0);
    ledger.MinuteTick();
    const QStringList historyBefore = f.lines(Ledger::HistoryFileName);
    const QByteArray historyBytes = f.bytes(Ledger::HistoryFileName);
    const QByteArray switchBytes = f.bytes(Ledger::SwitchFileName);
    const QStringList earlierDays = historyBefore.mid(0, historyBefore.size() - items);

    if (command == "add") {
        ledger.AddItem("Calls");
    } else if (command == "delete") {
        ledger.DeleteItem(items - 1);
        ledger.SaveAll();
    } else if (command == "add time") {
        QVERIFY(ledger.AdjustTime(items - 1, 30, true));
        ledger.ReloadSaveAndRestore(0);
    } else {
        f.now = f.now.addSecs(60);
        ledger.MinuteTick();
    }
    f.write(Ledger::HistoryFileName, historyBytes);
    f.write(Ledger::SwitchFileName, switchBytes);
    const QStringList data = f.lines(Ledger::DataFileName);
    const QStringList dataToday = data.mid(0, data.size() / 2);

    if (restartNextDay)
        f.now = QDateTime(kDay2.addDays(1), QTime(8, 0));
    f.start();
    QStringList expected = earlierDays + dataToday;
    if (restartNextDay) {
        for (const QString &line : dataToday)
            expected << f.today() + ":" + line.section(':', 1, 1) + ":0:";
    }
    QCOMPARE(f.lines(Ledger::HistoryFileName), expected);
}

void TestItemCommands::adjustTime_data()
{
    constexpr qint32 max = std::numeric_limits<qint32>::max();
    constexpr qint32 min = std::numeric_limits<qint32>::min();
    QTest::addColumn<qint32>("today");
    QTest::addColumn<qint32>("total");
    QTest::addColumn<qint32>("amount");
    QTest::addColumn<bool>("add");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<qint32>("newToday");
    QTest::addColumn<qint32>("newTotal");
    QTest::newRow("deduct below zero") << 10 << 100 << 30 << false << true << -20 << 70;
    QTest::newRow("add a negative amount") << 10 << 100 << -15 << true << true << -5 << 85;
    QTest::newRow("deduct a negative amount") << 10 << 100 << -15 << false << true << 25 << 115;
    QTest::newRow("zero") << 10 << 100 << 0 << true << true << 10 << 100;
    QTest::newRow("add the lowest amount") << 10 << 100 << min << true << true << min + 10 << min + 100;
    QTest::newRow("total past the top") << 10 << max - 5 << 10 << true << false << 10 << max - 5;
    QTest::newRow("today past the bottom") << min + 5 << 100 << 10 << false << false << min + 5 << 100;
    QTest::newRow("deduct the lowest amount") << 0 << 0 << min << false << false << 0 << 0;
}

void TestItemCommands::adjustTime()
{
    QFETCH(qint32, today);
    QFETCH(qint32, total);
    QFETCH(qint32, amount);
    QFETCH(bool, add);
    QFETCH(bool, applied);
    QFETCH(qint32, newToday);
    QFETCH(qint32, newTotal);
    LedgerFixture f;
    Ledger &ledger = startWith(f, {{"Writing", 1, 2}, {"Mail", today, total}});
    const QString k = f.today();

    QCOMPARE(ledger.AdjustTime(1, amount, add), applied);
    ledger.ReloadSaveAndRestore(-1);

    const QString todayLine = QStringLiteral("%1:Mail:%2:").arg(k).arg(newToday);
    const QString totalLine = QStringLiteral("T:Mail:%1:").arg(newTotal);
    QCOMPARE(f.lines(Ledger::DataFileName), QStringList({k + ":Writing:1:", todayLine, "T:Writing:2:", totalLine}));
    QCOMPARE(f.lines(Ledger::HistoryFileName).last(), todayLine);
    QCOMPARE(ledger.state().ItemTable.TodayMinutes.at(1), newToday);
    QCOMPARE(ledger.state().ItemTable.TotalMinutes.at(1), newTotal);
}

QTEST_GUILESS_MAIN(TestItemCommands)
#include "test_item_commands.moc"
