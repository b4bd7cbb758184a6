// The main window offscreen: its widgets, menus, selection, clock, Exit, and
// the error boxes, driven through scripted prompts.

#include "bar_chart_view.h"
#include "appearance.h"
#include "folder_lock.h"
#include "file_size_limit.h"
#include "qt_prompts.h"
#include "radio_group.h"
#include "single_instance.h"
#include "sharing_session.h"
#include "text_clipping.h"
#include "text_contrast.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <cstring>
#include <future>
#include <optional>
#include <thread>

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A radio button reacts to clicks on its circle and text, not on the space beyond.
void clickItem(TForm1 &w, int index)
{
    QRadioButton *button = w.RG1->button(index);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// Clients of the socket at path that send nothing, each on a thread of its
// own: like separate programs, those that find the server's queue full wait
// in line in connect. With reconnect, each connects again once dropped.
class IdleClients {
public:
    IdleClients(const QString &path, int count, bool reconnect)
    {
        const QByteArray encoded = QFile::encodeName(path);
        std::memcpy(address_.sun_path, encoded.constData(), size_t(encoded.size()));
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this, reconnect] { run(reconnect); });
    }
    ~IdleClients()
    {
        stop_ = true;
        for (std::thread &thread : threads_)
            thread.join();
    }
    int started() const { return started_; }

private:
    void run(bool reconnect)
    {
        ++started_;
        do {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const timeval connectWait{5, 0}, idleWait{0, 50000};
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &connectWait, sizeof connectWait);
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &idleWait, sizeof idleWait);
            while (!stop_ && ::connect(fd, reinterpret_cast<const sockaddr *>(&address_), sizeof address_) != 0) {
            }
            char byte = 0;
            while (!stop_ && ::recv(fd, &byte, 1, 0) < 0) {
            }
            ::close(fd);
        } while (reconnect && !stop_);
    }

    sockaddr_un address_{AF_UNIX, {}};
    std::vector<std::thread> threads_;
    std::atomic<bool> stop_{false};
    std::atomic<int> started_{0};
};

QStringList menuTexts(QWidget *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        ApplyDesktopFonts();
        ApplyDesktopStyle();
    }
    void widgetsStandWhereTheyShould_data();
    void widgetsStandWhereTheyShould();
    void rightToLeftMirrorsTheWholeWindow();
    void texts();
    void menusHoldEveryEntryInOrder();
    void menuOverflowIconIsTheStyles();
    void radioCirclesStandOutFromTheWindow();
    void itemsBecomeRadioButtonsInColumns();
    void clickingItemsCountsSwitches();
    void nothingSelectedUnchecksEveryItem();
    void keyboardReachesAndMovesTheCheck();
    void everyWayOfCheckingIsOneSelection();
    void clockShowsTimeAndDate();
    void exitWritesIdenticalFilesTwice_data();
    void exitWritesIdenticalFilesTwice();
    void tickThroughTheTimerHandler();
    void unreadableFilesEndTheProgramWithoutWriting_data();
    void unreadableFilesEndTheProgramWithoutWriting();
    void failedSaveShowsTheStandardErrorBoxAndGoesOn();
    void messagesShowQuotedTextWhole();
    void standardErrorTitleAndFullStop_data();
    void standardErrorTitleAndFullStop();
    void secondCopyInTheSameFolderIsRefused();
    void unlockableFolderIsNoRunningCopy();
    void laterStartGetsPastIdleConnections_data();
    void laterStartGetsPastIdleConnections();
    void laterStartGivesUpOnABusyCopy();
    void commandsThroughTheSocketAreClicks();
    void sharingMovesTheFilesAndCountsTheOthers();
};

void TestMainWindow::widgetsStandWhereTheyShould_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("RG1") << "RG1" << QRect(0, 0, 705, 217);
    QTest::newRow("RadioButton1") << "RadioButton1" << QRect(8, 232, 145, 17);
    QTest::newRow("StaticText1") << "StaticText1" << QRect(64, 392, 110, 27);
    QTest::newRow("Button1") << "Button1" << QRect(8, 464, 75, 25);
    QTest::newRow("Chart1") << "Chart1" << QRect(288, 216, 416, 281);
}

