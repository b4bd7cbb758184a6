#pragma once

class QPrinter;
class QWidget;

// Shows the print dialog for the one-page chart: all pages, no print-to-file
// box. Returns whether the user chose to print; the printer then carries the
// chosen printer, its settings and the copies.
//
// The chart is always one page, so nothing chosen may leave it out: Qt's
// dialog still offers page numbers and odd or even pages on some systems,
// and a printer keeps such a choice from one print to the next. They are
// undone once the dialog has closed.
bool ChooseChartPrinter(QPrinter &printer, QWidget *parent);
