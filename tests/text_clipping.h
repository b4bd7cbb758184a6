#pragma once

// Texts that a window cuts off: labels and buttons shown narrower than their
// text needs (in the fonts that stand in for the designed ones).

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>

// A push button's size hint has a minimum width of the style's; what must fit
// is its text within the room the style leaves for it.
inline bool ClipsText(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    return button->fontMetrics().horizontalAdvance(QString(button->text()).remove(QLatin1Char('&'))) > room.width();
}

inline QStringList ClippedTexts(const QWidget *window)
{
    QStringList clipped;
    for (const QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window))
            continue;
        if (const auto *push = qobject_cast<const QPushButton *>(widget)) {
            if (ClipsText(push))
                clipped << push->text();
        } else if (widget->sizeHint().width() > widget->width()) {
            if (const auto *label = qobject_cast<const QLabel *>(widget); label && !label->text().isEmpty())
                clipped << label->text();
            else if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
                clipped << button->text();
        }
    }
    return clipped;
}
