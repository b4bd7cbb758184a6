// The information window: its two faces, what each showing leaves behind,
// the ways of closing it, and the help text.

#include "appearance.h"
#include "dialog_modes.h"
#include "help_text.h"
#include "info_window.h"
#include "text_clipping.h"

#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

enum Face { Help = 1, About = 2 };

QList<QLabel *> StaticTexts(const TForm5 &w)
{
    return {w.StaticText1, w.StaticText2, w.StaticText3, w.StaticText4, w.StaticText5, w.StaticText6};
}

bool AnyStaticTextVisible(const TForm5 &w)
{
    for (const QLabel *text : StaticTexts(w))
        if (text->isVisible())
            return true;
    return false;
}

// Shows the window modally on the given face and runs check while it is up,
// then closes it with "Close".
void ShowModally(TForm5 &w, DialogModes &modes, Face face, const std::function<void()> &check)
{
    modes.InfoMode = face;
    QTimer::singleShot(0, &w, [&] {
        check();
        QTest::mouseClick(w.Button1, Qt::LeftButton);
    });
    w.exec();
}

} // namespace

class TestInfoWindow : public QObject {
    Q_OBJECT
private slots:
    // The fonts the program uses, so that the texts are measured as users see them.
    void initTestCase() { ApplyDesktopFonts(); }
    void aboutFace();
    void helpFace();
    void faceFollowsEachShowing();
    void visibleWidgetsLieInsideTheWindow_data();
    void visibleWidgetsLieInsideTheWindow();
    void everyWayOfClosingHidesTheLogo_data();
    void everyWayOfClosingHidesTheLogo();
    void helpTextHeadingsInOrderOnTheirOwnLines();
    void helpTextNamesTheDataFiles();
};

void TestInfoWindow::aboutFace()
{
    DialogModes modes;
    TForm5 w(modes);
    ShowModally(w, modes, About, [&] {
        QCOMPARE(w.windowTitle(), QStringLiteral("About"));
        for (const QLabel *text : StaticTexts(w))
            QVERIFY2(text->isVisible(), qPrintable(text->text()));
        QCOMPARE(w.StaticText1->text(), QStringLiteral("Hourwise"));
        QVERIFY(w.StaticText1->font().bold() && w.StaticText1->font().italic());
        QCOMPARE(w.StaticText5->text(), QStringLiteral("2005"));
        QVERIFY(!w.Memo1->isVisible());
        QVERIFY(w.Image1->isVisible());
        QCOMPARE(w.Button1->pos(), QPoint(64, 264));

        const QImage logo = w.Image1->pixmap().toImage();
        QCOMPARE(logo.size(), QSize(158, 128));
        QCOMPARE(qAlpha(logo.pixel(0, 127)), 0); // the black background is left out
        QCOMPARE(qAlpha(logo.pixel(5, 120)), 0);
        QCOMPARE(qAlpha(logo.pixel(52, 57)), 255); // the clock face is drawn
    });
}

void TestInfoWindow::helpFace()
{
    DialogModes modes;
    TForm5 w(modes);
    ShowModally(w, modes, Help, [&] {
        QCOMPARE(w.windowTitle(), QStringLiteral("Help"));
        QVERIFY(w.Memo1->isVisible());
        QVERIFY(w.Memo1->isReadOnly());
        QVERIFY(!AnyStaticTextVisible(w));
        QVERIFY(!w.Image1->isVisible()); // also on the window's very first showing
        QCOMPARE(w.Button1->pos(), QPoint(8, 392));

        QScrollBar *bar = w.Memo1->verticalScrollBar();
        QVERIFY(bar->isVisible());
        QVERIFY2(bar->maximum() > 0, "the help text should be longer than its box");
        bar->setValue(bar->maximum());
        QCOMPARE(bar->value(), bar->maximum());
    });
    ShowModally(w, modes, About, [&] { QVERIFY(w.Image1->isVisible()); });
}

