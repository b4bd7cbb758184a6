#include "radio_group.h"

#include <QFontMetrics>
#include <QRadioButton>

RadioGroup::RadioGroup(int columns, QWidget *parent) : QGroupBox(parent), columns_(columns) {}

void RadioGroup::setItems(const QStringList &names)
{
    qDeleteAll(buttons_);
    buttons_.clear();
    for (int i = 0; i < names.size(); ++i) {
        auto *button = new QRadioButton(names.at(i), this);
        connect(button, &QRadioButton::clicked, this, [this, i] { emit buttonClicked(i); });
        buttons_.append(button);
        button->show();
    }
    arrangeButtons();
}

int RadioGroup::checkedIndex() const
{
    for (int i = 0; i < buttons_.size(); ++i)
        if (buttons_.at(i)->isChecked())
            return i;
    return -1;
}

void RadioGroup::setCheckedIndex(int index)
{
    for (int i = 0; i < buttons_.size(); ++i) {
        QRadioButton *button = buttons_.at(i);
        // An auto-exclusive button refuses to be unchecked while it is the checked one.
        button->setAutoExclusive(false);
        button->setChecked(i == index);
        button->setAutoExclusive(true);
    }
}

void RadioGroup::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    arrangeButtons();
}

void RadioGroup::arrangeButtons()
{
    if (buttons_.isEmpty())
        return;
    const int lineHeight = fontMetrics().height();
    const int perColumn = (int(buttons_.size()) + columns_ - 1) / columns_;
    const int buttonWidth = (width() - 10) / columns_;
    const int room = height() - lineHeight - 5;
    const int buttonHeight = room / perColumn;
    const int topMargin = lineHeight + 1 + (room % perColumn) / 2;
    for (int i = 0; i < buttons_.size(); ++i) {
        const int column = i / perColumn;
        const int row = i % perColumn;
        buttons_.at(i)->setGeometry(column * buttonWidth + 8, row * buttonHeight + topMargin, buttonWidth,
                                    buttonHeight);
    }
}
