#include "time_dialog.h"

#include <QLabel>

TForm3::TForm3(Ledger &ledger, Prompts &prompts, DialogModes &modes, QWidget *parent)
    : QDialog(parent), Label1(new QLabel(this)), Label2(new QLabel(this)), ledger_(ledger), prompts_(prompts),
      modes_(modes)
{
}