void TestMainWindow::widgetsStandWhereTheyShould()
{
    QFETCH(QString, widget);
    QFETCH(QRect, geometry);
    WindowFixture f;
    TForm1 &w = f.open();
    const QHash<QString, QWidget *> widgets{{"RG1", w.RG1},
                                            {"RadioButton1", w.RadioButton1},
                                            {"StaticText1", w.StaticText1},
                                            {"Button1", w.Button1},
                                            {"Chart1", w.Chart1}};
    QCOMPARE(widgets.value(widget)->geometry(), geometry);
    QCOMPARE(w.centralWidget()->size(), QSize(705, 497));
    QCOMPARE(w.Label2->pos(), QPoint(8, 280));
    QCOMPARE(w.Label3->pos(), QPoint(8, 296));
    QCOMPARE(w.Label1->pos(), QPoint(8, 312));
    QCOMPARE(w.Label4->pos(), QPoint(64, 424));
    QCOMPARE(ClippedTexts(&w).join(" | "), QString());
    f.ledger->AddItem(QStringLiteral("Reading")); // "Nothing Selected" turns bold
    QCOMPARE(ClippedTexts(&w).join(" | "), QString());
}

// Under a right-to-left layout direction (-reverse) the window mirrors as
// a whole: every widget at its place mirrored across the window, the labels'
// texts at their right, the items' columns running from the right, where
// Left leads to the next column. The chart moves, but reads left to right.
void TestMainWindow::rightToLeftMirrorsTheWholeWindow()
{
    // Places mirrored across the window, which the item group is as wide as.
    const auto placesIn = [](TForm1 &w, bool mirrored) {
        QList<QWidget *> widgets = w.centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        for (int i = 0; i < w.RG1->count(); ++i)
            widgets << w.RG1->button(i);
        QList<QRect> places;
        for (const QWidget *widget : widgets)
            places << (mirrored ? QStyle::visualRect(Qt::RightToLeft, QRect(0, 0, 705, 497), widget->geometry())
                                : widget->geometry());
        return places;
    };
    const QStringList items{"Writing", "Mail", "Sport", "Music", "Reading"};
    WindowFixture leftToRight;
    leftToRight.writeItems(items);
    const QList<QRect> designed = placesIn(leftToRight.open(), false);

    QApplication::setLayoutDirection(Qt::RightToLeft);
    const auto restore = qScopeGuard([] { QApplication::setLayoutDirection(Qt::LeftToRight); });
    WindowFixture f;
    f.writeItems(items);
    TForm1 &w = f.open();
    QCOMPARE(placesIn(w, true), designed);
    QCOMPARE(w.Chart1->geometry(), QRect(1, 216, 416, 281));
    QVERIFY(w.Label1->alignment() & Qt::AlignRight);
    QCOMPARE(ClippedTexts(&w).join(" | "), QString());

    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.RG1->button(1)->setFocus();
    QTest::keyClick(w.RG1->button(1), Qt::Key_Left); // two to a column: to the neighbour in the next
    QCOMPARE(f.ledger->state().CheckedIndex, 3);
}

void TestMainWindow::texts()
{
    WindowFixture f;
    TForm1 &w = f.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("Hourwise"));
    QCOMPARE(w.RadioButton1->text(), QStringLiteral("Nothing Selected"));
    QVERIFY(w.RadioButton1->isChecked());
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 0"));
    QCOMPARE(w.StaticText1->text(), QStringLiteral("Hourwise"));
    QVERIFY(w.StaticText1->font().bold() && w.StaticText1->font().italic());
    QCOMPARE(w.StaticText1->font().pixelSize(), 19);
    QCOMPARE(w.Button1->text(), QStringLiteral("Exit"));
    QCOMPARE(w.Timer1->interval(), 60000);
    QCOMPARE(w.Timer1->timerType(), Qt::PreciseTimer);
    QCOMPARE(w.Timer2->interval(), 1000);
    QVERIFY(w.Timer1->isActive() && w.Timer2->isActive());
}

