#pragma once

#include <QDialog>

struct DialogModes;

// The help text or the about box, by DialogModes::InfoMode.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(DialogModes &modes, QWidget *parent = nullptr);

private:
    DialogModes &modes_;
};
