// The ledger without a window: start-up load, saving, the day rollover, the
// minute tick, selection and switch counting, and failures of the files.

#include "hourwise_error.h"
#include "item_status.h"
#include "ledger_fixture.h"
#include "shared_folder.h"

#include <QDir>
#include <QSignalSpy>

#include <unistd.h>

namespace {

const QString kData = Ledger::DataFileName;
const QString kHistory = Ledger::HistoryFileName;
const QString kSwitches = Ledger::SwitchFileName;

QByteArray goldenFile(const QString &name)
{
    QFile file(QFINDTESTDATA("data/first_start/" + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing golden file");
}

// Three items, two earlier days of history and today's data (9 December 2026).
void writeThreeItemDays(LedgerFixture &f)
{
    const QString d1 = f.key(QDate(2026, 12, 7)), d2 = f.key(QDate(2026, 12, 8));
    f.writeLines(kData, {d2 + ":Writing:95:", d2 + ":Mail:20:", d2 + ":Reading:5:", "T:Writing:620:",
                         "T:Mail:410:", "T:Reading:30:"});
    f.writeLines(kHistory, {"0:", d1 + ":Writing:50:", d1 + ":Mail:30:", d2 + ":Writing:95:", d2 + ":Mail:20:",
                            d2 + ":Reading:5:"});
    f.writeLines(kSwitches, {d1, "4", d2, "7"});
}

QString expectHourwiseError(const std::function<void()> &action)
{
    try {
        action();
    } catch (const HourwiseError &error) {
        return error.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace

class TestLedger : public QObject {
    Q_OBJECT
private slots:
    void firstStartWritesTheSeededFiles_data();
    void firstStartWritesTheSeededFiles();
    void startOnTheSameDayAppendsNothing();
    void startOnALaterDayStartsANewDay();
    void switchKeyIsFoundAtAnOddIndex();
    void switchLogCutAfterTodaysKeyGetsACount();
    void loadItemsReadsTheDataLines_data();
    void loadItemsReadsTheDataLines();
    void loadItemsErrorLeavesEarlierPositionsUpdated();
    void commaLocaleWritesCommaKeys();
    void filesOfOneLocaleWorkUnderTheOther_data();
    void filesOfOneLocaleWorkUnderTheOther();
    void missingDataBesideAHistoryChangesNothing_data();
    void missingDataBesideAHistoryChangesNothing();
    void olderDataTakesUpTheLaterHistory();
    void startRemovesLeftTemporariesOnly();
    void loadSaveLoadKeepsEveryByte();
    void earlierDaysKeepTheirBytes();
    void blankLinesAtTheHistorysEndStartNoSecondBlock();
    void badFilesAtStartWriteNothing_data();
    void badFilesAtStartWriteNothing();
    void failedSaveStopsAtTheFileAndRetriesWhole_data();
    void failedSaveStopsAtTheFileAndRetriesWhole();
    void readOnlyFolderKeepsOldFiles();
    void changesByAnotherProgramAreTakenOver();
    void changesThatWouldLoseDaysHoldTheSavesBack();
    void noItemsNeverDuplicatesTheSwitchPair();

    void ticksCreditTheCheckedItem();
    void tickWithNothingCheckedStillWrites();
    void switchesAreCountedAndSaved();
    void checkingTheCheckedItemCountsNothing();
    void midnightKeepsTheCheckedItemAndStartsANewDay();
    void checkBeforeTheFirstTickAfterAStartOnANewDay();
    void signalsReportChanges();
    void statusShowsNamesByteForByte();
    void historyFileAlwaysMirrorsMemory();
    void historyCutInItsLastBlockIsRepairedAtStart();

    void correctionsAndMovesChangeTheDayAndTheTotals();
    void changesBeyondTheLimitsChangeNothing();
    void midnightKeepsAChangeOnItsDay();
    void sharingMovesTheFilesAndRefusesASecondWriter();
};

void TestLedger::firstStartWritesTheSeededFiles_data()
{
    QTest::addColumn<bool>("filesExist");
    QTest::newRow("three empty files") << true;
    QTest::newRow("no files at all") << false;
}

void TestLedger::firstStartWritesTheSeededFiles()
{
    QFETCH(bool, filesExist);
    LedgerFixture f;
    if (filesExist)
        for (const QString &name : {kData, kHistory, kSwitches})
            f.write(name, {});
    Ledger &ledger = f.start();
    for (const QString &name : {kData, kHistory, kSwitches})
        QCOMPARE(f.bytes(name), goldenFile(name));
    QCOMPARE(ledger.state().ItemCount, 1);
    QCOMPARE(ledger.state().SwitchCount, 0);
    QCOMPARE(ledger.state().CheckedIndex, -1);
}

void TestLedger::startOnTheSameDayAppendsNothing()
{
    LedgerFixture f;
    f.now = QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59));
    writeThreeItemDays(f);
    const QByteArray data = f.bytes(kData), history = f.bytes(kHistory), switches = f.bytes(kSwitches);
    // None of the files, which the start leaves as they are, is written
    // again (the folder's lock file has already shown it writable).
    const QDateTime longAgo(QDate(2020, 1, 1), QTime(0, 0));
    for (const QString &name : {kData, kHistory, kSwitches}) {
        QFile file(f.path(name));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(longAgo, QFileDevice::FileModificationTime));
    }
    Ledger &ledger = f.start();
    QCOMPARE(QFileInfo(f.path(kData)).lastModified(), longAgo);
    QCOMPARE(QFileInfo(f.path(kHistory)).lastModified(), longAgo);
    QCOMPARE(QFileInfo(f.path(kSwitches)).lastModified(), longAgo);
    QCOMPARE(f.bytes(kData), data);
    QCOMPARE(f.bytes(kHistory), history);
    QCOMPARE(f.bytes(kSwitches), switches);
    QCOMPARE(ledger.state().SwitchCount, 7);
    QCOMPARE(ledger.state().ItemTable.TodayMinutes, (QVector<qint32>{95, 20, 5}));
}

void TestLedger::startOnALaterDayStartsANewDay()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    const QStringList oldHistory = f.lines(kHistory);
    f.now = QDateTime(QDate(2026, 12, 11), QTime(0, 0, 1));
    Ledger &ledger = f.start();
    const QString k = f.today();
    QCOMPARE(f.lines(kData), (QStringList{k + ":Writing:0:", k + ":Mail:0:", k + ":Reading:0:", "T:Writing:620:",
                                          "T:Mail:410:", "T:Reading:30:"}));
    const QStringList newBlock{k + ":Writing:0:", k + ":Mail:0:", k + ":Reading:0:"};
    QCOMPARE(f.lines(kHistory), oldHistory + newBlock);
    QCOMPARE(f.lines(kSwitches).mid(4), (QStringList{k, "0"}));
    QCOMPARE(ledger.state().SwitchLines, (QStringList{k, "0"}));
    // The day of the parsed lines stays the earlier one until the first tick re-parses.
    QCOMPARE(ledger.state().LineDay, JulianAtMidnight(QDate(2026, 12, 8)));
}

void TestLedger::switchKeyIsFoundAtAnOddIndex()
{
    LedgerFixture f;
    const QString k = f.today();
    // A key without its count shifts today's pair to an odd index.
    f.writeLines(kSwitches, {f.key(QDate(2026, 12, 1)), "3", f.key(QDate(2026, 12, 2)), k, "12"});
    Ledger &ledger = f.start();
    QCOMPARE(ledger.state().SwitchCount, 12);
    QCOMPARE(f.lines(kSwitches).size(), 5); // nothing appended
    ledger.SelectItem(0);
    ledger.SaveAll();
    QCOMPARE(f.lines(kSwitches), (QStringList{f.key(QDate(2026, 12, 1)), "3", f.key(QDate(2026, 12, 2)), k, "13"}));
}

void TestLedger::switchLogCutAfterTodaysKeyGetsACount()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    f.writeLines(kSwitches, {f.key(QDate(2026, 12, 7)), "4", f.today()});
    Ledger &ledger = f.start();
    QCOMPARE(f.lines(kSwitches), (QStringList{f.key(QDate(2026, 12, 7)), "4", f.today(), "0"}));
    QCOMPARE(ledger.state().SwitchLines, (QStringList{f.today(), "0"}));
}

