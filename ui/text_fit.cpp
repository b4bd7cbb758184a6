#include "text_fit.h"

#include <QWidget>

void KeepWholeText(QWidget *widget)
{
    widget->resize(widget->size().expandedTo(widget->sizeHint()));
}
