#include "delete_dialog.h"

TForm2::TForm2(Ledger &ledger, Prompts &prompts, QWidget *parent)
    : QDialog(parent), ledger_(ledger), prompts_(prompts)
{
    setWindowTitle(QStringLiteral("Delete Item"));
}
