// The item commands as the user meets them: the main window's menu entries,
// the input box, the delete dialog and the time dialog, driven offscreen.

#include "bar_chart_view.h"
#include "correct_day_dialog.h"
#include "delete_dialog.h"
#include "appearance.h"
#include "ledger_fixture.h"
#include "main_window.h"
#include "move_minutes_dialog.h"
#include "qt_prompts.h"
#include "radio_group.h"
#include "scripted_prompts.h"
#include "text_clipping.h"
#include "time_dialog.h"

#include <QAccessible>
#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <functional>

namespace {

const QString kNotInteger = QStringLiteral("Error: Extra time must be an integer value!!");

// The running program on four items, the last two of the same name:
// Writing 10/100, Mail 20/200, Reading 30/300, Mail 40/400 (today/total).
struct Program {
    LedgerFixture f;
    ScriptedPrompts prompts;
    std::unique_ptr<TForm1> w;

    Program()
    {
        const QString k = f.today();
        f.writeLines(Ledger::DataFileName,
                     {k + ":Writing:10:", k + ":Mail:20:", k + ":Reading:30:", k + ":Mail:40:", "T:Writing:100:",
                      "T:Mail:200:", "T:Reading:300:", "T:Mail:400:"});
        w = std::make_unique<TForm1>(f.make(), prompts);
        w->CreateDialogs();
        w->show();
    }