void TestLedger::loadItemsReadsTheDataLines_data()
{
    QTest::addColumn<QStringList>("dataLines");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QVector<qint32>>("today");
    QTest::addColumn<QVector<qint32>>("total");
    const LedgerFixture f;
    const QString k = f.today(), yesterday = f.key(f.now.date().addDays(-1));
    QTest::newRow("seed") << QStringList{"0:Add something:0:", "T:Add something:0:"} << QStringList{"Add something"}
                          << QVector<qint32>{0} << QVector<qint32>{0};
    QTest::newRow("yesterday's minutes become 0")
        << QStringList{yesterday + ":Mail:40:", "T:Mail:400:"} << QStringList{"Mail"} << QVector<qint32>{0}
        << QVector<qint32>{400};
    QTest::newRow("yesterday's bad minutes are not read")
        << QStringList{yesterday + ":Mail:forty:", "T:Mail:400:"} << QStringList{"Mail"} << QVector<qint32>{0}
        << QVector<qint32>{400};
    QTest::newRow("odd count: fifth line unread")
        << QStringList{k + ":A:1:", k + ":B:2:", "T:A:10:", "T:B:20:", "garbage"} << QStringList{"A", "B"}
        << QVector<qint32>{1, 2} << QVector<qint32>{10, 20};
    QTest::newRow("negative and hex minutes")
        << QStringList{k + ":A:-20:", "T:A:$10:"} << QStringList{"A"} << QVector<qint32>{-20}
        << QVector<qint32>{16};
    QTest::newRow("blank name") << QStringList{k + ":   :3:", "T:   :3:"} << QStringList{"   "}
                                << QVector<qint32>{3} << QVector<qint32>{3};
}

void TestLedger::loadItemsReadsTheDataLines()
{
    QFETCH(QStringList, dataLines);
    QFETCH(QStringList, names);
    QFETCH(QVector<qint32>, today);
    QFETCH(QVector<qint32>, total);
    LedgerFixture f;
    f.writeLines(kData, dataLines);
    Ledger &ledger = f.start();
    QCOMPARE(ledger.state().ItemTable.Names, names);
    QCOMPARE(ledger.state().ItemTable.TodayMinutes, today);
    QCOMPARE(ledger.state().ItemTable.TotalMinutes, total);
    QCOMPARE(ledger.state().CheckedIndex, -1);
}

void TestLedger::loadItemsErrorLeavesEarlierPositionsUpdated()
{
    LedgerFixture f;
    const QString k = f.today();
    f.writeLines(kData, {k + ":A:1:", k + ":B:2:", "T:A:10:", "T:B:20:"});
    Ledger &ledger = f.start();
    QSignalSpy reloaded(&ledger, &Ledger::itemsReloaded);
    f.writeLines(kData, {k + ":X:5:", "Z:Y:6:", "T:X:50:", "T:Y:60:"});
    const QString message = expectHourwiseError([&] { ledger.StartupLoad(); });
    QCOMPARE(message, QStringLiteral("'Z' is not a valid floating point value"));
    QCOMPARE(ledger.state().ItemTable.Names, (QStringList{"X", "B"}));
    QCOMPARE(ledger.state().ItemTable.TotalMinutes, (QVector<qint32>{50, 20}));
    QCOMPARE(reloaded.count(), 0); // the radio group keeps its old names
}

void TestLedger::commaLocaleWritesCommaKeys()
{
    LedgerFixture f;
    f.locale.decimalSeparator = QLatin1Char(',');
    f.start();
    QCOMPARE(f.lines(kSwitches), (QStringList{"2461382,5", "0"}));
    QCOMPARE(f.lines(kData).first(), QStringLiteral("2461382,5:Add something:0:"));
    // The next start under the same locale finds the same day.
    f.start();
    QCOMPARE(f.lines(kSwitches).size(), 2);
}

void TestLedger::filesOfOneLocaleWorkUnderTheOther_data()
{
    QTest::addColumn<QChar>("writtenWith");
    QTest::addColumn<QChar>("readWith");
    QTest::newRow("comma files, point locale") << QChar(',') << QChar('.');
    QTest::newRow("point files, comma locale") << QChar('.') << QChar(',');
    QTest::newRow("Arabic-script files, point locale") << QChar(0x066B) << QChar('.');
}

// Keys are compared by value: today's block, today's switch entry and the
// data's day are found whatever separator they were written with; new
// lines take the current locale's form and stored lines stay as they are.
void TestLedger::filesOfOneLocaleWorkUnderTheOther()
{
    QFETCH(QChar, writtenWith);
    QFETCH(QChar, readWith);
    LedgerFixture f;
    f.locale.decimalSeparator = writtenWith;
    writeThreeItemDays(f);
    // A count line holding the whole part of today's key comes first.
    const QString todayKey = f.today();
    f.writeLines(kSwitches, {f.key(QDate(2026, 12, 7)), todayKey.left(7), todayKey, "7"});
    const QByteArray data = f.bytes(kData), history = f.bytes(kHistory), switches = f.bytes(kSwitches);
    f.locale.decimalSeparator = readWith;

    Ledger &ledger = f.start();
    QCOMPARE(f.bytes(kData), data);
    QCOMPARE(f.bytes(kHistory), history);
    QCOMPARE(f.bytes(kSwitches), switches);
    QCOMPARE(ledger.state().SwitchCount, 7);
    QCOMPARE(ledger.state().ItemTable.TodayMinutes, (QVector<qint32>{95, 20, 5}));

    ledger.SelectItem(1);
    ledger.MinuteTick();
    const QStringList oldHistory = DecodeLines(history);
    QStringList expected = oldHistory;
    expected[4] = f.today() + ":Mail:21:"; // the current form
    QCOMPARE(f.lines(kHistory), expected);
    QCOMPARE(f.lines(kSwitches).last(), QStringLiteral("8"));

    f.now = f.now.addDays(1);
    ledger.MinuteTick();
    const QString k = f.today();
    const QStringList newBlock{k + ":Writing:0:", k + ":Mail:1:", k + ":Reading:0:"};
    QCOMPARE(f.lines(kHistory), expected + newBlock);
    QCOMPARE(f.lines(kSwitches).mid(4), (QStringList{k, "0"}));
}

void TestLedger::missingDataBesideAHistoryChangesNothing_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("data.txc missing") << false;
    QTest::newRow("data.txc empty") << true;
}

