// The clock misbehaving while the program runs: set back a day, jumping
// forward several days, a suspend across midnight. The day of each save is
// the clock's date at that moment; whatever the clock does, the files stay
// consistent: today's lines of data.txc are the last block of the history
// and the switch log ends with the clock's day, no block is ever rewritten
// once its day is left, and no total goes back.

#include "ledger_fixture.h"

namespace {

const QString kData = Ledger::DataFileName;
const QString kHistory = Ledger::HistoryFileName;
const QString kSwitches = Ledger::SwitchFileName;

// Two items; today (the fixture's 8 December 2026) Mail has 5 minutes.
void writeTwoItems(LedgerFixture &f)
{
    const QString yesterday = f.key(f.now.date().addDays(-1)), today = f.today();
    f.writeLines(kData, {today + ":Writing:10:", today + ":Mail:5:", "T:Writing:110:", "T:Mail:205:"});
    f.writeLines(kHistory, {"0:", yesterday + ":Writing:100:", yesterday + ":Mail:200:", today + ":Writing:10:",
                            today + ":Mail:5:"});
    f.writeLines(kSwitches, {yesterday, "3", today, "1"});
}

// The rules every save keeps, whatever the clock did before it.
void verifyConsistent(const LedgerFixture &f)
{
    const QStringList data = f.lines(kData), history = f.lines(kHistory), switches = f.lines(kSwitches);
    const int items = int(data.size() / 2);
    for (int i = 0; i < items; ++i)
        QVERIFY2(data.at(i).startsWith(f.today() + ':'), qPrintable(data.at(i)));
    QCOMPARE(history.mid(history.size() - items), data.mid(0, items));
    QCOMPARE(switches.at(switches.size() - 2), f.today());
}

} // namespace

class TestClockTrouble : public QObject {
    Q_OBJECT
private slots:
    void clockChangeStartsTheClocksDay_data();
    void clockChangeStartsTheClocksDay();
    void clockSetBackAndPutRight();
};

void TestClockTrouble::clockChangeStartsTheClocksDay_data()
{
    QTest::addColumn<QTime>("lastTick");
    QTest::addColumn<QDateTime>("nextTick");
    const QDate d(2026, 12, 8);
    QTest::newRow("clock set back a day") << QTime(10, 0) << QDateTime(d.addDays(-1), QTime(10, 1));
    QTest::newRow("jump forward five days") << QTime(10, 0) << QDateTime(d.addDays(5), QTime(10, 1));
    QTest::newRow("suspend across midnight") << QTime(23, 59, 30) << QDateTime(d.addDays(1), QTime(7, 45));
}

// The first tick on another date starts that date's block and switch entry
// after the last ones, whichever way the clock went; the left day's block
// keeps its minutes, and the checked item gets one minute on the new day.
void TestClockTrouble::clockChangeStartsTheClocksDay()
{
    QFETCH(QTime, lastTick);
    QFETCH(QDateTime, nextTick);
    LedgerFixture f;
    writeTwoItems(f);
    f.now.setTime(lastTick);
    Ledger &ledger = f.start();
    ledger.SelectItem(1);
    ledger.MinuteTick();
    const QString leftDay = f.today();
    const QStringList before = f.lines(kHistory);
    QCOMPARE(before.last(), leftDay + ":Mail:6:");

    f.now = nextTick;
    ledger.MinuteTick();
    verifyConsistent(f);
    const QString newDay = f.today();
    QCOMPARE(f.lines(kData),
             (QStringList{newDay + ":Writing:0:", newDay + ":Mail:1:", "T:Writing:110:", "T:Mail:207:"}));
    QCOMPARE(f.lines(kHistory), (before + QStringList{newDay + ":Writing:0:", newDay + ":Mail:1:"}));
    QCOMPARE(f.lines(kSwitches), (QStringList{f.key(QDate(2026, 12, 7)), "3", leftDay, "2", newDay, "0"}));
    QCOMPARE(ledger.state().CheckedIndex, 1);

    // More minutes on the new day change only its block.
    ledger.MinuteTick();
    verifyConsistent(f);
    QCOMPARE(f.lines(kHistory).mid(0, before.size()), before);
    QCOMPARE(f.lines(kData).at(3), QStringLiteral("T:Mail:208:"));
}

// Back a day and then right again: the day that came back gets a block of
// its own after the earlier ones (its earlier minutes stay in its first
// block), totals keep every minute, and a restart takes up the last block.
void TestClockTrouble::clockSetBackAndPutRight()
{
    LedgerFixture f;
    writeTwoItems(f);
    f.now.setTime(QTime(10, 0));
    Ledger &ledger = f.start();
    const QString today = f.today(), yesterday = f.key(f.now.date().addDays(-1));
    ledger.SelectItem(0);
    ledger.MinuteTick(); // Writing 11 today
    f.now = f.now.addDays(-1);
    ledger.MinuteTick(); // Writing 1 on "yesterday" again
    f.now = f.now.addDays(1);
    // The data lines were last parsed while they still carried today's key,
    // so this tick takes the table as today's and adds to yesterday's minute.
    ledger.MinuteTick(); // Writing 2 on today's second block
    verifyConsistent(f);

    QCOMPARE(f.lines(kHistory),
             (QStringList{"0:", yesterday + ":Writing:100:", yesterday + ":Mail:200:", today + ":Writing:11:",
                          today + ":Mail:5:", yesterday + ":Writing:1:", yesterday + ":Mail:0:",
                          today + ":Writing:2:", today + ":Mail:0:"}));
    QCOMPARE(f.lines(kData).mid(2), (QStringList{"T:Writing:113:", "T:Mail:205:"}));
    QCOMPARE(f.lines(kSwitches), (QStringList{yesterday, "3", today, "2", yesterday, "0", today, "0"}));

    // A restart on the same day appends nothing and reads the last block.
    const QByteArray history = f.bytes(kHistory);
    Ledger &again = f.start();
    QCOMPARE(f.bytes(kHistory), history);
    QCOMPARE(again.state().ItemTable.TodayMinutes, (QVector<qint32>{2, 0}));
    QCOMPARE(again.state().ItemTable.TotalMinutes, (QVector<qint32>{113, 205}));
}

QTEST_MAIN(TestClockTrouble)
#include "test_clock_trouble.moc"
