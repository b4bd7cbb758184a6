// Printing the chart (margins, the page, the printer's settings afterwards),
// the BMP file it is saved as, and the save dialog's settings.

#include "bar_chart_view.h"
#include "file_size_limit.h"
#include "graph_builder.h"
#include "hourwise_error.h"
#include "ledger_fixture.h"
#include "print_layout.h"
#include "qt_prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QSplitter>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

Q_DECLARE_METATYPE(PrintMarginPercents)

namespace {

quint32 u32(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 u16(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The PDF's document title as Qt writes it: UTF-16 big endian with a byte order mark.
QByteArray pdfTitle(const QString &title)
{
    QByteArray bytes("/Title (\xFE\xFF");
    for (QChar c : title)
        bytes.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    return bytes + ')';
}

// What a PDF that Qt wrote draws on its page: its first compressed stream,
// inflated. Unlike the file, it holds no date.
QByteArray pageDrawing(const QString &pdfPath)
{
    const QByteArray pdf = readAll(pdfPath);
    const QByteArray start("/Filter /FlateDecode\n>>\nstream\n");
    const qsizetype from = pdf.indexOf(start);
    const qsizetype to = pdf.indexOf("endstream", from);
    if (from < 0 || to < 0)
        return {};
    const qsizetype data = from + start.size();
    // qUncompress wants the size first; it grows a buffer that is too small
    return qUncompress(QByteArray("\0\0\x10\0", 4) + pdf.mid(data, to - data));
}

} // namespace

class TestChartOutput : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    BarChartView chart_;

    QString path(const QString &name) const { return dir_.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        chart_.resize(416, 281);
        chart_.Series1.AppendBar(10, QStringLiteral("Mail"));
        chart_.Series1.AppendBar(20, QStringLiteral("Code"));
        chart_.setTitleLines({QStringLiteral("Today: 08/12/2026")});
    }

    void printMargins_data()
    {
        QTest::addColumn<QSize>("chart");
        QTest::addColumn<QSize>("page");
        QTest::addColumn<double>("dpiX");
        QTest::addColumn<double>("dpiY");
        QTest::addColumn<PrintMarginPercents>("expected");
        const QSize letter(6600, 5100); // landscape, 600 dpi: 0.7727 times as high as wide
        QTest::newRow("wide chart on letter") << QSize(416, 281) << letter << 600.0 << 600.0
                                              << PrintMarginPercents{15, 24, 15, 24};
        QTest::newRow("tall chart") << QSize(281, 416) << letter << 600.0 << 600.0
                                    << PrintMarginPercents{34, 15, 34, 15};
        QTest::newRow("square chart takes the tall rule") << QSize(300, 300) << letter << 600.0 << 600.0
                                                          << PrintMarginPercents{27, 15, 27, 15};
        QTest::newRow("picture higher than the page") << QSize(416, 281) << letter << 1200.0 << 600.0
                                                      << PrintMarginPercents{15, 0, 15, 0};
        QTest::newRow("empty chart") << QSize(0, 0) << letter << 600.0 << 600.0
                                     << PrintMarginPercents{15, 15, 15, 15};
    }

    void printMargins()
    {
        QFETCH(QSize, chart);
        QFETCH(QSize, page);
        QFETCH(double, dpiX);
        QFETCH(double, dpiY);
        QFETCH(PrintMarginPercents, expected);
        const PrintMarginPercents margins = PrintMargins(chart, page, dpiX, dpiY);
        QCOMPARE(margins.left, expected.left);
        QCOMPARE(margins.top, expected.top);
        QCOMPARE(margins.right, expected.right);
        QCOMPARE(margins.bottom, expected.bottom);
    }

    void printRectangleIsSeventyBy52PercentOnLetter()
    {
        const QSize letter(6600, 5100);
        const QRect target = PrintRectangle(PrintMargins(QSize(416, 281), letter, 600, 600), letter);
        QCOMPARE(target, QRect(990, 1224, 4620, 2652));
    }

    void printsOneLandscapePageAndRestoresOrientation_data()
    {
        QTest::addColumn<QPageLayout::Orientation>("chosen");
        QTest::newRow("portrait") << QPageLayout::Portrait;
        QTest::newRow("landscape") << QPageLayout::Landscape;
    }

    void printsOneLandscapePageAndRestoresOrientation()
    {
        QFETCH(QPageLayout::Orientation, chosen);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(path(QStringLiteral("page.pdf")));
        printer.setPageOrientation(chosen);

        chart_.PrintGraphPage(printer);

        QCOMPARE(printer.pageLayout().orientation(), chosen);
        QVERIFY(!chart_.isPrinting());
        const QByteArray pdf = readAll(printer.outputFileName());
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdf.count("/Type /Page\n"), 1);
        const QRegularExpressionMatch box
            = QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"))
                  .match(QString::fromLatin1(pdf));
        QVERIFY(box.hasMatch());
        QVERIFY(box.captured(1).toDouble() > box.captured(2).toDouble());
        QVERIFY(pdf.contains(pdfTitle(QStringLiteral("Chart1"))));
    }