// Without data.txc the items and totals are gone; the history of earlier
// days is kept whole, and the start-up says what to do instead of seeding.
void TestLedger::missingDataBesideAHistoryChangesNothing()
{
    QFETCH(bool, fileExists);
    LedgerFixture f;
    writeThreeItemDays(f);
    QVERIFY(QFile::remove(f.path(kData)));
    if (fileExists)
        f.write(kData, {});
    const QByteArray history = f.bytes(kHistory), switches = f.bytes(kSwitches);
    Ledger &ledger = f.make();
    const QString message = expectHourwiseError([&] { ledger.StartupLoad(); });
    QVERIFY2(message.startsWith(QStringLiteral("The file \"%1\" is missing, empty or damaged (it holds no item), but "
                                                   "\"%2\" holds the history")
                                    .arg(f.path(kData), f.path(kHistory))),
             qPrintable(message));
    ledger.SaveAll();
    ledger.MinuteTick();
    QCOMPARE(QFile::exists(f.path(kData)), fileExists);
    QCOMPARE(f.bytes(kHistory), history);
    QCOMPARE(f.bytes(kSwitches), switches);
}

// A data.txc older than the history's last day (a backup put back, or a
// power cut that lost its last rename) adds no block: the items are the last
// block's, today's minutes come from it, and every total gains the minutes
// the history counted after data.txc was saved. A clock behind the history
// stops the start.
void TestLedger::olderDataTakesUpTheLaterHistory()
{
    LedgerFixture f;
    const QString d7 = f.key(QDate(2026, 12, 7)), d8 = f.key(QDate(2026, 12, 8)), d9 = f.key(QDate(2026, 12, 9)),
                  d10 = f.key(QDate(2026, 12, 10));
    // A backup of 8 December: Reading was added later that day, Old deleted.
    f.writeLines(kData, {d8 + ":Writing:90:", d8 + ":Old:2:", d8 + ":Mail:20:", "T:Writing:615:", "T:Old:40:",
                         "T:Mail:410:"});
    const QStringList history{"0:",          d7 + ":Writing:50:", d7 + ":Mail:30:",   d8 + ":Writing:95:",
                              d8 + ":Mail:20:", d8 + ":Reading:5:", d9 + ":Writing:10:", d9 + ":Mail:0:",
                              d9 + ":Reading:7:", d10 + ":Writing:3:", d10 + ":Mail:1:", d10 + ":Reading:0:"};
    f.writeLines(kHistory, history);
    f.now = QDateTime(QDate(2026, 12, 10), QTime(9, 0));
    Ledger &ledger = f.start();
    QCOMPARE(f.lines(kHistory), history);
    QCOMPARE(f.lines(kData), (QStringList{d10 + ":Writing:3:", d10 + ":Mail:1:", d10 + ":Reading:0:",
                                          "T:Writing:633:", "T:Mail:411:", "T:Reading:12:"}));
    ledger.SelectItem(1);
    ledger.MinuteTick();
    QCOMPARE(f.lines(kHistory), history.mid(0, 10) + QStringList({d10 + ":Mail:2:", d10 + ":Reading:0:"}));

    // A clock behind the history's last day would put a block out of order: nothing is written.
    const QByteArray data = f.bytes(kData), historyBytes = f.bytes(kHistory);
    f.now = QDateTime(QDate(2026, 12, 9), QTime(9, 0));
    Ledger &behind = f.make();
    QCOMPARE(expectHourwiseError([&] { behind.StartupLoad(); }),
             QStringLiteral("The history \"%1\" already holds the day 10/12/2026, later than today by the "
                            "computer's clock (09/12/2026). Set the clock right and start Hourwise again; if the "
                            "day 10/12/2026 is wrong, first remove its lines from the end of that file.")
                 .arg(f.path(kHistory)));
    behind.SaveAll();
    QCOMPARE(f.bytes(kData), data);
    QCOMPARE(f.bytes(kHistory), historyBytes);

    // The midnight save's history kept, data.txc still of the save before
    // it: the minute each file lacks is counted once, and no block follows.
    LedgerFixture cut;
    cut.writeLines(kData, {d8 + ":Writing:94:", d8 + ":Mail:20:", "T:Writing:619:", "T:Mail:410:"});
    const QStringList ahead{"0:", d8 + ":Writing:95:", d8 + ":Mail:20:", d9 + ":Writing:1:", d9 + ":Mail:0:"};
    cut.writeLines(kHistory, ahead);
    cut.now = QDateTime(QDate(2026, 12, 9), QTime(0, 0, 30));
    cut.start();
    QCOMPARE(cut.lines(kHistory), ahead);
    QCOMPARE(cut.lines(kData), (QStringList{d9 + ":Writing:1:", d9 + ":Mail:0:", "T:Writing:621:", "T:Mail:410:"}));
}

// A kill between writing a temporary file and renaming it leaves
// "help.txc.AbCdEf"; the start removes such files of the three names only.
void TestLedger::startRemovesLeftTemporariesOnly()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    const QStringList own{"data.txc.AbCdEf", "completedata.txc.zYxWvU", "help.txc.QwErTy"};
    const QStringList others{"help.txc.AbC123", "help.txc.AbCdEfG", "help.txc.bak", "notes.txc.AbCdEf"};
    for (const QString &name : own + others)
        f.write(name, "left\r\n");
    f.start();
    QStringList expected = others + QStringList{kData, kHistory, kSwitches};
    expected.sort();
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files, QDir::Name), expected);
}

void TestLedger::loadSaveLoadKeepsEveryByte()
{
    LedgerFixture f;
    const QByteArray k = f.today().toLatin1();
    const QByteArray data = k + ":Caf\xe9:3:\r\n" + k + ":\xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80:4:\r\nT:Caf\xe9:30:\r\nT:"
        "\xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80:40:\r\n";
    const QByteArray history = "0:\r\n" + k + ":Caf\xe9:3:\r\n" + k + ":\xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80:4:\r\n";
    const QByteArray switches = k + "\r\n2\r\n";
    f.write(kData, data);
    f.write(kHistory, history);
    f.write(kSwitches, switches);
    Ledger &ledger = f.start();
    ledger.SaveAll();
    QCOMPARE(f.bytes(kData), data);
    QCOMPARE(f.bytes(kHistory), history);
    QCOMPARE(f.bytes(kSwitches), switches);
    f.start();
    QCOMPARE(f.ledger->state().ItemTable.Names.at(1), QStringLiteral("été 😀"));
    QCOMPARE(f.bytes(kData), data);
}