void TestMainWindow::menusHoldEveryEntryInOrder()
{
    WindowFixture f;
    TForm1 &w = f.open();
    const QList<QAction *> menus = w.menuBar()->actions();
    QCOMPARE(menus.size(), 4);
    // Each entry's access key is the letter after "&", one letter once per menu.
    QCOMPARE(menuTexts(w.menuBar()), (QStringList{"&Items", "&Edit Time", "&Graph", "&Help"}));
    QCOMPARE(menuTexts(menus.at(0)->menu()),
             (QStringList{"&Add Item", "&Delete Item", "-", "&Share with Other Computers...", "S&top Sharing"}));
    QCOMPARE(menuTexts(menus.at(1)->menu()), (QStringList{"&Add Time to Item", "&Deduct from Item", "-",
                                                          "&Correct Day...", "&Move Minutes...", "-", "&Undo"}));
    QCOMPARE(menuTexts(menus.at(2)->menu()),
             (QStringList{"&Today", "T&otal", "&Choose Date", "Choose &Range...", "-", "&Print Graph", "&Save Graph", "-",
                          "&Export History...", "T&his Computer Only"}));
    QVERIFY(!w.StopSharing1->isVisible() && !w.ThisComputerOnly1->isVisible()); // while not sharing
    QCOMPARE(menuTexts(w.Today1->menu()), (QStringList{"&Value", "&Percentage"}));
    QCOMPARE(menuTexts(w.Total1->menu()), (QStringList{"&Value", "&Precentage"}));
    QCOMPARE(menuTexts(menus.at(3)->menu()), (QStringList{"&About", "&Help"}));
    QCOMPARE(menuTexts(w.PopupMenu1), (QStringList{"&Print Graph", "&Save Graph"}));
    QCOMPARE(w.PrintGraph1->shortcut(), QKeySequence("Ctrl+P"));
    QCOMPARE(w.SaveGraph1->shortcut(), QKeySequence("Ctrl+S"));
    QVERIFY(w.Today1->isChecked() && w.Value1->isChecked());
    for (QAction *off : {w.Percentage1, w.Total1, w.Value2, w.Percentage2, w.ChooseDate1})
        QVERIFY(!off->isChecked());
}

void TestMainWindow::menuOverflowIconIsTheStyles()
{
    // The menu bar's overflow icon is made when first drawn, from the style the program wraps.
    const auto *style = qobject_cast<const QProxyStyle *>(QApplication::style());
    QVERIFY(style);
    for (const QSize size : {QSize(16, 16), QSize(32, 32)}) {
        const QImage own = style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(size).toImage();
        QVERIFY(!own.isNull());
        QCOMPARE(own, style->baseStyle()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(size).toImage());
    }
}

// An unchecked radio button's circle reaches 3:1 against the window
// somewhere on its ring, on a light window and on a dark one.
void TestMainWindow::radioCirclesStandOutFromTheWindow()
{
    for (const auto &[window, base] : {std::pair{QColor(239, 239, 239), QColor(Qt::white)},
                                       std::pair{QColor(53, 53, 53), QColor(42, 42, 42)}}) {
        QPalette palette(window);
        palette.setColor(QPalette::Base, base);
        QRadioButton button(QStringLiteral("Writing"));
        button.setPalette(palette);
        button.resize(button.sizeHint());
        const QImage image = button.grab().toImage();
        QStyleOptionButton option;
        option.initFrom(&button);
        const QRect circle = button.style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, &button);
        double best = 1;
        for (int y = circle.top(); y <= circle.bottom(); ++y)
            for (int x = circle.left(); x <= circle.right(); ++x)
                best = std::max(best, ContrastRatio(image.pixelColor(x, y), window));
        QVERIFY2(best >= kVisibleLineContrast, qPrintable(QString::number(best)));
    }
}

void TestMainWindow::itemsBecomeRadioButtonsInColumns()
{
    WindowFixture f;
    f.writeItems({"A", "B", "C", "D", "E", "F", "G", "H", "I"});
    TForm1 &w = f.open();
    QCOMPARE(w.RG1->count(), 9);
    QCOMPARE(w.RG1->button(0)->text(), QStringLiteral("A"));
    // Three to a column, filled top to bottom, then left to right.
    QCOMPARE(w.RG1->button(1)->x(), w.RG1->button(0)->x());
    QVERIFY(w.RG1->button(1)->y() > w.RG1->button(0)->y());
    QVERIFY(w.RG1->button(3)->x() > w.RG1->button(0)->x());
    QCOMPARE(w.RG1->button(3)->y(), w.RG1->button(0)->y());
    QVERIFY(w.RG1->button(8)->geometry().right() < 705);
    QCOMPARE(w.RG1->checkedIndex(), -1);
}

void TestMainWindow::clickingItemsCountsSwitches()
{
    WindowFixture f;
    f.writeItems({"Writing", "Mail"});
    TForm1 &w = f.open();
    clickItem(w, 0);
    clickItem(w, 1);
    clickItem(w, 1); // already checked: no switch
    clickItem(w, 0);
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 3"));
    QCOMPARE(f.ledger->state().CheckedIndex, 0);
    QVERIFY(w.RG1->button(0)->isChecked());
    QVERIFY(!w.RG1->button(1)->isChecked());
    QVERIFY(!w.RadioButton1->isChecked());
}

