#pragma once

#include <QList>

class QKeyEvent;
class QWidget;

// Keys of the dialogs that have neither a default nor a cancel button:
// Enter presses the focused button, if any, and Esc does nothing. Returns
// false for other keys, which the dialog handles as usual.
bool HandleButtonlessDialogKey(QWidget *dialog, QKeyEvent *event);

// Moves the focus to the next (or previous) control of the chain, wrapping
// round, one stop per control (Qt makes one stop of a group of exclusive
// radio buttons). Returns false when the focus lies outside the chain.
bool MoveFocusAlongChain(const QList<QWidget *> &chain, const QWidget *focused, bool next);