// Only the last day's block and today's switch entry are decoded at the
// start. The bytes before them are written back as they were, undecodable
// ones included, and lines there that end otherwise than with CR LF get
// CR LF, as every save has written them: in the history at its first write,
// so that a start that writes nothing need not read the years before.
void TestLedger::earlierDaysKeepTheirBytes()
{
    LedgerFixture f;
    const QByteArray past = f.key(QDate(2026, 12, 7)).toLatin1(), k = f.today().toLatin1();
    const QByteArray earlier = "0:\r\n" + past + ":Caf\xe9:3:\r\n" + past + ":\xff\xfe:4:\r\n";
    const QByteArray todayBlock = k + ":Caf\xe9:5:\r\n" + k + ":Mail:1:\r\n";
    const QByteArray data = todayBlock + "T:Caf\xe9:30:\r\nT:Mail:9:\r\n";
    const QByteArray switchesEarlier = past + "\r\n3\r\n\xff\xfe\r\n0\r\n";
    f.write(kData, data);
    f.write(kSwitches, switchesEarlier + k + "\r\n2\r\n");
    // Today's block, one minute behind the data, begins with a key of the
    // other decimal separator: the whole block is today's and is replaced.
    f.write(kHistory, earlier + QByteArray(k).replace('.', ',') + ":Caf\xe9:4:\r\n" + k + ":Mail:1:\r\n");
    Ledger &ledger = f.start();
    QCOMPARE(f.bytes(kHistory), earlier + todayBlock);
    f.now = f.now.addDays(1);
    ledger.MinuteTick();
    const QByteArray next = f.today().toLatin1();
    QCOMPARE(f.bytes(kHistory), earlier + todayBlock + next + ":Caf\xe9:0:\r\n" + next + ":Mail:0:\r\n");
    QCOMPARE(f.bytes(kSwitches), switchesEarlier + k + "\r\n2\r\n" + next + "\r\n0\r\n");

    f.now = f.now.addDays(-1);
    f.write(kData, data);
    const QByteArray foreignEndings = "0:\n" + past + ":Caf\xe9:3:\r" + past + ":\xff\xfe:4:\r\n" + todayBlock;
    f.write(kHistory, foreignEndings);
    f.write(kSwitches, past + "\n3\r\xff\xfe\r\n0\n" + k + "\r\n2");
    f.start();
    QCOMPARE(f.bytes(kHistory), foreignEndings);
    QCOMPARE(f.bytes(kSwitches), switchesEarlier + k + "\r\n2\r\n");
    f.ledger->SelectItem(1);
    f.ledger->MinuteTick();
    QCOMPARE(f.bytes(kHistory), earlier + k + ":Caf\xe9:5:\r\n" + k + ":Mail:2:\r\n");
}

// Blank lines after the last block (an editor's, "echo >>") are no day: the
// block before them stays the last one, and the first save drops them.
void TestLedger::blankLinesAtTheHistorysEndStartNoSecondBlock()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    const QByteArray history = f.bytes(kHistory);
    f.write(kHistory, history + "\r\n");
    Ledger &ledger = f.start();
    QCOMPARE(f.bytes(kHistory), history);
    ledger.SelectItem(1);
    ledger.MinuteTick();
    const QStringList afterTick = f.lines(kHistory);
    QCOMPARE(afterTick.size(), DecodeLines(history).size());
    QCOMPARE(afterTick.last(), f.today() + ":Reading:5:");
    QCOMPARE(afterTick.at(afterTick.size() - 2), f.today() + ":Mail:21:");

    f.write(kHistory, EncodeLines(afterTick) + " \n\r\n\t\r\n");
    f.now = f.now.addDays(1);
    f.start();
    const QString k = f.today();
    QCOMPARE(f.lines(kHistory), afterTick + QStringList({k + ":Writing:0:", k + ":Mail:0:", k + ":Reading:0:"}));
}

void TestLedger::badFilesAtStartWriteNothing_data()
{
    QTest::addColumn<QString>("badFile");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("messageStart");
    QTest::newRow("bad day") << kData << QByteArray("x:A:1:\r\nT:A:1:\r\n") << "'x' is not a valid floating point value";
    QTest::newRow("bad total") << kData << QByteArray("0:A:1:\r\nT:A:lots:\r\n") << "'lots' is not a valid integer value";
    QTest::newRow("bad switch count") << kSwitches << QByteArray("KEY\r\nmany\r\n")
                                      << "'many' is not a valid integer value";
    QTest::newRow("data is a folder") << kData << QByteArray() << "Cannot open file \"";
    QTest::newRow("history is a folder") << kHistory << QByteArray() << "Cannot open file \"";
    const QByteArray runaway(10 * 1024 * 1024, '7'), quoted = "'" + runaway.left(40) + "\xe2\x80\xa6' is not a valid ";
    QTest::newRow("day of 10 MB") << kData << runaway + ":A:1:\r\nT:A:1:\r\n" << QString(quoted + "floating");
    QTest::newRow("total of 10 MB") << kData << "0:A:1:\r\nT:A:" + runaway + ":\r\n" << QString(quoted + "integer");
}

void TestLedger::badFilesAtStartWriteNothing()
{
    QFETCH(QString, badFile);
    QFETCH(QByteArray, content);
    QFETCH(QString, messageStart);
    LedgerFixture f;
    writeThreeItemDays(f);
    f.now = f.now.addDays(3); // a rollover would append to every file
    content.replace("KEY", f.today().toLatin1());
    if (content.isEmpty()) {
        QFile::remove(f.path(badFile));
        QVERIFY(QDir().mkpath(f.path(badFile)));
    } else {
        f.write(badFile, content);
    }
    const QByteArray data = f.bytes(kData), history = f.bytes(kHistory), switches = f.bytes(kSwitches);
    Ledger &ledger = f.make();
    const QString message = expectHourwiseError([&] { ledger.StartupLoad(); });
    QVERIFY2(message.startsWith(messageStart), qPrintable(message.left(200)));
    QVERIFY(message.size() < 300); // a bounded excerpt of the bad text
    QVERIFY(!ledger.isLoaded());
    ledger.SaveAll();
    ledger.MinuteTick();
    QCOMPARE(f.bytes(kData), data);
    QCOMPARE(f.bytes(kHistory), history);
    QCOMPARE(f.bytes(kSwitches), switches);
}

void TestLedger::failedSaveStopsAtTheFileAndRetriesWhole_data()
{
    QTest::addColumn<QString>("blockedFile");
    QTest::newRow("data.txc") << kData;
    QTest::newRow("completedata.txc") << kHistory;
    QTest::newRow("help.txc") << kSwitches;
}

void TestLedger::failedSaveStopsAtTheFileAndRetriesWhole()
{
    QFETCH(QString, blockedFile);
    LedgerFixture f;
    writeThreeItemDays(f);
    Ledger &ledger = f.start();
    ledger.SelectItem(1);
    QSignalSpy saved(&ledger, &Ledger::saved);
    const QByteArray before[] = {f.bytes(kData), f.bytes(kHistory), f.bytes(kSwitches)};

    // A folder where the file should be: the rename over it fails, as root too.
    QVERIFY(QFile::remove(f.path(blockedFile)));
    QVERIFY(QDir().mkpath(f.path(blockedFile)));
    const QString message = expectHourwiseError([&] { ledger.MinuteTick(); });
    QVERIFY2(message.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(f.path(blockedFile))),
             qPrintable(message));
    QCOMPARE(saved.count(), 0); // no redraw after a failed save
    const QString names[] = {kData, kHistory, kSwitches};
    const int blocked = int(std::find(std::begin(names), std::end(names), blockedFile) - std::begin(names));
    for (int i = blocked + 1; i < 3; ++i)
        QCOMPARE(f.bytes(names[i]), before[i]);
    QCOMPARE(ledger.state().ItemTable.TodayMinutes.at(1), 21); // memory keeps the minute

    QVERIFY(QDir(f.path(blockedFile)).removeRecursively());
    ledger.SaveAll();
    QCOMPARE(saved.count(), 1);
    QVERIFY(f.lines(kData).contains(f.today() + ":Mail:21:"));
    const QStringList history = f.lines(kHistory);
    QCOMPARE(history.at(history.size() - 2), f.today() + ":Mail:21:");
    QCOMPARE(f.lines(kSwitches).last(), QStringLiteral("8"));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3); // no temporaries left
}