    // The program keeps its printer from job to job: each job prints the page
    // a fresh printer prints, also after a zoom and after a date view.
    void everyPrintIsTheFirstOnesPage()
    {
        BarChartView chart;
        chart.resize(416, 281);
        chart.Series1.AppendBar(10, QStringLiteral("Mail"));
        chart.Series1.AppendBar(20, QStringLiteral("Code"));
        QPrinter kept(QPrinter::HighResolution);
        const auto printBoth = [&](const QString &name) {
            kept.setOutputFileName(path(name + QStringLiteral(".pdf")));
            chart.PrintGraphPage(kept);
            QPrinter fresh(QPrinter::HighResolution);
            fresh.setOutputFileName(path(name + QStringLiteral("-fresh.pdf")));
            chart.PrintGraphPage(fresh);
            const QByteArray expected = pageDrawing(fresh.outputFileName());
            return !expected.isEmpty() && pageDrawing(kept.outputFileName()) == expected;
        };
        QVERIFY(printBoth(QStringLiteral("first")));
        QVERIFY(printBoth(QStringLiteral("second")));

        chart.setFixedScales(ChartScales{{0.5, 1.5}, {5, 15}});
        QVERIFY(printBoth(QStringLiteral("zoomed")));

        LedgerFixture files;
        GraphBuilder dateView(files.make(), chart);
        dateView.GraphMode = 6;
        dateView.ResizeBars(8);
        for (int i = 0; i < 8; ++i) {
            dateView.BarValues[i] = 5 * i;
            dateView.BarLabels[i] = QStringLiteral("Item %1").arg(i);
        }
        dateView.ChartTitleText = QStringLiteral("01/12/2026  Switches: 4");
        dateView.DrawGraph();
        chart.setFixedScales(std::nullopt);
        QVERIFY(printBoth(QStringLiteral("date view")));
    }

    void printFailureRestoresOrientationAndFlag()
    {
        QPrinter printer(QPrinter::HighResolution);
        const QString target = path(QStringLiteral("missing/page.pdf"));
        printer.setOutputFileName(target);
        printer.setPageOrientation(QPageLayout::Portrait);
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        try {
            chart_.PrintGraphPage(printer);
            QFAIL("printing into a missing folder succeeded");
        } catch (const HourwiseError &error) {
            QCOMPARE(error.message(), QStringLiteral("Cannot print to file \"%1\"").arg(target));
        }
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
        QVERIFY(!chart_.isPrinting());
    }