void TestMainWindow::nothingSelectedUnchecksEveryItem()
{
    WindowFixture f;
    f.writeItems({"Writing", "Mail"});
    TForm1 &w = f.open();
    clickItem(w, 1);
    QTest::mouseClick(w.RadioButton1, Qt::LeftButton, {}, QPoint(6, 8));
    QCOMPARE(w.RG1->checkedIndex(), -1);
    QVERIFY(w.RadioButton1->isChecked());
    QCOMPARE(f.ledger->state().CheckedIndex, -1);
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 1"));
    // Keyboard: arrows move the check within the group and count as switches.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.RG1->button(0)->setFocus();
    QTest::keyClick(w.RG1->button(0), Qt::Key_Space);
    QCOMPARE(f.ledger->state().CheckedIndex, 0);
    QTest::keyClick(w.RG1->button(0), Qt::Key_Right);
    QCOMPARE(f.ledger->state().CheckedIndex, 1);
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 3"));
}

// Tab runs items, "Nothing Selected", "Exit", entering the items on the
// checked one (the first when none is); each arrow step is a selection.
void TestMainWindow::keyboardReachesAndMovesTheCheck()
{
    WindowFixture f;
    f.writeItems({"Writing", "Mail", "R&D", "Sport", "Music"});
    TForm1 &w = f.open();
    // A name's "&" is shown, not taken as an access key.
    QCOMPARE(QAccessible::queryAccessibleInterface(w.RG1->button(2))->text(QAccessible::Name), QStringLiteral("R&D"));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const auto tabChain = [&w] {
        w.Button1->setFocus();
        QList<QWidget *> chain;
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            chain << QApplication::focusWidget();
        }
        return chain;
    };
    QCOMPARE(tabChain(), (QList<QWidget *>{w.RG1->button(0), w.RadioButton1, w.Button1}));

    w.RG1->button(0)->setFocus();
    QTest::keyClick(w.RG1->button(0), Qt::Key_Down);
    QCOMPARE(f.ledger->state().CheckedIndex, 1);
    QCOMPARE(QApplication::focusWidget(), w.RG1->button(1));
    // Two to a column: Right goes to the neighbour in the next column.
    QTest::keyClick(w.RG1->button(1), Qt::Key_Right);
    QCOMPARE(f.ledger->state().CheckedIndex, 3);
    QTest::keyClick(w.RG1->button(3), Qt::Key_Up);
    QCOMPARE(f.ledger->state().CheckedIndex, 2);
    QVERIFY(!w.RadioButton1->isChecked());
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 3"));
    QCOMPARE(tabChain(), (QList<QWidget *>{w.RG1->button(2), w.RadioButton1, w.Button1}));

    // Space on "Nothing Selected" unchecks every item; Tab then enters at the first.
    w.RadioButton1->setFocus();
    QTest::keyClick(w.RadioButton1, Qt::Key_Space);
    QCOMPARE(f.ledger->state().CheckedIndex, -1);
    QCOMPARE(tabChain().first(), w.RG1->button(0));
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 3"));
}

// A screen reader's toggle and press actions, a click and the program's own
// selection each count one switch; the checked item's toggle counts none.
void TestMainWindow::everyWayOfCheckingIsOneSelection()
{
    WindowFixture f;
    f.writeItems({"Writing", "Mail", "Reading"});
    TForm1 &w = f.open();
    const auto act = [](QWidget *button, const QString &action) {
        QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(action);
    };
    act(w.RG1->button(1), QAccessibleActionInterface::toggleAction());
    QCOMPARE(f.ledger->state().CheckedIndex, 1);
    QVERIFY(!w.RadioButton1->isChecked());
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 1"));
    act(w.RG1->button(1), QAccessibleActionInterface::toggleAction());
    QVERIFY(w.RG1->button(1)->isChecked());
    act(w.RG1->button(0), QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(f.ledger->state().CheckedIndex, 0);
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 2"));

    act(w.RadioButton1, QAccessibleActionInterface::toggleAction());
    QCOMPARE(f.ledger->state().CheckedIndex, -1);
    QCOMPARE(w.RG1->checkedIndex(), -1);

    f.ledger->SelectItem(2); // as the time commands restore a selection
    QVERIFY(w.RG1->button(2)->isChecked());
    QVERIFY(!w.RadioButton1->isChecked());
    clickItem(w, 1);
    QCOMPARE(f.ledger->state().CheckedIndex, 1);
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 4"));
    QCOMPARE(f.ledger->state().SwitchCount, 4);
}

void TestMainWindow::clockShowsTimeAndDate()
{
    WindowFixture f;
    f.now = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9));
    TForm1 &w = f.open();
    w.Timer2Timer();
    QCOMPARE(w.Label2->text(), QStringLiteral("Time : 14:05:09"));
    QCOMPARE(w.Label3->text(), QStringLiteral("Date : 08/12/2026"));
}

