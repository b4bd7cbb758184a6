// Saves that fail while the program runs: a full disk (a file size limit of
// the process, which works as root and without mounts) and a read-only data
// folder. Every failing save shows one standard error box, the old files
// stay whole, nothing in memory is lost, and the first save after the fault
// is gone writes everything.

#include "file_size_limit.h"
#include "hourwise_error.h"
#include "radio_group.h"
#include "save_status.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QRadioButton>

#include <cstdio>

#include <unistd.h>

namespace {

const QString kData = Ledger::DataFileName;
const QString kHistory = Ledger::HistoryFileName;
const QString kSwitches = Ledger::SwitchFileName;
const QString kFiles[] = {kData, kHistory, kSwitches};

enum class Fault { DiskFull, DiskFullAfterDataFile, ReadOnlyFolder };

struct FaultFixture : WindowFixture {
    std::unique_ptr<FileSizeLimit> limit;

    FaultFixture()
    {
        // Three items and a history long enough to be the largest file.
        QStringList data, history{"0:"}, switches;
        for (int day = 30; day >= 1; --day) {
            const QString k = key(now.date().addDays(-day));
            history << k + ":Writing:40:" << k + ":Mail:20:" << k + ":Reading:10:";
            switches << k << "5";
        }
        data << today() + ":Writing:7:" << today() + ":Mail:3:" << today() + ":Reading:0:"
             << "T:Writing:1207:" << "T:Mail:603:" << "T:Reading:300:";
        history << data.mid(0, 3);
        switches << today() << "2";
        writeLines(kData, data);
        writeLines(kHistory, history);
        writeLines(kSwitches, switches);
    }

    void apply(Fault fault)
    {
        switch (fault) {
        case Fault::DiskFull:
            limit = std::make_unique<FileSizeLimit>(0);
            break;
        case Fault::DiskFullAfterDataFile:
            // data.txc and help.txc fit, completedata.txc does not.
            limit = std::make_unique<FileSizeLimit>(std::max(bytes(kData).size(), bytes(kSwitches).size()) + 64);
            break;
        case Fault::ReadOnlyFolder:
            QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            break;
        }
    }