void TestLedger::readOnlyFolderKeepsOldFiles()
{
    if (geteuid() == 0)
        QSKIP("root writes into read-only folders; covered by the folder-in-the-way test");
    LedgerFixture f;
    writeThreeItemDays(f);
    Ledger &ledger = f.start();
    const QByteArray data = f.bytes(kData);
    ledger.SelectItem(0);
    QVERIFY(QFile::setPermissions(f.dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QString message = expectHourwiseError([&] { ledger.MinuteTick(); });
    QFile::setPermissions(f.dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(message.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(f.path(kData))));
    QCOMPARE(f.bytes(kData), data);
    ledger.SaveAll();
    QVERIFY(f.lines(kData).contains(f.today() + ":Writing:96:"));
}

namespace {

// Writes the file in place, as cp, rsync --inplace or truncate do: the same
// file, new bytes. The time is set apart from the last save's, which may lie
// in the same tick of the file system's clock.
void writeInPlace(LedgerFixture &f, const QString &name, const QByteArray &bytes)
{
    QFile file(f.path(name));
    QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
}

} // namespace

// Another program writes a file while Hourwise runs. A version that loses
// nothing Hourwise counted becomes the record, and the minutes counted since
// are carried over into it; the earlier history is copied from the file,
// never through a mapping that the other program has changed.
void TestLedger::changesByAnotherProgramAreTakenOver()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    Ledger &ledger = f.start();
    ledger.SelectItem(0);
    const QString d1 = f.key(QDate(2026, 12, 7)), d2 = f.today();
    // An editor mends an earlier day (another length), keeping today's block.
    QStringList history = f.lines(kHistory);
    history[1] = d1 + ":Writing hard:55:";
    writeInPlace(f, kHistory, EncodeLines(history));
    // Totals edited by hand; the items and today lines are Hourwise's.
    writeInPlace(f, kData, EncodeLines({d2 + ":Writing:95:", d2 + ":Mail:20:", d2 + ":Reading:5:",
                                        "T:Writing:1000:", "T:Mail:400:", "T:Reading:30:"}));
    writeInPlace(f, kSwitches, EncodeLines({d1, "9", d2, "7"}));
    ledger.MinuteTick();
    QCOMPARE(f.lines(kData), (QStringList{d2 + ":Writing:96:", d2 + ":Mail:20:", d2 + ":Reading:5:",
                                          "T:Writing:1001:", "T:Mail:400:", "T:Reading:30:"}));
    QCOMPARE(f.lines(kHistory), history.mid(0, 3) + f.lines(kData).mid(0, 3));
    QCOMPARE(f.lines(kSwitches), (QStringList{d1, "9", d2, "8"}));
    QVERIFY(ledger.fileChangedElsewhere().isEmpty());

    // Deleted files hide nothing to lose: Hourwise's version is written.
    const QByteArray before = f.bytes(kHistory);
    for (const QString &name : {kData, kHistory, kSwitches})
        QVERIFY(QFile::remove(f.path(name)));
    ledger.MinuteTick();
    QCOMPARE(f.bytes(kHistory), QByteArray(before).replace(":96:", ":97:"));
    QCOMPARE(f.lines(kSwitches), (QStringList{d1, "9", d2, "8"}));
    QCOMPARE(f.lines(kData).at(3), QStringLiteral("T:Writing:1002:"));
    // An older help.txc put back lacks a day that Hourwise saved: kept, in date order.
    const QString d0 = f.key(QDate(2026, 12, 6));
    writeInPlace(f, kSwitches, EncodeLines({d0, "3", d2, "2"}));
    ledger.MinuteTick();
    QCOMPARE(f.lines(kSwitches), (QStringList{d0, "3", d1, "9", d2, "8"}));
}

// A history cut short in place (the first tick used to die of SIGBUS) or a
// data.txc of other items would lose counted days or minutes if taken over,
// and overwriting it would lose the other program's work: nothing is
// written, the minutes stay in memory, and the saves go on once the user
// chooses to save over it.
void TestLedger::changesThatWouldLoseDaysHoldTheSavesBack()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    Ledger &ledger = f.start();
    ledger.SelectItem(0);
    const QByteArray data = f.bytes(kData), switches = f.bytes(kSwitches);
    const QByteArray cut = f.bytes(kHistory).first(20); // "0:" and part of the first day's line
    writeInPlace(f, kHistory, cut);
    for (int tick = 0; tick < 2; ++tick) {
        QCOMPARE(expectHourwiseError([&] { ledger.MinuteTick(); }),
                 QStringLiteral("Cannot save file \"%1\". completedata.txc was changed by another program")
                     .arg(f.path(kHistory)));
        QCOMPARE(ledger.fileChangedElsewhere(), kHistory);
    }
    QCOMPARE(f.bytes(kHistory), cut);
    QCOMPARE(f.bytes(kData), data);
    QCOMPARE(f.bytes(kSwitches), switches);
    QCOMPARE(ledger.state().ItemTable.TodayMinutes.at(0), 97);

    ledger.SaveOverChangedFile();
    QVERIFY(ledger.fileChangedElsewhere().isEmpty());
    const QStringList today = f.lines(kData).mid(0, 3);
    QCOMPARE(today.first(), f.today() + ":Writing:97:");
    QCOMPARE(f.bytes(kHistory), cut + "\r\n" + EncodeLines(today)); // the cut line is ended, never joined
    ledger.MinuteTick();
    QCOMPARE(f.lines(kHistory).last(), f.today() + ":Reading:5:");

    // Other items: saving over the change puts Hourwise's items back.
    writeInPlace(f, kData, EncodeLines({f.today() + ":Calls:3:", "T:Calls:3:"}));
    QVERIFY(expectHourwiseError([&] { ledger.MinuteTick(); }).endsWith("data.txc was changed by another program"));
    QCOMPARE(ledger.fileChangedElsewhere(), kData);
    ledger.SaveOverChangedFile();
    QCOMPARE(f.lines(kData).first(), f.today() + ":Writing:99:");
}

void TestLedger::noItemsNeverDuplicatesTheSwitchPair()
{
    LedgerFixture f;
    f.writeLines(kData, {"0:Lonely line:0:"}); // one line: no items
    Ledger &ledger = f.start();
    QCOMPARE(ledger.state().ItemCount, 0);
    for (int i = 0; i < 3; ++i)
        ledger.MinuteTick();
    QCOMPARE(f.lines(kSwitches), (QStringList{f.today(), "0"}));
    QCOMPARE(f.lines(kHistory), QStringList{"0:"});
}

void TestLedger::ticksCreditTheCheckedItem()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    Ledger &ledger = f.start();
    ledger.SelectItem(2);
    for (int i = 0; i < 3; ++i) {
        f.now = f.now.addSecs(60);
        ledger.MinuteTick();
    }
    const QString k = f.today();
    QCOMPARE(f.lines(kData).at(2), k + ":Reading:8:");
    QCOMPARE(f.lines(kData).at(5), QStringLiteral("T:Reading:33:"));
    QCOMPARE(f.lines(kHistory).last(), k + ":Reading:8:");
    QCOMPARE(f.lines(kHistory).size(), 6);
}

