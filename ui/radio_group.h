#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QList>

class QRadioButton;

// A frame of radio buttons in columns (filled top to bottom, then left to
// right) that, unlike a plain exclusive group, can have no button checked.
//
// However a button becomes checked by the user (a click, the space bar, an
// arrow key, an accessibility action), itemChecked reports it once. The
// checked button set from outside with setCheckedIndex reports nothing.
//
// Keyboard: the group is one stop of the tab chain, on its checked button or
// else its first; Up and Down move the check to the previous or next button,
// Left and Right to the neighbour in the column on that side (the columns
// run from the right under a right-to-left layout direction).
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(int columns, QWidget *parent = nullptr);

    // One button per name, in order. Names are shown readable (undecodable
    // bytes as Latin-1 characters, "&" as itself).
    void setItems(const QStringList &names);
    int count() const { return int(buttons_.size()); }
    QRadioButton *button(int index) const { return buttons_.at(index); }
    int checkedIndex() const;
    void setCheckedIndex(int index);
    // The widget that Tab leads to from the group; kept across setItems.
    void setNextInFocusChain(QWidget *next);

signals:
    void itemChecked(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void arrangeButtons();
    int rowsPerColumn() const;
    int arrowTarget(int from, int key) const;
    void updateTabStop();

    int columns_;
    QList<QRadioButton *> buttons_;
    QButtonGroup group_;
    QWidget *next_ = nullptr;
    bool settingCheck_ = false; // a check set by the program is no selection
};
