#pragma once

#include <QComboBox>
#include <QDialog>

// The item list of the delete and time dialogs: an editable drop-down whose
// entry k is item k, so two items of the same name are told apart by position.
// Typed text is completed inline from the entries.
class ItemComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ItemComboBox(QWidget *parent = nullptr);

    // Replaces the entries by names, in order (shown readable, undecodable
    // bytes as Latin-1 characters), and shows "Select", selected so that
    // typing replaces it, with no entry chosen.
    void fillItems(const QStringList &names);

    // The position of the chosen entry, -1 when none. Since the last fill the
    // user has either picked an entry (that position, while its text stands),
    // or typed text: then the first entry equal to it, else the first entry
    // beginning with it, case ignored, as the inline completion shows it.
    int chosenIndex() const;

    // Names the field for screen readers as its label reads: the drop-down
    // and the text box inside it, which has the focus while the user types.
    void setAccessibleLabel(const QString &label);

private:
    bool touched_ = false; // picked or typed since the last fill
};

// The frame both item dialogs share: a fixed client area, a dialog border
// with only the close box, the program's dialog font, centred on the screen
// each time it is shown, and FormActivate run once per showing.
class ItemDialog : public QDialog {
    Q_OBJECT
public:
    // Fills the dialog's lists afresh; runs each time the dialog is shown.
    virtual void FormActivate() = 0;

protected:
    ItemDialog(const QString &caption, QSize clientSize, QWidget *parent);
    void showEvent(QShowEvent *event) override;
};