    void lift()
    {
        limit.reset();
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    ~FaultFixture() { lift(); }
};

// Puts lines in place of the file as a sync tool or a restore does: a new
// file written beside it and renamed over it.
void renameOver(const FaultFixture &f, const QString &name, const QStringList &lines)
{
    f.writeLines(name + QStringLiteral(".incoming"), lines);
    QCOMPARE(::rename(QFile::encodeName(f.path(name + QStringLiteral(".incoming"))).constData(),
                      QFile::encodeName(f.path(name)).constData()),
             0);
}

void clickItem(TForm1 &w, int index)
{
    QRadioButton *button = w.RG1->button(index);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestSaveFaults : public QObject {
    Q_OBJECT
private slots:
    void failingSavesLoseNothing_data();
    void failingSavesLoseNothing();
    void diskFullAcrossMidnight();
    void ticksGoOnWhileTheErrorBoxIsOpen();
    void closingAfterAFailedSaveAsksFirst();
    void fileChangedElsewhereAsksOnce();
    void olderFolderPutBackKeepsEveryDay();
    void fullDiskKeepsTheOldFileWhole();
};

void TestSaveFaults::failingSavesLoseNothing_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("failingFile");
    QTest::newRow("disk full") << Fault::DiskFull << kData;
    QTest::newRow("disk full after data.txc") << Fault::DiskFullAfterDataFile << kHistory;
    QTest::newRow("read-only folder") << Fault::ReadOnlyFolder << kData;
}

void TestSaveFaults::failingSavesLoseNothing()
{
    QFETCH(Fault, fault);
    QFETCH(QString, failingFile);
    if (fault == Fault::ReadOnlyFolder && geteuid() == 0)
        QSKIP("root writes into read-only folders; the file size limit rows run as root");

    FaultFixture f;
    TForm1 &w = f.open();
    clickItem(w, 0);
    w.Timer1Timer();
    QVERIFY(f.prompts.standardErrors.isEmpty());
    QByteArray before[3];
    for (int i = 0; i < 3; ++i)
        before[i] = f.bytes(kFiles[i]);

    f.apply(fault);
    if (f.limit)
        QVERIFY(f.limit->active());
    for (int tick = 0; tick < 3; ++tick) {
        if (tick == 1)
            clickItem(w, 2); // a switch counted while nothing can be written
        f.now = f.now.addSecs(60);
        w.Timer1Timer();
        QCoreApplication::processEvents();
    }
    // One box for the three failed saves, and a line in the window.
    QCOMPARE(f.prompts.standardErrors.size(), 1);
    const QString message = f.prompts.standardErrors.first();
    const QString start = QStringLiteral("Cannot create file \"%1\". ").arg(f.path(failingFile));
    QVERIFY2(message.startsWith(start), qPrintable(message));
    QVERIFY(message.endsWith('.'));
    const QString reason = message.mid(start.size()).chopped(1);
    QVERIFY(w.SaveStatusLine->isVisible());
    QCOMPARE(w.SaveStatusLine->text(), QStringLiteral("Not saved since 09:00:00: ") + reason);
    // The failing file and those after it keep their old bytes, whole.
    const int failing = failingFile == kData ? 0 : 1;
    for (int i = failing; i < 3; ++i)
        QCOMPARE(f.bytes(kFiles[i]), before[i]);
    const LedgerState &state = f.ledger->state();
    QCOMPARE(state.ItemTable.TodayMinutes, (QVector<qint32>{8 + 1, 3, 0 + 2}));
    QCOMPARE(state.ItemTable.TotalMinutes, (QVector<qint32>{1208 + 1, 603, 300 + 2}));
    QVERIFY(w.isVisible());

    f.lift();
    w.Timer1Timer();
    QCOMPARE(f.prompts.standardErrors.size(), 1);
    QVERIFY(!w.SaveStatusLine->isVisible());
    const QStringList data = f.lines(kData);
    QCOMPARE(data, (QStringList{f.today() + ":Writing:9:", f.today() + ":Mail:3:", f.today() + ":Reading:3:",
                                "T:Writing:1209:", "T:Mail:603:", "T:Reading:303:"}));
    QCOMPARE(f.lines(kHistory).mid(f.lines(kHistory).size() - 3), data.mid(0, 3));
    QCOMPARE(f.lines(kSwitches).mid(f.lines(kSwitches).size() - 2), (QStringList{f.today(), "4"}));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3); // no temporaries left
}

// The day rolls over in memory while nothing can be written; the first save
// after the fault writes the new day once, with every minute credited.
void TestSaveFaults::diskFullAcrossMidnight()
{
    FaultFixture f;
    f.now.setTime(QTime(23, 59, 10));
    TForm1 &w = f.open();
    const QString yesterday = f.today();
    clickItem(w, 1);
    f.apply(Fault::DiskFull);
    for (int minute = 0; minute < 2; ++minute) {
        f.now = f.now.addSecs(60);
        w.Timer1Timer();
    }
    QCOMPARE(f.lines(kData).first(), yesterday + ":Writing:7:");
    QVERIFY2(w.SaveStatusLine->text().startsWith("Not saved since 08/12/2026 23:59:10: "),
             qPrintable(w.SaveStatusLine->text()));

    f.lift();
    f.now = f.now.addSecs(60);
    w.Timer1Timer();
    QTRY_COMPARE(f.prompts.standardErrors.size(), 1);
    const QString today = f.today();
    QVERIFY(today != yesterday);
    const QStringList data = f.lines(kData);
    QCOMPARE(data, (QStringList{today + ":Writing:0:", today + ":Mail:3:", today + ":Reading:0:",
                                "T:Writing:1207:", "T:Mail:606:", "T:Reading:300:"}));
    const QStringList history = f.lines(kHistory);
    QCOMPARE(history.size(), 1 + 31 * 3 + 3);
    QCOMPARE(history.mid(history.size() - 6), (QStringList{yesterday + ":Writing:7:", yesterday + ":Mail:3:",
                                                          yesterday + ":Reading:0:"} + data.mid(0, 3)));
    const QStringList switches = f.lines(kSwitches);
    // The second tick of the new day re-parses the data lines (their day was
    // read while they still held yesterday's key) and restores the
    // selection, which counts as today's first switch.
    QCOMPARE(switches.mid(switches.size() - 4), (QStringList{yesterday, "2", today, "1"}));
    QCOMPARE(w.RG1->checkedIndex(), 1);
}

// The minute timer keeps crediting and saving while the error box of a failed
// tick is open: one box per reason, however many ticks fail, and the first
// save that succeeds writes every minute.
void TestSaveFaults::ticksGoOnWhileTheErrorBoxIsOpen()
{
    FaultFixture f;
    TForm1 &w = f.open();
    clickItem(w, 0);
    const auto writingToday = [&] { return f.ledger->state().ItemTable.TodayMinutes.at(0); };
    int ticksWhileOpen = 0;
    f.prompts.whileStandardErrorOpen = [&] {
        // A modal box runs an event loop until it is closed; this one closes after five ticks.
        const qint32 atOpen = writingToday();
        QTRY_VERIFY(writingToday() >= atOpen + 5);
        ticksWhileOpen += writingToday() - atOpen;
    };
    f.apply(Fault::DiskFull);
    w.Timer1->setInterval(20);
    w.Timer1->start();
    QTRY_COMPARE(f.prompts.standardErrors.size(), 1);
    QVERIFY(ticksWhileOpen >= 5);
    QCOMPARE(f.lines(kData).first(), f.today() + ":Writing:7:");

    // Another reason, another box; the same reason once more, none.
    f.lift();
    QVERIFY(QFile::remove(f.path(kHistory)));
    QVERIFY(QDir().mkpath(f.path(kHistory)));
    QTRY_COMPARE(f.prompts.standardErrors.size(), 2);
    QVERIFY(f.prompts.standardErrors.at(1).startsWith("Cannot create file \"" + f.path(kHistory)));
    QVERIFY(QDir(f.path(kHistory)).removeRecursively());
    QTRY_VERIFY(!w.SaveStatusLine->isVisible());
    w.Timer1->stop();
    QCOMPARE(f.lines(kData).first(), f.today() + ":Writing:" + QString::number(writingToday()) + ":");
    QCOMPARE(f.prompts.standardErrors.size(), 2);
}

// Ending the program after a failed last save asks first, with the same
// question whichever way it is ended: Exit, Ctrl+Q or the close box. No,
// the default, keeps the program and its minutes.
void TestSaveFaults::closingAfterAFailedSaveAsksFirst()
{
    FaultFixture f;
    f.now.setTime(QTime(10, 14));
    TForm1 &w = f.open();
    clickItem(w, 0);
    f.apply(Fault::DiskFull);
    f.now = f.now.addSecs(60);

    QAction *quitKey = nullptr;
    for (QAction *action : w.actions())
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Q))
            quitKey = action;
    QVERIFY(quitKey);
    const std::function<void()> endings[] = {[&] { w.Button1->click(); }, [&] { quitKey->trigger(); },
                                             [&] { w.close(); }};
    for (const auto &end : endings) {
        f.prompts.log.clear();
        end();
        QVERIFY(w.isVisible());
        QCOMPARE(f.prompts.log.size(), 1);
        QVERIFY(f.prompts.log.last().startsWith("ConfirmLoss: Cannot create file \"" + f.path(kData) + "\". "));
        QVERIFY2(f.prompts.log.last().endsWith("\n\nQuit anyway and lose what was counted since 10:14:00?"),
                 qPrintable(f.prompts.log.last()));
    }
    QVERIFY(w.SaveStatusLine->text().startsWith("Not saved since 10:14:00: "));

    f.prompts.lossAnswers << true;
    quitKey->trigger();
    QVERIFY(!w.isVisible());
    QCOMPARE(f.lines(kData).first(), f.today() + ":Writing:7:");
}