    void bitmapHoldsTheRenderedChart()
    {
        const QString file = path(QStringLiteral("chart.bmp"));
        chart_.SaveChartBitmap(file);

        const QByteArray bmp = readAll(file);
        QVERIFY(bmp.startsWith("BM"));
        QCOMPARE(u32(bmp, 2), quint32(bmp.size()));
        QCOMPARE(u32(bmp, 10), 54u); // pixels right after the two headers: no colour table
        QCOMPARE(u32(bmp, 14), 40u);
        QCOMPARE(qint32(u32(bmp, 18)), 416);
        QCOMPARE(qint32(u32(bmp, 22)), 281); // positive: rows stored bottom up
        QCOMPARE(u16(bmp, 26), quint16(1));
        QCOMPARE(u16(bmp, 28), quint16(24));
        QCOMPARE(u32(bmp, 30), 0u); // uncompressed
        const int stride = (416 * 3 + 3) / 4 * 4;
        QCOMPARE(bmp.size(), 54 + stride * 281);

        QImage expected(416, 281, QImage::Format_RGB32);
        expected.fill(Qt::white);
        {
            QPainter painter(&expected);
            chart_.RenderChart(painter, expected.rect());
        }
        const auto *pixels = reinterpret_cast<const uchar *>(bmp.constData() + 54);
        for (int y = 0; y < 281; ++y) {
            const uchar *row = pixels + (280 - y) * stride;
            for (int x = 0; x < 416; ++x) {
                const QRgb want = expected.pixel(x, y);
                const uchar *bgr = row + 3 * x;
                if (bgr[2] != qRed(want) || bgr[1] != qGreen(want) || bgr[0] != qBlue(want))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
            }
        }
    }

