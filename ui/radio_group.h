#pragma once

#include <QGroupBox>
#include <QList>

class QRadioButton;

// A frame of radio buttons in columns (filled top to bottom, then left to
// right) that, unlike a plain exclusive group, can have no button checked.
// A user's click is reported through buttonClicked; the checked button is
// set from outside with setCheckedIndex, which emits nothing.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(int columns, QWidget *parent = nullptr);

    void setItems(const QStringList &names);
    int count() const { return int(buttons_.size()); }
    QRadioButton *button(int index) const { return buttons_.at(index); }
    int checkedIndex() const;
    void setCheckedIndex(int index);

signals:
    void buttonClicked(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrangeButtons();

    int columns_;
    QList<QRadioButton *> buttons_;
};
