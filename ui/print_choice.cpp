#include "print_choice.h"

#include <QEvent>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QWidget>

namespace {

// Qt keeps the CUPS job options (name, value, name, value, ...) under this
// print engine property; "page-ranges" and "page-set" pick pages on the
// print server, after the program has drawn them.
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// Qt's own dialog shows its page range and odd/even page choices whenever it
// is shown, whatever its options say (they are picked on the print server,
// not by the program). Hiding them after each showing leaves all pages.
class PageChoiceHider : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            for (const char *name : {"gbPrintRange", "pageSetLabel", "pageSetCombo"})
                if (auto *choice = watched->findChild<QWidget *>(QLatin1String(name)))
                    choice->hide();
        }
        return false;
    }
};

void dropServerPageChoice(QPrinter &printer)
{
    QPrintEngine *engine = printer.printEngine();
    const QStringList options = engine->property(kCupsOptions).toStringList();
    QStringList kept;
    for (int i = 0; i + 1 < options.size(); i += 2) {
        const QString &name = options.at(i);
        if (name != QLatin1String("page-ranges") && name != QLatin1String("page-set"))
            kept << name << options.at(i + 1);
    }
    if (kept.size() != options.size())
        engine->setProperty(kCupsOptions, kept);
}

} // namespace

bool ChooseChartPrinter(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies);
    PageChoiceHider hider;
    dialog.installEventFilter(&hider);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageRanges(QPageRanges());
    dropServerPageChoice(printer);
    return true;
}