void TestLedger::tickWithNothingCheckedStillWrites()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    Ledger &ledger = f.start();
    const QByteArray data = f.bytes(kData);
    for (const QString &name : {kData, kHistory, kSwitches})
        QVERIFY(QFile::remove(f.path(name)));
    ledger.MinuteTick();
    QCOMPARE(f.bytes(kData), data);
    QVERIFY(QFile::exists(f.path(kHistory)));
    QVERIFY(QFile::exists(f.path(kSwitches)));
}

void TestLedger::switchesAreCountedAndSaved()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    f.writeLines(kSwitches, {f.today(), "0"});
    Ledger &ledger = f.start();
    ledger.SelectItem(0);
    ledger.SelectItem(1);
    ledger.SelectItem(0);
    QCOMPARE(ledger.state().SwitchCount, 3);
    QCOMPARE(f.lines(kSwitches).last(), QStringLiteral("0")); // in memory until the next save
    ledger.MinuteTick();
    QCOMPARE(f.lines(kSwitches).last(), QStringLiteral("3"));
    ledger.SelectItem(-1);
    ledger.SelectItem(0);
    QCOMPARE(ledger.state().SwitchCount, 4); // to nothing and back counts one
}

void TestLedger::checkingTheCheckedItemCountsNothing()
{
    LedgerFixture f;
    Ledger &ledger = f.start();
    ledger.SelectItem(0);
    ledger.SelectItem(0);
    ledger.SelectItem(-1);
    ledger.SelectItem(-1);
    QCOMPARE(ledger.state().SwitchCount, 1);
}

void TestLedger::midnightKeepsTheCheckedItemAndStartsANewDay()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    f.now = QDateTime(QDate(2026, 12, 8), QTime(23, 59, 30));
    Ledger &ledger = f.start();
    ledger.SelectItem(0);
    const QStringList historyBefore = f.lines(kHistory);
    f.now = QDateTime(QDate(2026, 12, 9), QTime(0, 0, 30));
    ledger.MinuteTick();
    const QString k = f.today();
    QCOMPARE(ledger.state().CheckedIndex, 0);
    QCOMPARE(ledger.state().SwitchCount, 0);
    QCOMPARE(f.lines(kData).mid(0, 3), (QStringList{k + ":Writing:1:", k + ":Mail:0:", k + ":Reading:0:"}));
    QCOMPARE(f.lines(kData).at(3), QStringLiteral("T:Writing:621:"));
    const QStringList newBlock{k + ":Writing:1:", k + ":Mail:0:", k + ":Reading:0:"};
    QCOMPARE(f.lines(kHistory), historyBefore + newBlock);
    QCOMPARE(f.lines(kSwitches).mid(4), (QStringList{k, "0"}));
    // The new day reloads the switch log: yesterday's count is what the last save wrote.
    QCOMPARE(f.lines(kSwitches).at(3), QStringLiteral("7"));
}

void TestLedger::checkBeforeTheFirstTickAfterAStartOnANewDay()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    f.now = QDateTime(QDate(2026, 12, 10), QTime(8, 0));
    Ledger &ledger = f.start();
    ledger.SelectItem(1);
    QCOMPARE(ledger.state().SwitchCount, 1);
    ledger.MinuteTick(); // re-parses: the earlier day is still in LineDay
    QCOMPARE(ledger.state().SwitchCount, 2);
    QCOMPARE(ledger.state().CheckedIndex, 1);
    QCOMPARE(ledger.state().ItemTable.TodayMinutes.at(1), 1);
    QCOMPARE(f.lines(kSwitches).last(), QStringLiteral("2"));
    ledger.MinuteTick();
    QCOMPARE(ledger.state().SwitchCount, 2); // no second re-parse
}

void TestLedger::signalsReportChanges()
{
    LedgerFixture f;
    Ledger &ledger = f.make();
    QSignalSpy reloaded(&ledger, &Ledger::itemsReloaded);
    QSignalSpy selection(&ledger, &Ledger::selectionChanged);
    QSignalSpy switches(&ledger, &Ledger::switchCountChanged);
    QSignalSpy saved(&ledger, &Ledger::saved);
    ledger.StartupLoad();
    QCOMPARE(reloaded.count(), 1);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(switches.last().at(0).toInt(), 0);
    ledger.SelectItem(0);
    QCOMPARE(selection.last().at(0).toInt(), 0);
    QCOMPARE(switches.last().at(0).toInt(), 1);
}

// The plain status gives names back as the files hold them and the JSON
// as escapes where JSON needs them; an item is found only by its exact bytes.
void TestLedger::statusShowsNamesByteForByte()
{
    LedgerFixture f;
    const QByteArray today = f.today().toUtf8();
    const QByteArray stats = "\xF0\x9F\x93\x8A Stats"; // U+1F4CA, whose second half looks like an escaped byte
    const QList<QByteArray> names{"Writing", "Mail, \"urgent\" \\ now", "Caf\xE9", stats, "Tab\there"};
    QByteArray data;
    for (int i = 0; i < names.size(); ++i)
        data += today + ":" + names.at(i) + ":" + QByteArray::number(i * 10) + ":\r\n";
    for (const QByteArray &name : names)
        data += "T:" + name + ":99:\r\n";
    f.write(kData, data);
    Ledger &ledger = f.start();
    QCOMPARE(StatusText(ItemStatus::of(ledger.state())),
             "Checked: Nothing Selected\n0 Writing\n10 Mail, \"urgent\" \\ now\n20 Caf\xE9\n30 " + stats
                 + "\n40 Tab\there\n");
    QCOMPARE(StatusJson(ItemStatus::of(ledger.state())).left(16), "{\"checked\":null,");

    const auto find = [&](const QByteArray &bytes) {
        return FindItem(ledger.state().ItemTable.Names, DecodeLine(bytes, 0, bytes.size()));
    };
    QCOMPARE(find("Caf\xE9"), 2);
    QCOMPARE(find("Caf\xC3\xA9"), -1); // the same word in UTF-8 is another name
    QCOMPARE(find("\xED\xB3\xA9"), -1); // U+DCE9 encoded: not an escaped byte
    QCOMPARE(find(stats), 3);
    QCOMPARE(find("Writing "), -1);
    QCOMPARE(find("writing"), -1);
    ledger.SelectItem(find("Caf\xE9"));
    QCOMPARE(CheckedLine(ItemStatus::of(ledger.state())), "Checked: Caf\xE9\n");
    QCOMPARE(StatusJson(ItemStatus::of(ledger.state())),
             "{\"checked\":\"Caf\\udce9\",\"items\":[{\"name\":\"Writing\",\"today\":0},"
             "{\"name\":\"Mail, \\\"urgent\\\" \\\\ now\",\"today\":10},{\"name\":\"Caf\\udce9\",\"today\":20},"
             "{\"name\":\"" + stats + "\",\"today\":30},{\"name\":\"Tab\\u0009here\",\"today\":40}]}\n");
}