// A history that another program cut short while Hourwise ran: the window
// says so and asks, once, instead of showing the error box every minute;
// saving over the change writes every minute counted meanwhile.
void TestSaveFaults::fileChangedElsewhereAsksOnce()
{
    FaultFixture f;
    TForm1 &w = f.open();
    clickItem(w, 0);
    QFile history(f.path(kHistory));
    QVERIFY(history.open(QIODevice::ReadWrite));
    QVERIFY(history.resize(100)); // in place, in the middle of a line
    history.close();
    for (int tick = 0; tick < 3; ++tick) {
        f.now = f.now.addSecs(60);
        w.Timer1Timer();
        QCoreApplication::processEvents();
    }
    QVERIFY(f.prompts.standardErrors.isEmpty());
    QCOMPARE(f.prompts.log.size(), 1);
    QVERIFY2(f.prompts.log.first().startsWith(
                 QStringLiteral("ConfirmLoss: Cannot save file \"%1\". completedata.txc was changed by another "
                                "program.\n\nHourwise has not saved since 09:00:00")
                     .arg(f.path(kHistory))),
             qPrintable(f.prompts.log.first()));
    QCOMPARE(w.SaveStatusLine->text(),
             QStringLiteral("Not saved since 09:00:00: completedata.txc was changed by another program<br>"
                            "<a href=\"save\">Save Hourwise's version...</a>"));
    QCOMPARE(f.bytes(kHistory).size(), 100);

    f.prompts.lossAnswers << true;
    f.ledger->SelectItem(1); // another switch: saving fails for the same reason, which asks no more
    w.Timer1Timer();
    QCoreApplication::processEvents();
    QCOMPARE(f.prompts.log.size(), 1);
    f.ledger->SelectItem(0);
    QVERIFY(QFile::resize(f.path(kHistory), 90)); // changed again: asked again
    w.Timer1Timer();
    QCoreApplication::processEvents();
    QCOMPARE(f.prompts.log.size(), 2);
    QTRY_VERIFY(!w.SaveStatusLine->isVisible());
    const QStringList lines = f.lines(kHistory);
    QCOMPARE(lines.mid(lines.size() - 3), f.lines(kData).mid(0, 3));
    QCOMPARE(f.lines(kData).first(), f.today() + ":Writing:11:");
}

