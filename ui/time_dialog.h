#pragma once

#include <QDialog>

class QLabel;
class Ledger;
class Prompts;
struct DialogModes;

// "Add Time" / "Deduct Time": add minutes to, or deduct them from, one item.
// The menu handler sets the caption, Label1, Label2 and the mode before showing it.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(Ledger &ledger, Prompts &prompts, DialogModes &modes, QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;

private:
    Ledger &ledger_;
    Prompts &prompts_;
    DialogModes &modes_;
};
