#include "radio_group.h"

#include "line_file.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QStyle>

RadioGroup::RadioGroup(int columns, QWidget *parent) : QGroupBox(parent), columns_(columns)
{
    // One path for every way a button gets checked: a click, a key, an
    // accessibility toggle, so each selection is counted exactly once.
    connect(&group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !settingCheck_)
            emit itemChecked(id);
        updateTabStop();
    });
}

void RadioGroup::setItems(const QStringList &names)
{
    qDeleteAll(buttons_);
    buttons_.clear();
    for (int i = 0; i < names.size(); ++i) {
        QString caption = ReadableText(names.at(i));
        caption.replace(QLatin1Char('&'), QStringLiteral("&&")); // a name's "&" is no access key
        auto *button = new QRadioButton(caption, this);
        group_.addButton(button, i);
        button->installEventFilter(this);
        buttons_.append(button);
    }
    for (int i = 1; i < buttons_.size(); ++i)
        setTabOrder(buttons_.at(i - 1), buttons_.at(i));
    if (next_ && !buttons_.isEmpty())
        setTabOrder(buttons_.last(), next_);
    updateTabStop();
    // Placed before they are shown: a button shown without a size would
    // first be sized to its text, only to be placed again.
    arrangeButtons();
    for (QRadioButton *button : std::as_const(buttons_))
        button->show();
}

int RadioGroup::checkedIndex() const
{
    return group_.checkedId();
}

void RadioGroup::setCheckedIndex(int index)
{
    if (index == checkedIndex())
        return; // also keeps a button's own toggle from being re-entered
    const QScopedValueRollback<bool> quiet(settingCheck_, true);
    // An exclusive group refuses to uncheck its checked button.
    group_.setExclusive(false);
    for (int i = 0; i < buttons_.size(); ++i)
        buttons_.at(i)->setChecked(i == index);
    group_.setExclusive(true);
    updateTabStop();
}

void RadioGroup::setNextInFocusChain(QWidget *next)
{
    next_ = next;
    if (!buttons_.isEmpty())
        setTabOrder(buttons_.last(), next_);
}

// Only the checked button, or the first, takes Tab; the others are reached
// with the arrows or the mouse.
void RadioGroup::updateTabStop()
{
    const int stop = qMax(0, checkedIndex());
    for (int i = 0; i < buttons_.size(); ++i)
        buttons_.at(i)->setFocusPolicy(i == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

int RadioGroup::rowsPerColumn() const
{
    return (int(buttons_.size()) + columns_ - 1) / columns_;
}

// The button an arrow key moves to, or `from` when there is none that way.
// Right to left, the columns run from the right: Left leads to the next one.
int RadioGroup::arrowTarget(int from, int key) const
{
    if (isRightToLeft() && (key == Qt::Key_Left || key == Qt::Key_Right))
        key = key == Qt::Key_Left ? Qt::Key_Right : Qt::Key_Left;
    int to = from;
    switch (key) {
    case Qt::Key_Up:
        to = from - 1;
        break;
    case Qt::Key_Down:
        to = from + 1;
        break;
    case Qt::Key_Left:
        to = from - rowsPerColumn();
        break;
    case Qt::Key_Right:
        to = from + rowsPerColumn();
        break;
    default:
        break;
    }
    return to >= 0 && to < buttons_.size() ? to : from;
}

bool RadioGroup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QGroupBox::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Left && key != Qt::Key_Right)
        return QGroupBox::eventFilter(watched, event);
    const int from = int(buttons_.indexOf(static_cast<QRadioButton *>(watched)));
    const int to = arrowTarget(from, key);
    if (to != from) {
        buttons_.at(to)->setFocus(Qt::TabFocusReason);
        buttons_.at(to)->click(); // a selection, as a click is
    }
    return true;
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
    const int perColumn = rowsPerColumn();
    const int buttonWidth = (width() - 10) / columns_;
    const int room = height() - lineHeight - 5;
    const int buttonHeight = room / perColumn;
    const int topMargin = lineHeight + 1 + (room % perColumn) / 2;
    for (int i = 0; i < buttons_.size(); ++i) {
        const int column = i / perColumn;
        const int row = i % perColumn;
        const QRect place(column * buttonWidth + 8, row * buttonHeight + topMargin, buttonWidth, buttonHeight);
        buttons_.at(i)->setGeometry(QStyle::visualRect(layoutDirection(), rect(), place));
    }
}
