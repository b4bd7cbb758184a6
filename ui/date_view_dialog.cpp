#include "date_view_dialog.h"

TForm4::TForm4(Ledger &ledger, GraphBuilder &graph, Prompts &prompts, QWidget *parent)
    : QDialog(parent), ledger_(ledger), graph_(graph), prompts_(prompts)
{
    setWindowTitle(QStringLiteral("Choose date"));
}
