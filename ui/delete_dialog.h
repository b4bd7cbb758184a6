#pragma once

#include <QDialog>

class Ledger;
class Prompts;

// "Delete Item": pick an item and confirm its removal.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(Ledger &ledger, Prompts &prompts, QWidget *parent = nullptr);

private:
    Ledger &ledger_;
    Prompts &prompts_;
};
