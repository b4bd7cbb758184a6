#pragma once

#include "item_combo_box.h"

class Ledger;
class Prompts;
class QLabel;
class QPushButton;

// "Delete Item": pick an item and confirm its removal. The caller saves once
// the dialog has closed, however it closed.
class TForm2 : public ItemDialog {
    Q_OBJECT
public:
    TForm2(Ledger &ledger, Prompts &prompts, QWidget *parent = nullptr);

    QLabel *Label1;
    ItemComboBox *ComboBox1;
    QPushButton *Button1;
    QPushButton *Button2;

    void FormActivate() override;
    // With an entry chosen and confirmed, deletes that item and closes; a
    // failed save is reported and leaves the dialog open on the current items.
    void Button1Click();
    void Button2Click();

private:
    Ledger &ledger_;
    Prompts &prompts_;
};