void TestMainWindow::exitWritesIdenticalFilesTwice_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("Exit") << false;
    QTest::newRow("Ctrl+Q") << true;
}

void TestMainWindow::exitWritesIdenticalFilesTwice()
{
    WindowFixture f;
    f.writeItems({"Writing"});
    TForm1 &w = f.open();
    clickItem(w, 0);
    int saves = 0;
    QStringList written;
    QObject::connect(f.ledger.get(), &Ledger::saved, [&] {
        ++saves;
        written << QString::fromLatin1(f.bytes(Ledger::SwitchFileName) + f.bytes(Ledger::DataFileName));
    });
    QFETCH(bool, byKey);
    if (byKey) {
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    } else {
        QTest::mouseClick(w.Button1, Qt::LeftButton);
    }
    QCOMPARE(saves, 2);
    QCOMPARE(written.at(0), written.at(1));
    QVERIFY(!w.isVisible());
    QCOMPARE(f.lines(Ledger::SwitchFileName).last(), QStringLiteral("1"));
}

void TestMainWindow::tickThroughTheTimerHandler()
{
    WindowFixture f;
    f.writeItems({"Writing", "Mail"});
    TForm1 &w = f.open();
    clickItem(w, 1);
    w.Timer1Timer();
    QVERIFY(f.lines(Ledger::DataFileName).contains(f.today() + ":Mail:1:"));
    // Across midnight the item stays checked and the label shows the new day's count.
    f.now = f.now.addDays(1);
    w.Timer1Timer();
    QVERIFY(w.RG1->button(1)->isChecked());
    QVERIFY(!w.RadioButton1->isChecked());
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 0"));
    QVERIFY(f.lines(Ledger::DataFileName).contains(f.today() + ":Mail:1:"));
}

void TestMainWindow::unreadableFilesEndTheProgramWithoutWriting_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("history");
    QTest::addColumn<QString>("message");
    QTest::newRow("a bad day") << QByteArray("not a day:Writing:3:\r\nT:Writing:9:\r\n") << false
                               << "'not a day' is not a valid floating point value.";
    // No item beside earlier days: a seed would hide their items and totals.
    const QString noItem = QStringLiteral("The file \"%1\" is missing, empty or damaged (it holds no item)");
    QTest::newRow("a blank line") << QByteArray("\r\n") << true << noItem;
    QTest::newRow("one long line") << QByteArray(20 << 20, 'x') << true << noItem;
}

void TestMainWindow::unreadableFilesEndTheProgramWithoutWriting()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, history);
    QFETCH(QString, message);
    WindowFixture f;
    f.write(Ledger::DataFileName, data);
    if (history)
        f.writeLines(Ledger::HistoryFileName, {"0:", f.key(f.now.date().addDays(-1)) + ":Writing:30:"});
    const QByteArray historyBefore = f.bytes(Ledger::HistoryFileName);
    TForm1 &w = f.open();
    QCOMPARE(f.prompts.standardErrors.size(), 1);
    QVERIFY2(f.prompts.standardErrors.first().startsWith(message.arg(f.path(Ledger::DataFileName))),
             qPrintable(f.prompts.standardErrors.first()));
    QVERIFY(w.startupFailed());
    QTRY_VERIFY(!w.isVisible());
    QCOMPARE(f.bytes(Ledger::DataFileName), data);
    QCOMPARE(QFile::exists(f.path(Ledger::HistoryFileName)), history);
    QCOMPARE(f.bytes(Ledger::HistoryFileName), historyBefore);
    QVERIFY(!QFile::exists(f.path(Ledger::SwitchFileName)));
    QVERIFY(!w.Timer1->isActive());
}