// The folder as it was three days ago comes back by rename (a sync tool, a
// restore). An older help.txc alone is taken over keeping every day; the
// whole folder holds the saves back and asks, naming the days only Hourwise
// saved. No leaves it alone and the window offers to ask again; Yes, from
// there or on the way out, keeps every day of both versions.
void TestSaveFaults::olderFolderPutBackKeepsEveryDay()
{
    FaultFixture f;
    const QStringList history = f.lines(kHistory), switches = f.lines(kSwitches);
    const QDate older = f.now.date().addDays(-3);
    const qsizetype olderDays = 1 + 3 * 28; // "0:" and the days up to three days ago
    const QStringList olderHistory = history.mid(0, olderDays), olderSwitches = switches.mid(0, 2 * 28);
    const QStringList olderData{f.key(older) + ":Writing:40:", f.key(older) + ":Mail:20:",
                                f.key(older) + ":Reading:10:", "T:Writing:1120:", "T:Mail:560:", "T:Reading:290:"};
    TForm1 &w = f.open();
    clickItem(w, 0);
    const auto tick = [&] {
        f.now = f.now.addSecs(60);
        w.Timer1Timer();
        QCoreApplication::processEvents();
    };
    const auto everyDayKept = [&] {
        const QStringList today = f.lines(kData).mid(0, 3);
        QCOMPARE(f.bytes(kHistory), EncodeLines(history.mid(0, history.size() - 3) + today));
        QCOMPARE(f.lines(kSwitches), switches.mid(0, switches.size() - 1) + QStringList{"3"});
    };

    renameOver(f, kSwitches, olderSwitches);
    tick();
    QVERIFY(f.prompts.log.isEmpty());
    everyDayKept();

    const auto putBackOlderFolder = [&] {
        renameOver(f, kData, olderData);
        renameOver(f, kHistory, olderHistory);
        renameOver(f, kSwitches, olderSwitches);
        tick();
        QCOMPARE(f.bytes(kHistory), EncodeLines(olderHistory)); // asked first: nothing written
        QVERIFY2(f.prompts.log.last().contains(
                     QStringLiteral("gets back the days only Hourwise saved (%1, %2)")
                         .arg(f.locale.formatShortDate(older.addDays(1)), f.locale.formatShortDate(older.addDays(2)))),
                 qPrintable(f.prompts.log.last()));
    };
    putBackOlderFolder();
    QCOMPARE(f.prompts.log.size(), 1);
    QVERIFY(w.SaveStatusLine->text().contains(SaveStatus::kSaveOverLinkText));
    f.prompts.lossAnswers << true;
    emit w.SaveStatusLine->linkActivated(QStringLiteral("save"));
    QCOMPARE(f.prompts.log.size(), 2);
    everyDayKept();
    QCOMPARE(f.lines(kData).at(0), f.today() + ":Writing:9:");
    QTRY_VERIFY(!w.SaveStatusLine->isVisible());

    putBackOlderFolder();
    f.prompts.lossAnswers << true;
    QVERIFY(w.close()); // asked again on the way out; Yes saves and quits
    QCOMPARE(f.prompts.log.size(), 4);
    QVERIFY(f.prompts.log.last().contains(QStringLiteral("Yes saves Hourwise's version and quits")));
    everyDayKept();
}

// A write that fails only when the file is flushed must not replace the old
// file with an empty one.
void TestSaveFaults::fullDiskKeepsTheOldFileWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lines.txc");
    WriteLineFile(path, {"old"});
    {
        FileSizeLimit limit(0);
        QVERIFY(limit.active());
        QVERIFY_THROWS_EXCEPTION(HourwiseError, WriteLineFile(path, {"new", "lines"}));
    }
    QCOMPARE(ReadLineFile(path), QStringList{"old"});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"lines.txc"});
}

QTEST_MAIN(TestSaveFaults)
#include "test_save_faults.moc"