    void bitmapReplacesAnExistingFile()
    {
        const QString file = path(QStringLiteral("old.bmp"));
        {
            QFile old(file);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(100000, 'x'));
        }
        chart_.SaveChartBitmap(file);
        const QByteArray bmp = readAll(file);
        QVERIFY(bmp.startsWith("BM"));
        QCOMPARE(u32(bmp, 2), quint32(bmp.size()));
    }

    void unwritableBitmapPathLeavesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing folder") << QStringLiteral("nowhere/chart.bmp");
        QTest::newRow("a folder") << QStringLiteral("folder.bmp");
    }

    void unwritableBitmapPathLeavesNothing()
    {
        QFETCH(QString, name);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder.bmp")));
        const QStringList before = QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const QString file = folder.filePath(name);
        try {
            chart_.SaveChartBitmap(file);
            QFAIL("saving to an unwritable path succeeded");
        } catch (const HourwiseError &error) {
            const QString start = QStringLiteral("Cannot create file \"%1\". ").arg(file);
            QVERIFY2(error.message().startsWith(start), qPrintable(error.message()));
            QVERIFY(error.message().size() > start.size()); // the system's reason follows
        }
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    }

    // With too little space for the whole picture, the old file stays as it
    // was and the failure is reported.
    void fullDiskKeepsTheOldBitmap()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("chart.bmp"));
        chart_.SaveChartBitmap(file);
        const QByteArray old = readAll(file);
        {
            FileSizeLimit limit(old.size() - 4096); // the last buffer does not fit
            QVERIFY(limit.active());
            try {
                chart_.SaveChartBitmap(file);
                QFAIL("saving onto a full disk succeeded");
            } catch (const HourwiseError &error) {
                QCOMPARE(error.message(), QStringLiteral("Cannot create file \"%1\". File too large").arg(file));
            }
        }
        QCOMPARE(readAll(file), old);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("chart.bmp")});
    }

    // The chart is one page: the dialog offers no page range and no odd or
    // even pages (which Qt's own dialog shows despite its options), and a range
    // left in the printer by an earlier print is undone.
    void printDialogLeavesNoPageOut()
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(path(QStringLiteral("page.pdf")));
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 2);
        QStringList shownChoices;
        QTimer::singleShot(0, this, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            // Whether a control shows once the folded options part is unfolded.
            const auto shown = [dialog](QWidget *w) {
                for (; w != dialog; w = w->parentWidget())
                    if (w->isHidden() && w->objectName() != QLatin1String("QPrintSettingsOutput"))
                        return false;
                return true;
            };
            for (QWidget *choice : dialog->findChildren<QWidget *>()) {
                const QString text = choice->property("text").toString();
                if ((text.contains(QStringLiteral("Pages")) || choice->objectName() == QLatin1String("pageSetCombo"))
                    && shown(choice))
                    shownChoices << (text.isEmpty() ? choice->objectName() : text);
            }
            static_cast<QDialog *>(dialog)->accept();
        });
        QtPrompts prompts;
        QVERIFY(prompts.ChoosePrinter(printer));
        QCOMPARE(shownChoices, QStringList());
        QCOMPARE(printer.printRange(), QPrinter::AllPages);
        QCOMPARE(printer.fromPage(), 0);
    }

    void saveDialogAddsBmpAndKeepsWorkingDirectory()
    {
        const QString workingDirectory = QDir::currentPath();
        QStringList filters;
        bool confirmsOverwrite = true;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            filters = dialog->nameFilters();
            confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            dialog->setDirectory(dir_.path());
            dialog->selectFile(QStringLiteral("typed"));
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides it
        });
        QtPrompts prompts;
        const QString chosen = prompts.SavePictureFileName(QStringLiteral("*.bmp"));
        QCOMPARE(chosen, path(QStringLiteral("typed.bmp")));
        QCOMPARE(filters, QStringList{QStringLiteral("Bitmaps (*.bmp)")});
        QVERIFY(!confirmsOverwrite);
        QCOMPARE(QDir::currentPath(), workingDirectory);
    }

    // Beside the file list, the picture's save dialog shows the picture that
    // becomes current in the list, scaled to fit; a damaged one shows nothing.
    void saveDialogPreviewsTheCurrentPicture()
    {
        QImage halves(200, 100, QImage::Format_RGB32);
        halves.fill(Qt::red);
        QPainter(&halves).fillRect(100, 0, 100, 100, Qt::blue);
        const QString picture = path(QStringLiteral("halves.bmp"));
        QVERIFY(halves.save(picture, "BMP"));
        const QString damaged = path(QStringLiteral("damaged.bmp"));
        {
            QFile file(damaged);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("BM not a picture");
        }
        QImage shown;
        bool besideTheList = false;
        bool emptiedForDamaged = false;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            auto *preview = dialog->findChild<QLabel *>(QStringLiteral("picturePreview"));
            auto *list = dialog->findChild<QListView *>(QStringLiteral("listView"));
            if (preview && list) {
                dialog->setDirectory(dir_.path());
                auto *files = qobject_cast<QFileSystemModel *>(list->model());
                list->setCurrentIndex(files->index(picture)); // as a click on it does
                shown = preview->pixmap().toImage();
                const auto *sidebarAndList = dialog->findChild<QSplitter *>(QStringLiteral("splitter"));
                const QRect listAt = sidebarAndList ? sidebarAndList->geometry() : QRect();
                const QRect previewAt = preview->geometry();
                besideTheList = preview->isVisible() && listAt.right() < previewAt.left()
                    && previewAt.top() < listAt.bottom() && previewAt.bottom() > listAt.top();
                list->setCurrentIndex(files->index(damaged));
                emptiedForDamaged = preview->pixmap().isNull();
            }
            dialog->reject();
        });
        QtPrompts prompts;
        QCOMPARE(prompts.SavePictureFileName(QStringLiteral("*.bmp")), QString());
        QVERIFY(besideTheList);
        QVERIFY(shown.width() > 100 && shown.width() <= 160);
        QCOMPARE(shown.height(), shown.width() / 2);
        QCOMPARE(shown.pixelColor(5, shown.height() / 2), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(shown.width() - 5, shown.height() / 2), QColor(Qt::blue));
        QVERIFY(emptiedForDamaged);
    }
};

QTEST_MAIN(TestChartOutput)
#include "test_chart_output.moc"