void TestMainWindow::failedSaveShowsTheStandardErrorBoxAndGoesOn()
{
    WindowFixture f;
    TForm1 &w = f.open();
    QVERIFY(QFile::remove(f.path(Ledger::HistoryFileName)));
    QVERIFY(QDir().mkpath(f.path(Ledger::HistoryFileName)));
    w.Timer1Timer();
    QVERIFY(f.prompts.standardErrors.isEmpty()); // never inside the tick
    QTRY_COMPARE(f.prompts.standardErrors.size(), 1);
    QVERIFY(f.prompts.standardErrors.first().startsWith("Cannot create file \"" + f.path(Ledger::HistoryFileName)));
    QVERIFY(f.prompts.standardErrors.first().endsWith('.'));
    QVERIFY(w.isVisible());
    QVERIFY(QDir(f.path(Ledger::HistoryFileName)).removeRecursively());
    w.Timer1Timer();
    QCOMPARE(f.prompts.standardErrors.size(), 1);
    QVERIFY(QFile::exists(f.path(Ledger::HistoryFileName)));
}

// A minutes field with a tag, a NUL, a bell and a DEL, quoted by the
// start-up's error box: the box shows the whole text as plain text, with the
// characters' pictures, and a screen reader gets that same text rather than
// one without the tag or ending at the NUL.
void TestMainWindow::messagesShowQuotedTextWhole()
{
    LedgerFixture f;
    f.write(Ledger::DataFileName,
            f.today().toUtf8() + QByteArrayLiteral(":Writing:3:\r\nT:Writing:<b>3\0x\a\x7f:\r\n"));
    QtPrompts prompts;
    QStringList shown;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        shown << label->text() << QAccessible::queryAccessibleInterface(box)->text(QAccessible::Value)
              << QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
        box->accept();
    });
    TForm1 w(f.make(), prompts);
    w.show();
    const QString whole = QStringLiteral("'<b>3\u2400x\u2407\u2421' is not a valid integer value.");
    QCOMPARE(shown, QStringList(3, whole));
    QCOMPARE(WithVisibleControls("Paragraph\n\tnext\x1f"), QStringLiteral("Paragraph\n\u2409next\u241f"));
}

void TestMainWindow::standardErrorTitleAndFullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "'x' is not a valid integer value" << "'x' is not a valid integer value.";
    QTest::newRow("full stop") << "Cannot create file \"/a\". Disk full." << "Cannot create file \"/a\". Disk full.";
    QTest::newRow("parenthesis") << "Hourwise is already running (here)" << "Hourwise is already running (here)";
    QTest::newRow("exclamation") << "Stop!" << "Stop!";
    QTest::newRow("quote sorts before the stop") << "Cannot open \"x\"" << "Cannot open \"x\"";
    QTest::newRow("letter") << "Done" << "Done.";
    QTest::newRow("empty") << "" << "";
}

void TestMainWindow::standardErrorTitleAndFullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(StandardErrorText(message), shown);
    QCOMPARE(StandardErrorTitle("/usr/bin/hourwise"), QStringLiteral("hourwise"));
    QCOMPARE(StandardErrorTitle("/opt/HourWise.bin"), QStringLiteral("Hourwise"));
    QCOMPARE(StandardErrorTitle("C:/Tools/TIME.tool.exe"), QStringLiteral("Time.tool"));
}

