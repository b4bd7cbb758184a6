#pragma once

class QPrinter;
class QWidget;

// Shows the print dialog for the one-page chart: all pages, no print-to-file
// box. Returns whether the user chose to print; the printer then carries the
// chosen printer, its settings and the copies.
//
// The chart is always one page, so nothing chosen may leave it out: the
// dialog offers no page numbers and no odd or even pages, and a page choice
// that a platform's dialog or an earlier print left in the printer is undone
// once the dialog has closed.
bool ChooseChartPrinter(QPrinter &printer, QWidget *parent);
