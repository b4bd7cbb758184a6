// Printing the chart on one landscape page and saving it as a BMP file. Both
// draw with RenderChart directly onto their target, without the screen buffer.

#include "bar_chart_view.h"

#include "hourwise_error.h"
#include "line_file.h"
#include "print_layout.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>

namespace {

// Puts the printer's orientation back when printing ends, however it ends.
class OrientationKeeper {
public:
    explicit OrientationKeeper(QPrinter &printer)
        : printer_(printer), kept_(printer.pageLayout().orientation())
    {
    }
    ~OrientationKeeper() { printer_.setPageOrientation(kept_); }
    OrientationKeeper(const OrientationKeeper &) = delete;
    OrientationKeeper &operator=(const OrientationKeeper &) = delete;

private:
    QPrinter &printer_;
    QPageLayout::Orientation kept_;
};

// Marks the view as printing for the lifetime of the scope.
class PrintingScope {
public:
    explicit PrintingScope(BarChartView &view) : view_(view) { view_.setPrinting(true); }
    ~PrintingScope() { view_.setPrinting(false); }
    PrintingScope(const PrintingScope &) = delete;
    PrintingScope &operator=(const PrintingScope &) = delete;

private:
    BarChartView &view_;
};

// Why the printer cannot start a job, or an empty text when it can.
QString PrinterProblem(const QPrinter &printer)
{
    if (printer.printerState() == QPrinter::Active)
        return QStringLiteral("Printing in progress");
    if (printer.printerName().isEmpty() && printer.outputFileName().isEmpty())
        return QStringLiteral("There is no default printer currently selected");
    if (!printer.isValid())
        return QStringLiteral("Printer selected is not valid");
    return {};
}

QString CannotStartPrinting(const QPrinter &printer)
{
    if (!printer.outputFileName().isEmpty())
        return QStringLiteral("Cannot print to file \"%1\"")
            .arg(QFileInfo(printer.outputFileName()).absoluteFilePath());
    return QStringLiteral("Cannot start printing on \"%1\"").arg(printer.printerName());
}

HourwiseError CannotCreateFile(const QString &path, const QString &reason)
{
    return HourwiseError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(QFileInfo(path).absoluteFilePath(), reason));
}

// The chart as the screen shows it, background and bevel included, in a
// bitmap of the widget's size that starts white.
QImage RenderBitmap(BarChartView &view)
{
    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.RenderChart(painter, image.rect());
    return image;
}

} // namespace

void BarChartView::PrintGraphPage(QPrinter &printer)
{
    const QString problem = PrinterProblem(printer);
    if (!problem.isEmpty())
        throw HourwiseError(problem);

    OrientationKeeper orientation(printer);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("Chart1"));
    // The painter's origin is the top left of the printable area, so the page
    // is the printable size in printer pixels.
    const QSize page(printer.width(), printer.height());
    const QRect target
        = PrintRectangle(PrintMargins(size(), page, printer.logicalDpiX(), printer.logicalDpiY()), page);

    QPainter painter;
    if (!painter.begin(&printer))
        throw HourwiseError(CannotStartPrinting(printer));
    PrintingScope printing(*this);
    // The chart's w × h space is mapped onto the print rectangle, scaled
    // separately in x and y, and the clip is set after the mapping, in the
    // chart's own units. Set before it, in printer pixels, the clip would go
    // through the transform the print engine holds: a printer kept between
    // jobs keeps its engine, and Qt's PDF engine (CUPS printing included)
    // holds the last job's transform until the painter sets one, so every
    // job after the first would be clipped to the print rectangle mapped
    // once more.
    painter.setViewport(target);
    painter.setWindow(rect());
    painter.setClipRect(rect());
    try {
        RenderChart(painter, rect());
    } catch (...) {
        printer.abort(); // nothing of a half-drawn page is printed
        throw;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw HourwiseError(QStringLiteral("The printer could not complete the print job"));
}

void BarChartView::SaveChartBitmap(const QString &path)
{
    // Encoded in memory first, so that the file is written in one checked,
    // atomic step: a failure (a full disk) leaves an existing file as it was
    // and no partial file behind.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!RenderBitmap(*this).save(&buffer, "BMP"))
        throw CannotCreateFile(path, QStringLiteral("The picture could not be encoded"));
    WriteEncodedFile(path, bytes);
    SyncFolderOf(path); // the rename survives a power cut
}