void TestMainWindow::secondCopyInTheSameFolderIsRefused()
{
    QTemporaryDir dir;
    auto first = LockDataFolder(dir.path());
    QVERIFY(first);
    QString problem;
    QVERIFY(!LockDataFolder(dir.path(), &problem));
    QCOMPARE(problem, QStringLiteral("Hourwise is already running in this folder (%1)").arg(dir.path()));
    first.reset();
    QVERIFY(LockDataFolder(dir.path()));
    // A lock left by a process that is gone is taken over.
    QFile stale(dir.filePath(".hourwise.lock"));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("999999999\nhourwise\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    QVERIFY(LockDataFolder(dir.path()));
}

// A folder the lock file cannot be created in is reported as such, with the
// system's reason: a path through a regular file and a full disk fail even
// for root, a read-only folder only for other users (CTest runs this case once more as
// the user nobody when it runs as root).
void TestMainWindow::unlockableFolderIsNoRunningCopy()
{
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QString problem;
    QVERIFY(!LockDataFolder(plain.fileName(), &problem));
    QCOMPARE(problem, QStringLiteral("Cannot create file \"%1/.hourwise.lock\". Not a directory").arg(plain.fileName()));
    {
        FileSizeLimit fullDisk(0);
        QVERIFY(fullDisk.active());
        QVERIFY(!LockDataFolder(dir.path(), &problem));
    }
    QCOMPARE(problem, QStringLiteral("Cannot create file \"%1/.hourwise.lock\". File too large").arg(dir.path()));
    QVERIFY(LockDataFolder(dir.path())); // no half-written lock file left behind

    if (geteuid() == 0)
        QSKIP("root writes into read-only folders");
    const QString readOnly = dir.filePath("read-only");
    QVERIFY(QDir(dir.path()).mkdir("read-only"));
    QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(!LockDataFolder(readOnly, &problem));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(problem, QStringLiteral("Cannot create file \"%1/.hourwise.lock\". Permission denied").arg(readOnly));
}

void TestMainWindow::laterStartGetsPastIdleConnections_data()
{
    QTest::addColumn<int>("clients");
    QTest::addColumn<bool>("reconnect");
    QTest::newRow("sixty") << 60 << false;
    QTest::newRow("sixty that reconnect at once") << 60 << true;
}

// However many connections send nothing, and however fast they come back, a
// later start is answered within its wait; they are closed after a short
// silence and held only a few at a time, so that they cannot take the
// descriptors that the saves need.
void TestMainWindow::laterStartGetsPastIdleConnections()
{
    QFETCH(int, clients);
    QFETCH(bool, reconnect);
    QTemporaryDir folder;
    SingleInstance running(folder.path());
    running.Listen();
    int shown = 0;
    connect(&running, &SingleInstance::showRequested, this, [&shown] { ++shown; });
    const int listening = openDescriptors();
    std::optional<IdleClients> idle(std::in_place, SingleInstance::ServerName(folder.path()), clients, reconnect);
    QTRY_COMPARE(idle->started(), clients);

    auto later =
        std::async(std::launch::async, [&] { return SingleInstance(folder.path(), 3000).AskRunningCopyToShow(); });
    QTRY_COMPARE_WITH_TIMEOUT(shown, 1, 10000);
    QVERIFY(later.get());
    QVERIFY2(openDescriptors() <= listening + clients + 16, qPrintable(QString::number(openDescriptors())));
    idle.reset();
    QTRY_COMPARE(openDescriptors(), listening);
}

// A running copy that is busy or stopped takes no connections; a later start
// that finds its queue full waits for room no longer than its own wait.
void TestMainWindow::laterStartGivesUpOnABusyCopy()
{
    QTemporaryDir folder;
    std::optional<IdleClients> more; // ends after the running copy, which stops their waiting
    SingleInstance running(folder.path()); // on this thread, which takes no events meanwhile
    running.Listen();
    more.emplace(SingleInstance::ServerName(folder.path()), 100, false); // than its queue holds
    while (more->started() < 100)
        QThread::msleep(10);
    QVERIFY(!SingleInstance(folder.path(), 500).AskRunningCopyToShow());
}

// A command's select is one click in the radio group; names match byte for
// byte, and a name holding the exchange's own separators (a line break, a
// space, "%") can neither split the request nor name another item.
void TestMainWindow::commandsThroughTheSocketAreClicks()
{
    WindowFixture f;
    const QList<QByteArray> names{"Writing", "Mail", "Caf\xE9", "say \"hi\" \xF0\x9F\x93\x8A 100%"};
    QByteArray data;
    for (const QByteArray &name : names)
        data += f.today().toUtf8() + ":" + name + ":0:\r\n";
    for (const QByteArray &name : names)
        data += "T:" + name + ":0:\r\n";
    f.write(Ledger::DataFileName, data);
    TForm1 &w = f.open();
    SingleInstance running(f.dir.path());
    running.setItemCommands(f.session->itemCommands());
    running.Listen();
    // Asked from another thread, as another program asks, while this one runs the window's events.
    const auto ask = [&](ItemRequest::Kind kind, const QByteArray &name = {}) {
        auto answer = std::async(std::launch::async,
                                 [&, kind, name] { return SingleInstance(f.dir.path()).AskItemCommand({kind, name}); });
        while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QTest::qWait(5);
        return answer.get();
    };
    using Kind = ItemRequest::Kind;
    using Outcome = ItemAnswer::Outcome;

    ItemAnswer answer = ask(Kind::Select, "Mail");
    QCOMPARE(answer.outcome, Outcome::Done);
    QCOMPARE(answer.status.checked, 1);
    QVERIFY(w.RG1->button(1)->isChecked());
    QVERIFY(!w.RadioButton1->isChecked());
    QCOMPARE(ask(Kind::Select, "Mail").status.checked, 1); // already checked: no switch
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 1"));
    QCOMPARE(ask(Kind::Select, "Caf\xE9").status.checked, 2);
    QCOMPARE(ask(Kind::Select, names.at(3)).status.checked, 3);
    for (const QByteArray &other : {QByteArray("Caf\xC3\xA9"), QByteArray("Mail\nstop"), QByteArray("Mail\n"),
                                    QByteArray("Mail "), QByteArray("M%61il"), QByteArray("writing")})
        QCOMPARE(ask(Kind::Select, other).outcome, Outcome::UnknownItem);
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 3"));
    QCOMPARE(f.ledger->state().CheckedIndex, 3);

    answer = ask(Kind::Stop);
    QCOMPARE(answer.status.checked, -1);
    QVERIFY(w.RadioButton1->isChecked());
    f.ledger->MinuteTick(); // nothing checked: no minute
    QCOMPARE(ask(Kind::Select, "Writing").status.checked, 0);
    f.ledger->MinuteTick();
    answer = ask(Kind::Status);
    QCOMPARE(answer.outcome, Outcome::Done);
    QCOMPARE(answer.status.checked, 0);
    QCOMPARE(answer.status.todayMinutes, QVector<qint32>({1, 0, 0, 0}));
    QCOMPARE(answer.status.names, f.ledger->state().ItemTable.Names);
    QCOMPARE(w.Label1->text(), QStringLiteral("Switches Today : 4"));

    // A folder where nothing listens says so at once, without waiting.
    QTemporaryDir idle;
    QCOMPARE(SingleInstance(idle.path(), 60000).AskItemCommand({Kind::Status, {}}).outcome, Outcome::NoneRuns);
}

// "Share with Other Computers..." moves the files into this computer's
// subfolder and counts the computer beside it; minutes go on being written
// there; "This Computer Only" and "Stop Sharing" come back to this one alone.
void TestMainWindow::sharingMovesTheFilesAndCountsTheOthers()
{
    QTemporaryDir config, shared;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    WindowFixture f;
    f.writeItems({"Mail"});
    const QString today = f.today();
    QVERIFY(QDir(shared.path()).mkpath("laptop-2"));
    WriteLineFile(shared.filePath("laptop-2/data.txc"),
                  {today + ":Mail:30:", today + ":Reading:5:", "T:Mail:30:", "T:Reading:5:"});
    const QString home = QDir::currentPath();
    QDir::setCurrent(f.dir.path());
    TForm1 &w = f.open();
    new SharingSession(w, *f.ledger, f.prompts, LockDataFolder(f.dir.path()));
    f.prompts.folderAnswers << shared.path();
    w.ShareWithOtherComputers1->trigger();
    const QString sub = QDir::currentPath();
    QCOMPARE(QFileInfo(sub).path(), shared.path());
    QVERIFY(!QFile::exists(f.path("data.txc")) && QFile::exists(sub + "/data.txc"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Hourwise (2 computers)"));
    QCOMPARE(w.Chart1->Series1.labels(), (QStringList{"Mail", "Reading"}));
    QVERIFY(w.StopSharing1->isVisible() && w.ThisComputerOnly1->isVisible() && !w.ShareWithOtherComputers1->isVisible());

    clickItem(w, 0);
    w.Timer1Timer();
    QCOMPARE(w.Chart1->Series1.values(), (QVector<double>{31, 5}));
    QCOMPARE(ReadLineFile(sub + "/data.txc").first(), today + ":Mail:1:");
    w.ThisComputerOnly1->trigger();
    QCOMPARE(w.Chart1->Series1.values(), QVector<double>{1});
    QCOMPARE(w.windowTitle(), QStringLiteral("Hourwise"));
    w.ThisComputerOnly1->trigger();

    w.StopSharing1->trigger(); // confirmed
    QCOMPARE(QDir::currentPath(), f.dir.path());
    QVERIFY(!QFileInfo::exists(sub));
    QCOMPARE(f.lines("data.txc").first(), today + ":Mail:1:");
    QCOMPARE(w.Chart1->Series1.values(), QVector<double>{1});
    QCOMPARE(w.windowTitle(), QStringLiteral("Hourwise"));
    QCOMPARE(f.ledger->state().CheckedIndex, 0); // the item stays checked
    QDir::setCurrent(home);
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