void TestLedger::historyFileAlwaysMirrorsMemory()
{
    // Saves encode only the last day's block and today's switch count anew;
    // whatever the operations, the files must still hold exactly the bytes
    // and lines in memory. The bytes before the last block are shown from
    // the file saved (or read) last, not held as a copy that would grow
    // with the years: an array that does not own its bytes.
    LedgerFixture f;
    writeThreeItemDays(f);
    Ledger &ledger = f.start();
    const auto same = [&] {
        const LedgerState &s = ledger.state();
        return f.bytes(kHistory) == s.HistoryEarlier + EncodeLines(s.HistoryLines) && f.bytes(kHistory) == ledger.historyBytes()
            && f.bytes(kSwitches) == s.SwitchEarlier + EncodeLines(s.SwitchLines) && !s.HistoryEarlier.isDetached();
    };
    ledger.SelectItem(0);
    ledger.MinuteTick();
    QVERIFY(same());
    // Within a day a tick writes the history's end and the switch count in
    // place: a whole write would put another file there.
    const auto identity = [&](const QString &name) { return StampOf(f.path(name)).identity; };
    const FileIdentity history = identity(kHistory), switches = identity(kSwitches);
    ledger.SelectItem(1);
    ledger.MinuteTick();
    QVERIFY(ledger.AdjustTime(1, 1, false)); // a shorter line
    ledger.MinuteTick();
    QVERIFY(same());
    QVERIFY(identity(kHistory) == history);
    QVERIFY(identity(kSwitches) == switches);
    f.now = f.now.addDays(1);
    ledger.MinuteTick();
    QVERIFY(same());
    ledger.AddItem(QStringLiteral("Reading more"));
    QVERIFY(same());
    ledger.DeleteItem(1);
    ledger.SaveAll();
    QVERIFY(same());
    // A correction of an earlier block writes the file whole; the next
    // tick writes only its end again.
    ledger.CorrectDay(f.now.date().addDays(-1), {{{QStringLiteral("Writing"), 0}, 1}});
    QVERIFY(same());
    ledger.MinuteTick();
    QVERIFY(same());
    while (ledger.state().ItemCount > 1 || ledger.state().ItemTable.Names.first() != "Add something") {
        ledger.DeleteItem(0);
        ledger.SaveAll();
        QVERIFY(same());
    }
    f.now = f.now.addDays(2);
    ledger.AddItem(QStringLiteral("Fresh"));
    QVERIFY(same());
    ledger.StartupLoad();
    QVERIFY(same());
}

// A save writes the history's end in place from the first byte that
// changed, so a kill part-way leaves it cut anywhere in its last block (a
// file system may leave NUL bytes behind). The next start repairs it from
// data.txc, written whole before it, to the bytes of a whole save.
void TestLedger::historyCutInItsLastBlockIsRepairedAtStart()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    const QByteArray whole = f.bytes(kHistory);
    for (qsizetype cut = whole.indexOf(f.today().toUtf8()); cut < whole.size(); ++cut) {
        f.write(kHistory, whole.first(cut) + QByteArray(cut % 2 * 3, '\0'));
        f.start();
        QCOMPARE(f.bytes(kHistory), whole);
    }
}

namespace {

const QDate kDay1(2026, 12, 7), kDay2(2026, 12, 8); // writeThreeItemDays' days; kDay2 is the fixture's today

DayLineRef line(const char *name)
{
    return {QString::fromUtf8(name), 0};
}

// The files of writeThreeItemDays with the minutes given.
QByteArray historyOf(LedgerFixture &f, const QVector<int> &day1, const QVector<int> &day2)
{
    const QString d1 = f.key(kDay1), d2 = f.key(kDay2);
    const auto lineOf = [](const QString &key, const char *name, int minutes) {
        return key + ":" + name + ":" + QString::number(minutes) + ":";
    };
    return EncodeLines({"0:", lineOf(d1, "Writing", day1[0]), lineOf(d1, "Mail", day1[1]),
                        lineOf(d2, "Writing", day2[0]), lineOf(d2, "Mail", day2[1]), lineOf(d2, "Reading", day2[2])});
}

QByteArray dataOf(LedgerFixture &f, const QVector<int> &today, const QVector<int> &totals)
{
    const QString k = f.key(kDay2);
    const QStringList names{"Writing", "Mail", "Reading"};
    QStringList lines;
    for (int i = 0; i < 3; ++i)
        lines << k + ":" + names[i] + ":" + QString::number(today[i]) + ":";
    for (int i = 0; i < 3; ++i)
        lines << "T:" + names[i] + ":" + QString::number(totals[i]) + ":";
    return EncodeLines(lines);
}

} // namespace

// An earlier day's block is rewritten in the midst of the history, a
// move of today changes today's block; every change reaches the totals,
// and Undo takes them back last first, to the very bytes before them.
void TestLedger::correctionsAndMovesChangeTheDayAndTheTotals()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    Ledger &ledger = f.start();
    QSignalSpy corrected(&ledger, &Ledger::dayCorrected);
    const DayMinutes day1 = ledger.MinutesOfDay(kDay1);
    QCOMPARE(day1.names, (QStringList{"Writing", "Mail"}));
    QCOMPARE(day1.minutes, (QVector<qint32>{50, 30}));
    QCOMPARE(day1.switchCount, QStringLiteral("4"));
    QVERIFY(!day1.isToday && ledger.MinutesOfDay(kDay2).isToday && !ledger.MinutesOfDay(kDay1.addDays(-1)).hasData());

    ledger.CorrectDay(kDay1, {{line("Writing"), 30}, {line("Mail"), -30}});
    QCOMPARE(f.bytes(kHistory), historyOf(f, {80, 0}, {95, 20, 5}));
    QCOMPARE(f.bytes(kData), dataOf(f, {95, 20, 5}, {650, 380, 30}));
    QVERIFY(ledger.AdjustTime(2, 10, true));
    ledger.SaveAll();
    ledger.MoveMinutes(kDay2, line("Writing"), line("Reading"), 15);
    QCOMPARE(f.bytes(kHistory), historyOf(f, {80, 0}, {80, 20, 30}));
    QCOMPARE(f.bytes(kData), dataOf(f, {80, 20, 30}, {635, 380, 55}));
    QCOMPARE(f.bytes(kHistory), ledger.historyBytes());
    QCOMPARE(corrected.size(), 2);
    QCOMPARE(corrected.last().at(0).toDate(), kDay2);

    QCOMPARE(ledger.UndoCaption(), QStringLiteral("Undo Move 15 min from Writing to Reading"));
    ledger.Undo();
    QCOMPARE(ledger.UndoCaption(), QStringLiteral("Undo Add 10 min to Reading"));
    ledger.Undo();
    QCOMPARE(f.bytes(kData), dataOf(f, {95, 20, 5}, {650, 380, 30}));
    QCOMPARE(ledger.UndoCaption(), QStringLiteral("Undo Correction of 07/12/2026"));
    ledger.Undo();
    QCOMPARE(f.bytes(kHistory), historyOf(f, {50, 30}, {95, 20, 5}));
    QCOMPARE(f.bytes(kData), dataOf(f, {95, 20, 5}, {620, 410, 30}));
    QVERIFY(ledger.UndoCaption().isEmpty());
    QCOMPARE(corrected.last().at(0).toDate(), kDay1);
}

