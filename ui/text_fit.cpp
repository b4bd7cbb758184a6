#include "text_fit.h"

#include <QWidget>

void KeepWholeText(QWidget *widget)
{
    const QRect before = widget->geometry();
    QRect grown(before.topLeft(), before.size().expandedTo(widget->sizeHint()));
    if (widget->isRightToLeft())
        grown.moveRight(before.right()); // a mirrored window's texts follow their right edge
    widget->setGeometry(grown);
}
