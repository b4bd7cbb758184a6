#pragma once

#include "item_combo_box.h"

class Ledger;
class Prompts;
class QLabel;
class QLineEdit;
class QPushButton;
struct DialogModes;

// "Add Time" / "Deduct Time": add minutes to, or deduct them from, one item.
// The menu handler sets the caption, Label1, Label2 and the mode before
// showing it, and re-reads and saves once it has closed.
class TForm3 : public ItemDialog {
    Q_OBJECT
public:
    TForm3(Ledger &ledger, Prompts &prompts, DialogModes &modes, QWidget *parent = nullptr);

    QLabel *Label1;
    ItemComboBox *ComboBox1;
    QLabel *Label2;
    QLineEdit *Edit1;
    QPushButton *Button1;
    QPushButton *Button2;

    void FormActivate() override;
    // With an entry chosen, applies Edit1's amount in the current mode and
    // closes; an amount that is no integer, or a count that would leave the
    // 32-bit range, is reported and leaves the dialog open as it was.
    void Button1Click();
    void Button2Click();

private:
    Ledger &ledger_;
    Prompts &prompts_;
    DialogModes &modes_;
};