// Each limit refuses with its reason, the same as the dialogs are told
// beforehand, and changes no file and no minute.
void TestLedger::changesBeyondTheLimitsChangeNothing()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    Ledger &ledger = f.start();
    const auto refused = [&](const std::function<void()> &change, const QString &whyNot, const char *reason) {
        const QByteArray history = f.bytes(kHistory), data = f.bytes(kData);
        const QString message = expectHourwiseError(change);
        QVERIFY2(message.contains(QLatin1String(reason)), qPrintable(message));
        QCOMPARE(whyNot, message);
        QCOMPARE(f.bytes(kHistory), history);
        QCOMPARE(f.bytes(kData), data);
        QVERIFY(f.ledger->UndoCaption().isEmpty());
    };
    refused([&] { ledger.MoveMinutes(kDay2, line("Mail"), line("Writing"), 90); },
            ledger.WhyNotMove(kDay2, line("Mail"), line("Writing"), 90),
            "\"Mail\" would have -70 minutes on 08/12/2026");
    refused([&] { ledger.CorrectDay(kDay1, {{line("Writing"), 1361}}); },
            ledger.WhyNotCorrect(kDay1, {{line("Writing"), 1361}}), "would sum to 1441, more than the 1,440");
    refused([&] { ledger.CorrectDay(kDay1, {{line("Reading"), 1}}); },
            ledger.WhyNotCorrect(kDay1, {{line("Reading"), 1}}), "\"Reading\" has no minutes on 07/12/2026");
    refused([&] { ledger.MoveMinutes(kDay2, line("Mail"), line("Mail"), 5); },
            ledger.WhyNotMove(kDay2, line("Mail"), line("Mail"), 5), "two different items");
    refused([&] { ledger.MoveMinutes(kDay2, line("Mail"), line("Writing"), 0); },
            ledger.WhyNotMove(kDay2, line("Mail"), line("Writing"), 0), "above 0");
    refused([&] { ledger.CorrectDay(kDay2.addDays(1), {{line("Mail"), 5}}); },
            ledger.WhyNotCorrect(kDay2.addDays(1), {{line("Mail"), 5}}), "No data for 09/12/2026 exists");
    // The day's sum may stay where it was (1,440), and only a total leave the 32-bit range.
    ledger.CorrectDay(kDay1, {{line("Writing"), 1360}});
    ledger.Undo();
    f.write(kData, dataOf(f, {95, 20, 5}, {2147483600, 410, 30}));
    f.start();
    refused([&] { f.ledger->CorrectDay(kDay1, {{line("Writing"), 48}}); },
            f.ledger->WhyNotCorrect(kDay1, {{line("Writing"), 48}}), "range that the program can store");
    // Another program's history that lacks a day Hourwise saved holds a
    // correction back before it changes anything, as it holds a save back.
    const QByteArray theirs = EncodeLines({"0:", f.key(kDay1) + ":Writing:50:"});
    f.write(kHistory, theirs);
    QVERIFY(expectHourwiseError([&] { f.ledger->CorrectDay(kDay1, {{line("Writing"), 1}}); })
                .contains("was changed by another program"));
    QCOMPARE(f.ledger->fileChangedElsewhere(), kHistory);
    QCOMPARE(f.bytes(kHistory), theirs);
    QVERIFY(f.ledger->UndoCaption().isEmpty());
}

// A dialog opened before midnight changes the day it showed: once the date
// has changed, that day's block in the history and the totals, never the
// new day's minutes; an addition made before midnight is undone there too.
void TestLedger::midnightKeepsAChangeOnItsDay()
{
    LedgerFixture f;
    writeThreeItemDays(f);
    Ledger &ledger = f.start();
    ledger.SelectItem(0);
    QVERIFY(ledger.AdjustTime(2, 10, true));
    ledger.SaveAll();
    f.now = QDateTime(kDay2.addDays(1), QTime(0, 0, 30)); // before the new day's first tick
    ledger.MoveMinutes(kDay2, line("Writing"), line("Mail"), 30);
    QCOMPARE(ledger.UndoCaption(), QStringLiteral("Undo Move 30 min from Writing to Mail on 08/12/2026"));
    const QString k = f.today();
    const QByteArray newDay = EncodeLines({k + ":Writing:0:", k + ":Mail:0:", k + ":Reading:0:"});
    QCOMPARE(f.bytes(kHistory), historyOf(f, {50, 30}, {65, 50, 15}) + newDay);
    QCOMPARE(ledger.state().ItemTable.TotalMinutes, (QVector<qint32>{590, 440, 40}));
    QCOMPARE(ledger.state().ItemTable.TodayMinutes, (QVector<qint32>{0, 0, 0}));
    QCOMPARE(ledger.state().CheckedIndex, 0); // the new day keeps the checked item
    ledger.Undo();
    ledger.Undo();
    QCOMPARE(f.bytes(kHistory), historyOf(f, {50, 30}, {95, 20, 5}) + newDay);
    QCOMPARE(ledger.state().ItemTable.TotalMinutes, (QVector<qint32>{620, 410, 30}));
}

// Joining moves the three files whole and removes them only once the copies
// read back equal; a folder that holds files already is never mixed in. A
// second computer with the same id is refused while the first writes.
void TestLedger::sharingMovesTheFilesAndRefusesASecondWriter()
{
    LedgerFixture f;
    f.writeItems({"Mail"});
    Ledger &ledger = f.start();
    const QByteArray data = f.bytes(Ledger::DataFileName), history = f.bytes(Ledger::HistoryFileName);
    const QString sub = f.path("shared/" + ComputerSubfolderName("my laptop/.x", "ab12cd34"));
    QCOMPARE(QFileInfo(sub).fileName(), QStringLiteral("my-laptop-.x-ab12cd34"));

    QVERIFY(QDir().mkpath(sub));
    f.write("shared/" + QFileInfo(sub).fileName() + "/help.txc", "keep me");
    QVERIFY_THROWS_EXCEPTION(HourwiseError, MoveDataFiles(f.dir.path(), sub));
    QCOMPARE(f.bytes(Ledger::DataFileName), data); // nothing moved, nothing removed
    QVERIFY(!QFile::exists(sub + "/data.txc"));
    QFile::remove(sub + "/help.txc");

    MoveDataFiles(f.dir.path(), sub);
    QVERIFY(!QFile::exists(f.path(Ledger::DataFileName)) && !QFile::exists(f.path(Ledger::HistoryFileName)));
    QCOMPARE(ReadFileBytes(sub + "/data.txc"), data);
    QCOMPARE(ReadFileBytes(sub + "/completedata.txc"), history);
    Ledger moved(sub, [&] { return f.now; }, f.locale);
    moved.StartupLoad();
    QCOMPARE(moved.state().DataLines, ledger.state().DataLines);
    MoveDataFiles(sub, f.dir.path()); // and back
    QCOMPARE(f.bytes(Ledger::DataFileName), data);
    QVERIFY(!QFile::exists(sub + "/data.txc"));

    MoveDataFiles(f.dir.path(), sub);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QCOMPARE(ClaimSubfolder(sub, "laptop", "boot-1", "", now), QString());
    QCOMPARE(ClaimSubfolder(sub, "laptop", "boot-1", "boot-1", now), QString()); // a restart in the same boot
    const QString refusal = ClaimSubfolder(sub, "clone", "boot-2", "boot-0", now);
    QVERIFY2(refusal.startsWith("Another Hourwise (on \"laptop\") is writing"), qPrintable(refusal));
    // The laptop's own claim from before a reboot is its own, however fresh.
    QCOMPARE(ClaimSubfolder(sub, "laptop", "boot-3", "boot-1", now), QString());
    QVERIFY(!ClaimSubfolder(sub, "clone", "boot-2", "boot-1", now).isEmpty()); // now boot-3's
    QCOMPARE(ClaimSubfolder(sub, "clone", "boot-2", "boot-0", now + 4 * 60 * 1000), QString()); // the first one stopped
}

QTEST_GUILESS_MAIN(TestLedger)
#include "test_ledger.moc"