    const LedgerState &state() const { return f.ledger->state(); }
    QVector<qint32> totals() const { return state().ItemTable.TotalMinutes; }
    bool nothingSelectedBold() const { return w->RadioButton1->font().bold(); }
};

// Triggers the menu entry and, once its modal dialog is up, lets drive act on
// it. A dialog that drive leaves open is closed with Cancel afterwards.
// Returns whether drive left it open.
bool runDialog(QAction *entry, QDialog *dialog, const std::function<void()> &drive)
{
    bool leftOpen = false;
    QTimer::singleShot(0, dialog, [&] {
        drive();
        leftOpen = dialog->isVisible();
        if (leftOpen)
            dialog->reject();
    });
    entry->trigger();
    return leftOpen;
}

// Triggers the menu entry and lets drive act on the modal dialog it shows,
// made at its first use; a dialog that drive leaves open is cancelled.
template <typename Dialog>
void runMadeDialog(QAction *entry, const std::function<void(Dialog *)> &drive)
{
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        drive(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    entry->trigger();
}

// Chooses an entry as the user would: typed text (which replaces the
// selected "Select"), or a position picked from the list.
void choose(ItemComboBox *combo, const QString &typed, int picked)
{
    if (!typed.isEmpty()) {
        // Completion follows the keys only in the focused edit of the active window.
        QApplication::setActiveWindow(combo->window());
        combo->setFocus();
        QTest::keyClicks(combo->lineEdit(), typed);
    }
    if (picked >= 0)
        combo->setCurrentIndex(picked);
}

// Bytes and modification times of the three files; the times are first set
// far into the past so that any rewrite shows.
struct FileSnapshot {
    QList<QByteArray> bytes;
    QList<QDateTime> times;

    static FileSnapshot take(const LedgerFixture &f, bool ageFirst)
    {
        FileSnapshot s;
        for (const QString &name : {Ledger::DataFileName, Ledger::HistoryFileName, Ledger::SwitchFileName}) {
            QFile file(f.path(name));
            if (ageFirst && file.open(QIODevice::ReadWrite))
                file.setFileTime(QDateTime(QDate(2001, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime);
            s.bytes << f.bytes(name);
            s.times << QFileInfo(f.path(name)).lastModified();
        }
        return s;
    }
};

// The widgets beside first that Tab visits, starting from first (the combo
// box's inner edit stands for the combo box).
QList<QWidget *> tabOrderFrom(QWidget *first)
{
    QList<QWidget *> order{first};
    for (QWidget *w = first->nextInFocusChain(); w != first; w = w->nextInFocusChain()) {
        if (w->parentWidget() == first->parentWidget() && (w->focusPolicy() & Qt::TabFocus))
            order << w;
    }
    return order;
}

} // namespace

class TestItemDialogs : public QObject {
    Q_OBJECT
private slots:
    // The fonts the program uses, so that the texts are measured as users see them.
    void initTestCase() { ApplyDesktopFonts(); }
    void addRefusedWritesNothing_data();
    void addRefusedWritesNothing();
    void nothingSelectedBoldAfterCommand_data();
    void nothingSelectedBoldAfterCommand();
    void deleteDialog_data();
    void deleteDialog();
    void deleteCancelStillSaves();
    void dialogsMadeAtFirstUse();
    void deleteWriteFailureKeepsDialogOpen();
    void timeDialogAmount_data();
    void timeDialogAmount();
    void timeDialogRestoresSelection_data();
    void timeDialogRestoresSelection();
    void dialogLayout();
    void keyboardAndScreenReaderUse();
    void namesFromAnOlderFileReadable();
    void correctMoveAndUndoThroughTheMenu();
};

void TestItemDialogs::addRefusedWritesNothing_data()
{
    QTest::addColumn<QString>("answer"); // Cancel answers the initial, empty text
    QTest::addColumn<bool>("errorShown");
    QTest::newRow("Cancel or empty name") << "" << false;
    QTest::newRow("colon") << "Mail:home" << true;
    QTest::newRow("line feed") << "Mail\nhome" << true;
    QTest::newRow("carriage return") << "Mail\rhome" << true;
}

void TestItemDialogs::addRefusedWritesNothing()
{
    QFETCH(QString, answer);
    QFETCH(bool, errorShown);
    Program p;
    const FileSnapshot before = FileSnapshot::take(p.f, true);
    p.prompts.inputAnswers.enqueue(answer);

    p.w->AddItem1->trigger();

    const FileSnapshot after = FileSnapshot::take(p.f, false);
    QCOMPARE(after.bytes, before.bytes);
    QCOMPARE(after.times, before.times);
    QCOMPARE(p.state().ItemCount, 4);
    QCOMPARE(p.prompts.log.filter("Error: ").size(), errorShown ? 1 : 0);
    QVERIFY(p.prompts.standardErrors.isEmpty());
}

void TestItemDialogs::nothingSelectedBoldAfterCommand_data()
{
    QTest::addColumn<bool>("add");
    QTest::newRow("add item") << true;
    QTest::newRow("delete item") << false;
}

void TestItemDialogs::nothingSelectedBoldAfterCommand()
{
    QFETCH(bool, add);
    Program p;
    p.w->RG1->button(1)->click();
    if (add) {
        p.prompts.inputAnswers.enqueue("Phone");
        p.w->AddItem1->trigger();
    } else {
        runDialog(p.w->DeleteItem1, p.w->Form2, [&] {
            choose(p.w->Form2->ComboBox1, {}, 0);
            p.w->Form2->Button1->click();
        });
    }
    QCOMPARE(p.w->RG1->count(), add ? 5 : 3);
    QCOMPARE(p.w->RG1->checkedIndex(), -1);
    QVERIFY(p.w->RadioButton1->isChecked());
    QVERIFY(p.nothingSelectedBold());

    p.w->RG1->button(0)->click();
    QVERIFY(!p.nothingSelectedBold());
    QVERIFY(!p.w->RadioButton1->isChecked());
}

void TestItemDialogs::deleteDialog_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("picked");
    QTest::addColumn<QString>("shown");     // the combo box's text once chosen
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("confirmed"); // the name in the confirmation, empty when none is asked
    QTest::addColumn<QVector<qint32>>("totals");
    QTest::addColumn<bool>("leftOpen");
    QTest::newRow("second Mail picked") << "" << 3 << "Mail" << true << "Mail" << QVector<qint32>{100, 200, 300}
                                        << false;
    QTest::newRow("typed start completes") << "rea" << -1 << "reading" << true << "Reading"
                                           << QVector<qint32>{100, 200, 400} << false;
    QTest::newRow("typed Mail takes the first") << "Mail" << -1 << "Mail" << true << "Mail"
                                                << QVector<qint32>{100, 300, 400} << false;
    QTest::newRow("answered No") << "" << 0 << "Writing" << false << "Writing"
                                 << QVector<qint32>{100, 200, 300, 400} << false;
    QTest::newRow("still Select") << "" << -1 << "Select" << true << "" << QVector<qint32>{100, 200, 300, 400}
                                  << true;
    QTest::newRow("typed text of no item") << "Phone" << -1 << "Phone" << true << ""
                                           << QVector<qint32>{100, 200, 300, 400} << true;
}

void TestItemDialogs::deleteDialog()
{
    QFETCH(QString, typed);
    QFETCH(int, picked);
    QFETCH(QString, shown);
    QFETCH(bool, yes);
    QFETCH(QString, confirmed);
    QFETCH(QVector<qint32>, totals);
    QFETCH(bool, leftOpen);
    Program p;
    p.prompts.confirmAnswers.enqueue(yes);
    TForm2 *dialog = p.w->Form2;
    QString shownText, textAfterChoice;

    const bool open = runDialog(p.w->DeleteItem1, dialog, [&] {
        shownText = dialog->ComboBox1->currentText();
        choose(dialog->ComboBox1, typed, picked);
        textAfterChoice = dialog->ComboBox1->currentText();
        dialog->Button1->click();
    });

    QCOMPARE(shownText, QString("Select"));
    QCOMPARE(textAfterChoice, shown);
    QCOMPARE(open, leftOpen);
    const QStringList expected
        = confirmed.isEmpty() ? QStringList() : QStringList({"Confirm: Confirm deletion of \"" + confirmed + "\""});
    QCOMPARE(p.prompts.log, expected);
    QCOMPARE(p.totals(), totals);
}

void TestItemDialogs::deleteCancelStillSaves()
{
    Program p;
    const FileSnapshot before = FileSnapshot::take(p.f, true);

    QVERIFY(!runDialog(p.w->DeleteItem1, p.w->Form2, [&] { p.w->Form2->Button2->click(); }));

    const FileSnapshot after = FileSnapshot::take(p.f, false);
    QCOMPARE(after.bytes, before.bytes);
    for (int i = 0; i < 3; ++i)
        QVERIFY(after.times.at(i) != before.times.at(i));
    QCOMPARE(p.state().ItemCount, 4);
}

// The program makes its dialogs when a command first needs one: every
// command that opens a dialog must work on a window that has none yet.
void TestItemDialogs::dialogsMadeAtFirstUse()
{
    LedgerFixture f;
    ScriptedPrompts prompts;
    TForm1 w(f.make(), prompts);
    w.show();
    for (QAction *entry : {w.DeleteItem1, w.AddTimetoItem1, w.RemoveTimefromItem1, w.ChooseDate1, w.About1, w.Help2}) {
        QWidget *opened = nullptr;
        QTimer::singleShot(0, &w, [&opened] {
            opened = QApplication::activeModalWidget();
            if (auto *dialog = qobject_cast<QDialog *>(opened))
                dialog->reject();
        });
        entry->trigger();
        QVERIFY2(opened, qPrintable(entry->text()));
    }
}

void TestItemDialogs::deleteWriteFailureKeepsDialogOpen()
{
    Program p;
    TForm2 *dialog = p.w->Form2;
    // A folder in the data file's place makes writing it fail.
    QVERIFY(QFile::remove(p.f.path(Ledger::DataFileName)));
    QVERIFY(QDir(p.f.dir.path()).mkdir(Ledger::DataFileName));
    QStringList entriesAfterFailure;

    const bool open = runDialog(p.w->DeleteItem1, dialog, [&] {
        choose(dialog->ComboBox1, {}, 1);
        dialog->Button1->click();
        for (int i = 0; i < dialog->ComboBox1->count(); ++i)
            entriesAfterFailure << dialog->ComboBox1->itemText(i);
        QDir(p.f.dir.path()).rmdir(Ledger::DataFileName);
    });

    QVERIFY(open);
    QCOMPARE(p.prompts.standardErrors.size(), 1);
    QVERIFY(p.prompts.standardErrors.first().startsWith("Cannot create file"));
    // The list shows the items as they now stand, so no stale position can be chosen.
    QCOMPARE(entriesAfterFailure, QStringList({"Writing", "Reading", "Mail"}));
    // The save after the dialog writes the deletion.
    QCOMPARE(p.f.lines(Ledger::DataFileName).size(), 6);
    QCOMPARE(p.f.lines(Ledger::DataFileName).at(1), p.f.today() + ":Reading:30:");
}

void TestItemDialogs::timeDialogAmount_data()
{
    const QString outOfRange = QStringLiteral("Error: The minutes of \"Writing\" would go beyond the range");
    QTest::addColumn<bool>("add");
    QTest::addColumn<QString>("typed"); // into the item list
    QTest::addColumn<QString>("amount");
    QTest::addColumn<qint32>("change"); // of Writing's two counts (10 today, 100 total)
    QTest::addColumn<QString>("message");
    QTest::newRow("deduct 30") << false << "Wri" << "30" << -30 << "";
    QTest::newRow("add -15") << true << "Wri" << "-15" << -15 << "";
    QTest::newRow("deduct -15") << false << "Wri" << "-15" << 15 << "";
    QTest::newRow("zero") << true << "Wri" << "0" << 0 << "";
    QTest::newRow("blank before") << true << "Wri" << " 25" << 25 << "";
    QTest::newRow("plus sign") << true << "Wri" << "+25" << 25 << "";
    QTest::newRow("hexadecimal") << true << "Wri" << "$10" << 16 << "";
    QTest::newRow("lowest integer") << true << "Wri" << "-2147483648" << std::numeric_limits<qint32>::min() << "";
    QTest::newRow("blank after") << true << "Wri" << "25 " << 0 << kNotInteger;
    QTest::newRow("fraction") << true << "Wri" << "2.5" << 0 << kNotInteger;
    QTest::newRow("letters") << true << "Wri" << "abc" << 0 << kNotInteger;
    QTest::newRow("empty") << true << "Wri" << "" << 0 << kNotInteger;
    QTest::newRow("beyond 32 bits") << true << "Wri" << "2147483648" << 0 << kNotInteger;
    QTest::newRow("total beyond 32 bits") << true << "Wri" << "2147483600" << 0 << outOfRange;
    QTest::newRow("still Select") << true << "" << "5" << 0 << "";
}

void TestItemDialogs::timeDialogAmount()
{
    QFETCH(bool, add);
    QFETCH(QString, typed);
    QFETCH(QString, amount);
    QFETCH(qint32, change);
    QFETCH(QString, message);
    Program p;
    TForm3 *dialog = p.w->Form3;
    QString shownAmount, amountAfterOk;
    int chosenAfterOk = -1;

    const bool open = runDialog(add ? p.w->AddTimetoItem1 : p.w->RemoveTimefromItem1, dialog, [&] {
        shownAmount = dialog->Edit1->text();
        choose(dialog->ComboBox1, typed, -1);
        dialog->Edit1->setText(amount);
        dialog->Button1->click();
        amountAfterOk = dialog->Edit1->text();
        chosenAfterOk = dialog->ComboBox1->chosenIndex();
    });

    QCOMPARE(shownAmount, QString("0"));
    // A refused amount leaves the dialog open with the input as it was.
    const bool refused = !message.isEmpty();
    QCOMPARE(open, refused || typed.isEmpty());
    QCOMPARE(p.prompts.log.size(), refused ? 1 : 0);
    if (refused) {
        QVERIFY2(p.prompts.log.first().startsWith(message), qPrintable(p.prompts.log.first()));
        QCOMPARE(amountAfterOk, amount);
        QCOMPARE(chosenAfterOk, 0);
    }
    const QString k = p.f.today();
    const QStringList data = p.f.lines(Ledger::DataFileName);
    QCOMPARE(data.at(0), QStringLiteral("%1:Writing:%2:").arg(k).arg(10 + change));
    QCOMPARE(data.at(4), QStringLiteral("T:Writing:%1:").arg(100 + change));
    QCOMPARE(p.f.lines(Ledger::HistoryFileName).at(1), data.at(0));
    QCOMPARE(p.totals(), QVector<qint32>({100 + change, 200, 300, 400}));
}

void TestItemDialogs::timeDialogRestoresSelection_data()
{
    QTest::addColumn<int>("checked");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("newSwitches");
    QTest::newRow("Writing checked, OK") << 0 << true << 1;
    QTest::newRow("Writing checked, Cancel") << 0 << false << 1;
    QTest::newRow("nothing checked, OK") << -1 << true << 0;
}

void TestItemDialogs::timeDialogRestoresSelection()
{
    QFETCH(int, checked);
    QFETCH(bool, ok);
    QFETCH(int, newSwitches);
    Program p;
    if (checked >= 0)
        p.w->RG1->button(checked)->click();
    const int switches = p.state().SwitchCount;
    TForm3 *dialog = p.w->Form3;

    runDialog(p.w->AddTimetoItem1, dialog, [&] {
        choose(dialog->ComboBox1, {}, 1);
        dialog->Edit1->setText("10");
        (ok ? dialog->Button1 : dialog->Button2)->click();
    });

    QCOMPARE(p.totals().at(1), ok ? 210 : 200);
    QCOMPARE(p.state().SwitchCount, switches + newSwitches);
    QCOMPARE(p.w->Label1->text(), "Switches Today : " + QString::number(switches + newSwitches));
    QCOMPARE(p.w->RG1->checkedIndex(), checked);
    QCOMPARE(p.w->RadioButton1->isChecked(), checked < 0);
}

void TestItemDialogs::dialogLayout()
{
    Program p;
    TForm2 *del = p.w->Form2;
    TForm3 *time = p.w->Form3;
    QCOMPARE(del->windowTitle(), QString("Delete Item"));
    QCOMPARE(del->Label1->pos(), QPoint(24, 16));
    QVERIFY(del->Label1->width() >= 99);
    QCOMPARE(del->ComboBox1->pos(), QPoint(24, 32));
    QCOMPARE(del->ComboBox1->width(), 209);
    QCOMPARE(del->Button1->geometry(), QRect(32, 72, 83, 25));
    QCOMPARE(del->Button2->geometry(), QRect(136, 72, 81, 25));
    QCOMPARE(tabOrderFrom(del->Button1), QList<QWidget *>({del->Button1, del->Button2, del->ComboBox1}));

    QCOMPARE(time->Label1->pos(), QPoint(24, 24));
    QCOMPARE(time->ComboBox1->pos(), QPoint(24, 40));
    QCOMPARE(time->Label2->pos(), QPoint(24, 104));
    QCOMPARE(time->Edit1->pos(), QPoint(24, 120));
    QCOMPARE(time->Edit1->width(), 209);
    QCOMPARE(time->Button1->geometry(), QRect(32, 176, 81, 25));
    QCOMPARE(time->Button2->geometry(), QRect(136, 176, 81, 25));
    QCOMPARE(tabOrderFrom(time->ComboBox1),
             QList<QWidget *>({time->ComboBox1, time->Edit1, time->Button1, time->Button2}));

    const QList<std::tuple<QAction *, QDialog *, QSize>> dialogs{{p.w->DeleteItem1, del, QSize(254, 112)},
                                                                 {p.w->AddTimetoItem1, time, QSize(254, 226)},
                                                                 {p.w->RemoveTimefromItem1, time, QSize(254, 226)}};
    for (const auto &[entry, dialog, clientSize] : dialogs) {
        QRect shownAt;
        runDialog(entry, dialog, [&] {
            shownAt = dialog->frameGeometry();
            QCOMPARE(ClippedTexts(dialog).join(" | "), QString());
        });
        QCOMPARE(dialog->size(), clientSize);
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        const QPoint offCentre = shownAt.center() - dialog->screen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QString("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
        QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(dialog->windowFlags() & (Qt::WindowContextHelpButtonHint | Qt::WindowMinMaxButtonsHint)));
        QCOMPARE(dialog->font(), QFont("MS Sans Serif", 8));
    }
}

// Without a mouse: the item field has the focus and typing replaces
// "Select"; Tab runs through the buttons and back; every field is named by
// its label for screen readers, in either mode of the time dialog.
void TestItemDialogs::keyboardAndScreenReaderUse()
{
    Program p;
    const auto nameOf = [](QWidget *widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    // An editable list's name is its text; its label comes with it as a relation.
    const auto labelOf = [](QWidget *widget) {
        const auto labels = QAccessible::queryAccessibleInterface(widget)->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    };
    TForm2 *del = p.w->Form2;
    p.prompts.confirmAnswers.enqueue(true);
    runDialog(p.w->DeleteItem1, del, [&] {
        QApplication::setActiveWindow(del);
        QCOMPARE(del->focusWidget(), del->ComboBox1);
        QTest::keyClicks(QApplication::focusWidget(), "Rea");
        QCOMPARE(del->ComboBox1->currentText(), QStringLiteral("Reading"));
        QCOMPARE(labelOf(del->ComboBox1), QStringLiteral("Select item to delete:"));
        QCOMPARE(nameOf(del->ComboBox1->lineEdit()), QStringLiteral("Select item to delete:"));
        QList<QWidget *> visited;
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << del->focusWidget();
        }
        QCOMPARE(visited, (QList<QWidget *>{del->Button1, del->Button2, del->ComboBox1}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space); // OK
    });
    QCOMPARE(p.prompts.log, QStringList{"Confirm: Confirm deletion of \"Reading\""});

    TForm3 *time = p.w->Form3;
    for (QAction *entry : {p.w->AddTimetoItem1, p.w->RemoveTimefromItem1}) {
        runDialog(entry, time, [&] {
            QCOMPARE(time->focusWidget(), time->ComboBox1);
            QCOMPARE(time->ComboBox1->lineEdit()->selectedText(), QStringLiteral("Select"));
            QCOMPARE(labelOf(time->ComboBox1), time->Label1->text());
            QCOMPARE(nameOf(time->ComboBox1->lineEdit()), time->Label1->text());
            QCOMPARE(nameOf(time->Edit1), time->Label2->text());
        });
    }
    QCOMPARE(nameOf(time->Edit1), QStringLiteral("Amount to deduct (minutes)"));
    QCOMPARE(nameOf(time->ComboBox1->lineEdit()), QStringLiteral("Select item to remove time from:"));
    InputBoxDialog input(QStringLiteral("Add item"), QStringLiteral("Name of new item"), QString());
    QCOMPARE(nameOf(input.edit()), QStringLiteral("Name of new item"));
}

// A name stored in an older file's code page reads as its Latin-1 text in the
// lists and messages, is chosen by typing it, and is never rewritten.
void TestItemDialogs::namesFromAnOlderFileReadable()
{
    LedgerFixture f;
    const QByteArray k = f.today().toUtf8();
    const QByteArray stats = "\xF0\x9F\x93\x8A Stats"; // U+1F4CA, whose second half looks like an escape
    f.write(Ledger::DataFileName,
            k + ":Caf\xE9:5:\r\n" + k + ":" + stats + ":0:\r\nT:Caf\xE9:7:\r\nT:" + stats + ":0:\r\n");
    ScriptedPrompts prompts;
    TForm1 w(f.make(), prompts);
    w.CreateDialogs();
    w.show();
    const QString readable = QStringLiteral("Caf\u00e9");
    QCOMPARE(w.RG1->button(0)->text(), readable);
    QCOMPARE(w.RG1->button(1)->text(), QString::fromUtf8(stats));
    QCOMPARE(w.Chart1->Series1.label(0), readable);
    runDialog(w.AddTimetoItem1, w.Form3, [&] {
        QCOMPARE(w.Form3->ComboBox1->itemText(0), readable);
        choose(w.Form3->ComboBox1, "caf", -1);
        QCOMPARE(w.Form3->ComboBox1->currentText(), QStringLiteral("caf\u00e9"));
        w.Form3->Edit1->setText("3");
        w.Form3->Button1->click();
    });
    QCOMPARE(f.ledger->state().ItemTable.TotalMinutes.at(0), 10);
    QVERIFY(f.bytes(Ledger::DataFileName).startsWith(k + ":Caf\xE9:8:\r\n"));
}

// Move Minutes proposes the checked item and refuses what the day lacks;
// Correct Day shows each change's difference and keeps the day it showed
// when midnight passes while it is open; Undo names and takes back both,
// last first.
void TestItemDialogs::correctMoveAndUndoThroughTheMenu()
{
    Program p;
    const QDate day = p.f.now.date();
    p.f.ledger->SelectItem(0);
    QCOMPARE(p.w->Undo1->shortcut(), QKeySequence(QKeySequence::Undo));
    QVERIFY(!p.w->Undo1->isEnabled());
    bool moveShown = false;
    runMadeDialog<MoveMinutesDialog>(p.w->MoveMinutes1, [&](MoveMinutesDialog *move) {
        moveShown = true;
        QCOMPARE(ClippedTexts(move).join(" | "), QString());
        QCOMPARE(move->ComboBox1->currentText(), QString("Writing"));
        auto *arrow = move->DateEdit1->calendarWidget()->findChild<QToolButton *>("qt_calendar_nextmonth");
        QCOMPARE(arrow->accessibleName(), QString("Next month"));
        choose(move->ComboBox2, {}, 3);
        move->Edit1->setText("90");
        move->Button1->click();
        QVERIFY(move->isVisible());
        move->Edit1->setText("5");
        move->Button1->click();
    });
    QVERIFY(moveShown);
    QCOMPARE(p.prompts.log.last(),
             QString("Error: \"Writing\" would have -80 minutes on 08/12/2026; an item's minutes on a day cannot go "
                     "below 0. Nothing has been changed."));
    QCOMPARE(p.state().ItemTable.TodayMinutes, (QVector<qint32>{5, 20, 30, 45}));
    QCOMPARE(p.totals(), (QVector<qint32>{95, 200, 300, 405}));
    QCOMPARE(p.w->Undo1->text(), QString("&Undo Move 5 min from Writing to Mail"));

    bool correctShown = false;
    runMadeDialog<CorrectDayDialog>(p.w->CorrectDay1, [&](CorrectDayDialog *correct) {
        correctShown = true;
        QCOMPARE(ClippedTexts(correct).join(" | "), QString());
        correct->MonthCalendar1->setSelectedDate(day.addDays(-3));
        QVERIFY(correct->NoDataLabel && correct->NoDataLabel->text() == "No data for 05/12/2026 exists");
        correct->MonthCalendar1->setSelectedDate(day);
        QCOMPARE(correct->MinuteEdits.size(), 4);
        correct->MinuteEdits[2]->setText("12");
        QCOMPARE(correct->DifferenceLabels[2]->text(), QString("-18"));
        p.f.now = QDateTime(day.addDays(1), QTime(0, 0, 30));
        p.f.ledger->MinuteTick(); // the new day's first minute, for Writing
        correct->Button1->click();
    });
    QVERIFY(correctShown);
    const QString d = p.f.key(day), k = p.f.today();
    const QStringList newDay{k + ":Writing:1:", k + ":Mail:0:", k + ":Reading:0:", k + ":Mail:0:"};
    QCOMPARE(p.f.lines(Ledger::HistoryFileName).mid(1),
             QStringList({d + ":Writing:5:", d + ":Mail:20:", d + ":Reading:12:", d + ":Mail:45:"}) + newDay);
    QCOMPARE(p.totals(), (QVector<qint32>{96, 200, 282, 405}));
    QCOMPARE(p.w->Undo1->text(), QString("&Undo Correction of 08/12/2026"));

    p.w->Undo1->trigger();
    p.w->Undo1->trigger();
    QCOMPARE(p.f.lines(Ledger::HistoryFileName).mid(1),
             QStringList({d + ":Writing:10:", d + ":Mail:20:", d + ":Reading:30:", d + ":Mail:40:"}) + newDay);
    QCOMPARE(p.totals(), (QVector<qint32>{101, 200, 300, 400}));
    QVERIFY(!p.w->Undo1->isEnabled());
}

QTEST_MAIN(TestItemDialogs)
#include "test_item_dialogs.moc"
