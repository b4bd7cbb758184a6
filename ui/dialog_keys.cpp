#include "dialog_keys.h"

#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>

bool HandleButtonlessDialogKey(QWidget *dialog, QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto *button = qobject_cast<QPushButton *>(dialog->focusWidget()))
            button->click();
        break;
    default:
        return false;
    }
    event->accept();
    return true;
}

bool MoveFocusAlongChain(const QList<QWidget *> &chain, const QWidget *focused, bool next)
{
    const auto holdsFocus = [focused](QWidget *w) { return w == focused || w->isAncestorOf(focused); };
    const int at = int(std::find_if(chain.begin(), chain.end(), holdsFocus) - chain.begin());
    if (at == chain.size())
        return false;
    const int to = (at + (next ? 1 : int(chain.size()) - 1)) % int(chain.size());
    chain.at(to)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}
