#pragma once

#include "prompts.h"

#include <QDialog>

class QLineEdit;

// The prompts as message boxes and standard dialogs of Qt.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }

    void Information(const QString &text) override;
    bool Confirm(const QString &text) override;
    bool ConfirmLoss(const QString &text) override;
    void Error(const QString &text) override;
    QString InputBox(const QString &caption, const QString &prompt, const QString &initial) override;
    void StandardError(const QString &message) override;
    bool ChoosePrinter(QPrinter &printer) override;
    QString SavePictureFileName(const QString &proposed) override;
    QString SaveCsvFileName(const QString &proposed) override;
    QString ChooseFolder(const QString &caption) override;

private:
    QWidget *parent_;
};

// The one-line input box: a prompt, an edit of at most 255 characters, OK and Cancel.
class InputBoxDialog : public QDialog {
    Q_OBJECT
public:
    InputBoxDialog(const QString &caption, const QString &prompt, const QString &initial, QWidget *parent = nullptr);
    QLineEdit *edit() const { return edit_; }

private:
    QLineEdit *edit_;
};