// About, Help, About: each showing takes its face from InfoMode alone, and
// the help face shows nothing of an earlier about face.
void TestInfoWindow::faceFollowsEachShowing()
{
    DialogModes modes;
    TForm5 w(modes);
    ShowModally(w, modes, About, [] {});
    ShowModally(w, modes, Help, [&] {
        QCOMPARE(w.windowTitle(), QStringLiteral("Help"));
        QVERIFY(!w.Image1->isVisible());
        QVERIFY(!AnyStaticTextVisible(w));
        QVERIFY(w.Memo1->isVisible());
    });
    QCOMPARE(modes.InfoMode, qint32(Help));
    ShowModally(w, modes, About, [&] {
        QCOMPARE(w.windowTitle(), QStringLiteral("About"));
        QVERIFY(w.Image1->isVisible());
        QVERIFY(!w.Memo1->isVisible());
    });
}

void TestInfoWindow::visibleWidgetsLieInsideTheWindow_data()
{
    QTest::addColumn<int>("face");
    QTest::newRow("help") << int(Help);
    QTest::newRow("about") << int(About);
}

// The logo box is larger than the about window; what must fit is the logo
// drawn at its top left.
void TestInfoWindow::visibleWidgetsLieInsideTheWindow()
{
    QFETCH(int, face);
    DialogModes modes;
    TForm5 w(modes);
    ShowModally(w, modes, Face(face), [&] {
        const QRect client = w.rect();
        for (const QWidget *child : w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!child->isVisible())
                continue;
            const QRect drawn = child == w.Image1 ? QRect(child->pos(), w.Image1->pixmap().size()) : child->geometry();
            QVERIFY2(client.contains(drawn), qPrintable(child->metaObject()->className()));
            // A face that is missing falls to the system's choice, which can be a monospace one.
            QVERIFY2(!QFontInfo(child->font()).fixedPitch(), qPrintable(QFontInfo(child->font()).family()));
        }
        QCOMPARE(ClippedTexts(&w).join(" | "), QString());
    });
}

void TestInfoWindow::everyWayOfClosingHidesTheLogo_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("Close button") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("close box") << 2;
}

void TestInfoWindow::everyWayOfClosingHidesTheLogo()
{
    QFETCH(int, way);
    DialogModes modes;
    modes.InfoMode = About;
    TForm5 w(modes);
    bool logoWasShown = false;
    QTimer::singleShot(0, &w, [&] {
        logoWasShown = w.Image1->isVisible();
        if (way == 0)
            QTest::mouseClick(w.Button1, Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(&w, Qt::Key_Escape);
        else
            w.close();
    });
    w.exec();
    QVERIFY(logoWasShown);
    QVERIFY(!w.isVisible());
    QVERIFY(w.Image1->isHidden());
}

void TestInfoWindow::helpTextHeadingsInOrderOnTheirOwnLines()
{
    const QStringList headings = {
        QStringLiteral("Introduction"),   QStringLiteral("Adding/Removing items"),
        QStringLiteral("Editing Time"),   QStringLiteral("Graphs"),
        QStringLiteral("Printing and saving Graphs"), QStringLiteral("Switches"),
        QStringLiteral("Helpful Tips"),   QStringLiteral("Additional information"),
    };
    const QStringList lines = HelpText().split(QLatin1Char('\n'));
    qsizetype previous = 0;
    for (const QString &heading : headings) {
        const qsizetype at = lines.indexOf(heading, previous + 1);
        QVERIFY2(at > previous, qPrintable(heading + " missing or out of order"));
        QVERIFY2(lines.at(at - 1).isEmpty() && lines.at(at + 1).isEmpty(), qPrintable(heading));
        QVERIFY2(!lines.at(at + 2).isEmpty(), qPrintable(heading + " heads no text"));
        previous = at;
    }
    QVERIFY2(!lines.first().isEmpty(), "the text opens with a paragraph, not a heading");
}

void TestInfoWindow::helpTextNamesTheDataFiles()
{
    const QString text = HelpText();
    for (const char *name : {"data.txc", "completedata.txc", "help.txc"})
        QVERIFY2(text.contains(QLatin1String(name)), name);
}

QTEST_MAIN(TestInfoWindow)
#include "test_info_window.moc"
